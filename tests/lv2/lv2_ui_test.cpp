// The LV2 UI as a host embeds it: the bundle's binary loaded in this process, its plug-in
// instance handed to the UI through instance-access, the UI opened in a window of a private
// X server. What the host hears (port writes, touch, resize) arrives in its idle calls.
// GoogleTest before Xlib, whose macros (None, Bool) would break it.
#include <gtest/gtest.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
// clang-format on
#include <dlfcn.h>
#include <lv2/core/lv2.h>
#include <lv2/atom/atom.h>
#include <lv2/instance-access/instance-access.h>
#include <lv2/options/options.h>
#include <lv2/ui/ui.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "lv2/lv2_ports.h"
#include "model/editor_size.h"
#include "model/parameter_ids.h"
#include "tests/support/x11_test_server.h"

namespace {

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = *static_cast<std::vector<std::string>*>(handle);
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

// What the host heard, in order: "write PORT VALUE", "grab PORT", "release PORT", "resize W H".
struct HostLog {
    std::vector<std::string> events;
    static void write(LV2UI_Controller c, uint32_t port, uint32_t size, uint32_t format, const void* buffer) {
        if (size == sizeof(float) && format == 0)
            static_cast<HostLog*>(c)->events.push_back("write " + std::to_string(port) + " " +
                                                       std::to_string(*static_cast<const float*>(buffer)));
    }
    static int resize(LV2UI_Feature_Handle h, int width, int height) {
        static_cast<HostLog*>(h)->events.push_back("resize " + std::to_string(width) + " " + std::to_string(height));
        return 0;
    }
    static void touch(LV2UI_Feature_Handle h, uint32_t port, bool grabbed) {
        static_cast<HostLog*>(h)->events.push_back((grabbed ? "grab " : "release ") + std::to_string(port));
    }
    bool has(const std::string& e) const { return std::find(events.begin(), events.end(), e) != events.end(); }
};

int portOf(int parameter) {
    for (int i = 0; i < lv2_ports::kControlCount; ++i)
        if (lv2_ports::kControls[i].parameter == parameter) return lv2_ports::kFirstControlPort + i;
    return -1;
}

class Lv2UiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        display_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(display_, nullptr);
        setenv("DISPLAY", server_.name().c_str(), 1);
        parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 700, 300, 0, 0, 0);
        XMapWindow(display_, parent_);
        XSync(display_, False);
        library_ = dlopen((std::string(ALDERMARK_LV2_BUNDLE) + "/zeb-aldermark.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        plugin_ = reinterpret_cast<const LV2_Descriptor* (*)(uint32_t)>(dlsym(library_, "lv2_descriptor"))(0);
        ui_ = reinterpret_cast<const LV2UI_Descriptor* (*)(uint32_t)>(dlsym(library_, "lv2ui_descriptor"))(0);
        ASSERT_TRUE(plugin_ && ui_);
        EXPECT_STREQ(ui_->URI, lv2_ports::kUiUri);
        const LV2_Feature* const features[] = {&mapFeature_, nullptr};
        instance_ = plugin_->instantiate(plugin_, 48000.0, "", features);
        ASSERT_NE(instance_, nullptr);
        for (uint32_t p = 0; p < lv2_ports::kPortCount; ++p)
            plugin_->connect_port(instance_, p, p < lv2_ports::kAudioPortCount ? audio_[p] : &controls_[p]);
        for (int i = 0; i < lv2_ports::kControlCount; ++i) controls_[lv2_ports::kFirstControlPort + i] = std::nanf("");
        plugin_->activate(instance_);
    }
    void TearDown() override {
        if (handle_) ui_->cleanup(handle_);
        if (instance_) {
            plugin_->deactivate(instance_);
            plugin_->cleanup(instance_);
        }
        if (library_) dlclose(library_);
        if (display_) XCloseDisplay(display_);
    }

    // The UI with the features a full host gives (or those `keep` lets through).
    LV2UI_Handle openUi(const std::function<bool(const char*)>& keep = [](const char*) { return true; },
                        const char* pluginUri = lv2_ports::kPluginUri, const LV2_Feature* extra = nullptr) {
        LV2_Feature access{LV2_INSTANCE_ACCESS_URI, instance_};
        LV2_Feature parent{LV2_UI__parent, reinterpret_cast<void*>(parent_)};
        LV2_Feature resize{LV2_UI__resize, &resize_};
        LV2_Feature touch{LV2_UI__touch, &touch_};
        std::vector<const LV2_Feature*> features;
        for (const LV2_Feature* f : {&access, &parent, &resize, &touch, &mapFeature_})
            if (keep(f->URI)) features.push_back(f);
        if (extra) features.push_back(extra);
        features.push_back(nullptr);
        widget_ = nullptr;
        return ui_->instantiate(ui_, pluginUri, "", HostLog::write, &log_, &widget_, features.data());
    }

    // Runs the host's side for `seconds`: audio blocks of `level` (a 1 kHz sine's peak) and
    // idle calls at Ardour's 25 Hz, until `done` holds.
    bool host(double seconds, float level, const std::function<bool()>& done = [] { return false; }) {
        const auto* idle = static_cast<const LV2UI_Idle_Interface*>(ui_->extension_data(LV2_UI__idleInterface));
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            for (int block = 0; block < 8; ++block) {
                for (int i = 0; i < kBlock; ++i)
                    audio_[0][i] = audio_[1][i] = level * static_cast<float>(std::sin(phase_++ * 2 * M_PI * 1000 / 48000.0));
                plugin_->run(instance_, kBlock);
            }
            if (idle && handle_) idle->idle(handle_);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
        }
        return done();
    }

    // Pixels darker than the face in the rectangle (left, top)-(right, bottom) of `window`.
    int darkPixels(Window window, int left, int top, int right, int bottom) {
        XImage* image = XGetImage(display_, window, left, top, static_cast<unsigned>(right - left),
                                  static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
        if (!image) return -1;
        int dark = 0;
        for (int y = 0; y < bottom - top; ++y)
            for (int x = 0; x < right - left; ++x) {
                const unsigned long p = XGetPixel(image, x, y);
                if (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF) < 3 * 90) ++dark;
            }
        XDestroyImage(image);
        return dark;
    }

    void click(int x, int y) {
        XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
        XTestFakeButtonEvent(display_, 1, True, CurrentTime);
        XTestFakeButtonEvent(display_, 1, False, CurrentTime);
        XFlush(display_);
    }

    static constexpr int kBlock = 256;
    testsupport::PrivateXServer server_{"800x400x24"};
    Display* display_ = nullptr;
    Window parent_ = 0;
    void* library_ = nullptr;
    const LV2_Descriptor* plugin_ = nullptr;
    const LV2UI_Descriptor* ui_ = nullptr;
    LV2_Handle instance_ = nullptr;
    LV2UI_Handle handle_ = nullptr;
    LV2UI_Widget widget_ = nullptr;
    std::vector<std::string> uris_;
    LV2_URID_Map map_{&uris_, mapUri};
    LV2_Feature mapFeature_{LV2_URID__map, &map_};
    HostLog log_;
    LV2UI_Resize resize_{&log_, HostLog::resize};
    LV2UI_Touch touch_{&log_, HostLog::touch};
    float audio_[lv2_ports::kAudioPortCount][kBlock] = {};
    float controls_[lv2_ports::kPortCount] = {};
    long phase_ = 0;
};

