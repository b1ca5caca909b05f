// The CLAP editor as a host embeds it: the built .clap in this process, its gui extension
// asked for the X11 API, the editor opened in a window of a private X server. Gestures and
// values reach the host with the next flush; a resize waits for the host's main thread.
#include "tests/clap/clap_test_host.h"
// Xlib after GoogleTest, whose names its macros (None, Bool) would break.
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
// clang-format on

#include <chrono>
#include <functional>
#include <limits>
#include <optional>
#include <utility>
#include <thread>

#include "model/editor_size.h"
#include "model/parameter_ids.h"
#include "tests/support/x11_test_server.h"

namespace {

using clap_test::Host;
using clap_test::SentEvents;
using Sent = SentEvents::Sent;
using Size = std::pair<std::uint32_t, std::uint32_t>;  // width, height

class ClapGuiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server_.running());
        setenv("DISPLAY", server_.name().c_str(), 1);
        display_ = XOpenDisplay(server_.name().c_str());
        ASSERT_NE(display_, nullptr);
        parent_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 700, 300, 0, 0, 0);
        XMapWindow(display_, parent_);
        XSync(display_, False);
        clap_.emplace(host_, std::nullopt);
        ASSERT_TRUE(*clap_);
        plugin_ = clap_->plugin();
        gui_ = clap_->ext<clap::PluginGui>(clap::kExtGui);
        params_ = clap_->ext<clap::PluginParams>(clap::kExtParams);
        ASSERT_TRUE(gui_ && params_);
    }
    void TearDown() override {
        clap_.reset();  // the editor goes before the display it draws on
        if (display_) XCloseDisplay(display_);
    }

    // The created editor in the fixture's parent window, as a host embeds it.
    bool embed() {
        clap::Window window{"x11", {0}};
        window.x11 = parent_;
        return gui_->setParent(plugin_, &window);
    }

    // The size get_size answers; none without an editor.
    std::optional<Size> size() const {
        std::uint32_t width = 0, height = 0;
        if (!gui_->getSize(plugin_, &width, &height)) return std::nullopt;
        return Size(width, height);
    }

    // The host's main thread for `seconds`, until `done` holds: callbacks it was asked for.
    bool runMainThread(double seconds, const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (host_.callbackRequests.exchange(0) > 0) plugin_->onMainThread(plugin_);
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return done();
    }

    testsupport::PrivateXServer server_{"800x400x24"};
    Display* display_ = nullptr;
    Window parent_ = 0;
    Host host_;
    std::optional<clap_test::Instance> clap_;
    const clap::Plugin* plugin_ = nullptr;
    const clap::PluginGui* gui_ = nullptr;
    const clap::PluginParams* params_ = nullptr;
};

TEST_F(ClapGuiTest, OffersAnEmbeddedX11EditorOnly) {
    struct Case {
        const char* api;
        bool floating;
        bool supported;
    };
    for (const Case& c : {Case{"x11", false, true}, {"x11", true, false}, {"win32", false, false}, {"wayland", false, false}}) {
        EXPECT_EQ(gui_->isApiSupported(plugin_, c.api, c.floating), c.supported) << c.api << c.floating;
        EXPECT_EQ(gui_->create(plugin_, c.api, c.floating), c.supported) << c.api << c.floating;
        if (c.supported) gui_->destroy(plugin_);
    }
    EXPECT_EQ(size(), std::nullopt) << "no editor before create";
    const clap::Window wrongApi{"win32", {0}};
    ASSERT_TRUE(gui_->create(plugin_, "x11", false));
    EXPECT_FALSE(gui_->setParent(plugin_, &wrongApi));
    EXPECT_FALSE(gui_->setParent(plugin_, nullptr));
}

TEST_F(ClapGuiTest, EmbedsTheEditorAndTellsTheHostOfGesturesValuesAndSize) {
    ASSERT_TRUE(gui_->create(plugin_, "x11", false));
    EXPECT_EQ(size(), Size(editor_size::kWidth, editor_size::kOpenHeight));
    EXPECT_FALSE(gui_->canResize(plugin_));
    clap::GuiResizeHints hints{true, true, true, 1, 1};
    ASSERT_TRUE(gui_->getResizeHints(plugin_, &hints));
    EXPECT_FALSE(hints.canResizeHorizontally || hints.canResizeVertically) << "hosts ask before they let users drag";
    EXPECT_FALSE(gui_->setSize(plugin_, 800, 600)) << "the size follows the strips, not the host";
    ASSERT_TRUE(embed());
    ASSERT_TRUE(gui_->show(plugin_));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    // The filters strip's arrow opens it: one gesture on its parameter, and a taller window.
    XTestFakeMotionEvent(display_, DefaultScreen(display_), editor_size::kWidth - 9, editor_size::kMeterAreaHeight + 6,
                         CurrentTime);
    XTestFakeButtonEvent(display_, 1, True, CurrentTime);
    XTestFakeButtonEvent(display_, 1, False, CurrentTime);
    XFlush(display_);
    const std::uint32_t taller =
        editor_size::kMeterAreaHeight + editor_size::kFiltersStripHeight + editor_size::kStripCollapsedHeight;
    ASSERT_TRUE(runMainThread(3, [&] { return !host_.resizeRequests.empty(); }));
    EXPECT_EQ(host_.resizeRequests.back(), Size(editor_size::kWidth, taller));
    EXPECT_EQ(size(), Size(editor_size::kWidth, taller));
    SentEvents sent;
    params_->flush(plugin_, nullptr, &sent.list);
    const std::vector<Sent> expected = {{clap::kEventParamGestureBegin, parameters::kShowFilters, 0.0},
                                        {clap::kEventParamValue, parameters::kShowFilters, 1.0},
                                        {clap::kEventParamGestureEnd, parameters::kShowFilters, 0.0}};
    EXPECT_EQ(sent.sent, expected);
    gui_->destroy(plugin_);
    EXPECT_EQ(size(), std::nullopt);
}

TEST_F(ClapGuiTest, TakesTheHostsScaleAndAnswersTheScaledSize) {
    EXPECT_FALSE(gui_->setScale(plugin_, 2.0)) << "no editor before create";
    ASSERT_TRUE(gui_->create(plugin_, "x11", false));
    struct Case {
        double scale;
        bool taken;
        double expectedScale;  // what the size then follows
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // In order: a refused scale keeps the one before it.
    for (const Case& c : {Case{2.0, true, 2.0}, {nan, false, 2.0}, {0.0, false, 2.0}, {-2.0, false, 2.0}, {1.5, true, 1.5},
                          {5.0, true, 3.0}, {0.5, true, 1.0}}) {
        EXPECT_EQ(gui_->setScale(plugin_, c.scale), c.taken) << c.scale;
        EXPECT_EQ(size(), Size(editor_size::scaled(editor_size::kWidth, c.expectedScale),
                               editor_size::scaled(editor_size::kOpenHeight, c.expectedScale)))
            << c.scale;
    }

    // Open, a new scale resizes the window and asks the host for the size at once.
    ASSERT_TRUE(embed());
    host_.resizeRequests.clear();
    ASSERT_TRUE(gui_->setScale(plugin_, 2.0));
    ASSERT_TRUE(runMainThread(3, [&] { return !host_.resizeRequests.empty(); }));
    EXPECT_EQ(host_.resizeRequests.back(), Size(1172, 390));
    gui_->destroy(plugin_);
}

}  // namespace