TEST_F(Lv2UiTest, OpensOnlyWithTheInstanceAndAParentOfItsOwnPlugin) {
    struct Case {
        const char* left_out;  // the feature the host does not give
        const char* pluginUri;
    };
    for (const Case& c : {Case{LV2_INSTANCE_ACCESS_URI, lv2_ports::kPluginUri}, Case{LV2_UI__parent, lv2_ports::kPluginUri},
                          Case{"", "https://example.org/another-plugin"}}) {
        EXPECT_EQ(openUi([&](const char* uri) { return std::string(uri) != c.left_out; }, c.pluginUri), nullptr)
            << c.left_out << " " << c.pluginUri;
        EXPECT_EQ(widget_, nullptr);
    }
}

TEST_F(Lv2UiTest, EmbedsTheEditorAndGivesTheHostItsSizeGesturesAndValues) {
    handle_ = openUi();
    ASSERT_NE(handle_, nullptr);
    ASSERT_NE(widget_, nullptr);
    Window root = 0, parentOfWidget = 0, *children = nullptr;
    unsigned int count = 0;
    ASSERT_TRUE(XQueryTree(display_, reinterpret_cast<Window>(widget_), &root, &parentOfWidget, &children, &count));
    if (children) XFree(children);
    EXPECT_EQ(parentOfWidget, parent_);
    // Its size at 1x is the scale test's case without an option; here the resize shows it is up.
    ASSERT_TRUE(host(2, 0, [&] { return log_.has("resize 586 195"); }));

    // The filters strip's arrow opens it: the host records one gesture on the port and
    // resizes its window to the taller editor.
    const std::string port = std::to_string(portOf(parameters::kShowFilters));
    log_.events.clear();
    host(0.5, 0);
    click(editor_size::kWidth - 9, editor_size::kMeterAreaHeight + 6);
    const std::string taller = "resize 586 " + std::to_string(editor_size::kMeterAreaHeight +
                                                               editor_size::kFiltersStripHeight + editor_size::kStripCollapsedHeight);
    ASSERT_TRUE(host(3, 0, [&] { return log_.has(taller); })) << ::testing::PrintToString(log_.events);
    const std::vector<std::string> gesture{"grab " + port, "write " + port + " 1.000000", "release " + port};
    EXPECT_NE(std::search(log_.events.begin(), log_.events.end(), gesture.begin(), gesture.end()), log_.events.end())
        << ::testing::PrintToString(log_.events);
}

TEST_F(Lv2UiTest, OpensAtTheScaleFactorTheHostStatesInItsOptions) {
    struct Case {
        const char* type;  // the option's value type
        float value;
        int width, height;  // the widget's size
    };
    for (const Case& c : {Case{LV2_ATOM__Float, 2.0f, 1172, 390}, {LV2_ATOM__Float, 1.5f, 879, 293},
                          {LV2_ATOM__Float, 7.0f, 1758, 585}, {LV2_ATOM__Float, std::nanf(""), 586, 195},
                          {LV2_ATOM__Float, -1.0f, 586, 195}, {LV2_ATOM__Int, 2.0f, 586, 195}, {nullptr, 0, 586, 195}}) {
        SCOPED_TRACE(std::to_string(c.value) + " " + (c.type ? c.type : "no option"));
        const LV2_Options_Option options[] = {
            {LV2_OPTIONS_INSTANCE, 0, map_.map(map_.handle, LV2_UI__scaleFactor), sizeof(float),
             c.type ? map_.map(map_.handle, c.type) : 0, &c.value},
            {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr}};
        const LV2_Feature optionsFeature{LV2_OPTIONS__options, const_cast<LV2_Options_Option*>(c.type ? options : options + 1)};
        handle_ = openUi([](const char*) { return true; }, lv2_ports::kPluginUri, &optionsFeature);
        ASSERT_NE(handle_, nullptr);
        XWindowAttributes attributes{};
        ASSERT_TRUE(XGetWindowAttributes(display_, reinterpret_cast<Window>(widget_), &attributes));
        EXPECT_EQ(attributes.width, c.width);
        EXPECT_EQ(attributes.height, c.height);
        const std::string resize = "resize " + std::to_string(c.width) + " " + std::to_string(c.height);
        EXPECT_TRUE(host(2, 0, [&] { return log_.has(resize); })) << ::testing::PrintToString(log_.events);
        ui_->cleanup(handle_);
        handle_ = nullptr;
        log_.events.clear();
    }
}

TEST_F(Lv2UiTest, NeedlesFollowTheAudioTheHostRuns) {
    handle_ = openUi();
    ASSERT_NE(handle_, nullptr);
    const Window widget = reinterpret_cast<Window>(widget_);
    host(1, 0);
    const int darkAtSilence = darkPixels(widget, 150, 40, 185, 100);
    const std::string silent = std::string(ALDERMARK_TEST_OUTPUT) + "/lv2_ui_silence.png";
    const std::string tone = std::string(ALDERMARK_TEST_OUTPUT) + "/lv2_ui_tone.png";
    ASSERT_TRUE(testsupport::saveScreenshot(display_, widget, 586, 195, silent.c_str()));
    // A sine with peaks at the -18 dBFS reference: 0 VU.
    host(1.5, 0.1259f);
    ASSERT_TRUE(testsupport::saveScreenshot(display_, widget, 586, 195, tone.c_str()));
    // The left needle stands on 0 VU, near the top of its face, and no longer at the left stop.
    EXPECT_GT(darkPixels(widget, 150, 40, 185, 100), darkAtSilence + 20);
}

}  // namespace
