// The strips below the meter, in an editor off-screen on the real effect: window heights,
// variants, typed frequencies, the label and its way through the state chunk, inactive
// filters, and what each variant draws where.
#include <gtest/gtest.h>

#include <cmath>

#include "controls/latency_control.h"
#include "editor/strip_filters_editor.h"
#include "editor/strip_label_editor.h"
#include "tests/plugin_editor/editor_host.h"
#include "toolkit/offscreen.h"
#include "views/meter_panel.h"

using namespace editortest;
using Events = std::vector<std::string>;

namespace {

constexpr VstInt32 kStrips = 6, kShowFilters = 7, kShowLabel = 15;

struct Strips : EditorFixture {
    int windowHeight() {
        ERect* rect = nullptr;
        host.dispatch(effEditGetRect, 0, 0, &rect);
        return rect ? rect->bottom - rect->top : -1;
    }
};

}  // namespace

TEST_F(Strips, WindowHeightFollowsTheStripSwitches) {
    struct Case {
        float strips, filters, label;
        int height;
    };
    const Case cases[] = {{1, 0, 0, 195}, {1, 1, 0, 235}, {1, 0, 1, 221}, {1, 1, 1, 261}, {0, 1, 1, 169},
                          {1, 1, 1, 261}, {1, 0, 0, 195}};
    host.set(kStrips, 0.f);
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_EQ(windowHeight(), 169) << "opened with the strips off";
    EXPECT_EQ(host.events(), (Events{"size 586 169"}));
    for (const Case& c : cases) {
        host.set(kStrips, c.strips);
        host.set(kShowFilters, c.filters);
        host.set(kShowLabel, c.label);
        editor->idleStep();
        EXPECT_EQ(windowHeight(), c.height) << c.strips << c.filters << c.label;
        EXPECT_EQ(frame()->getHeight(), c.height);
        EXPECT_EQ(host.events(), (Events{"size 586 " + std::to_string(c.height)}));
    }
    // A switch set to the value it has: no layout, no request to the host.
    host.set(kShowFilters, 0.f);
    editor->idleStep();
    EXPECT_TRUE(host.events().empty());
    // Reopened: laid out once more; the host is only asked when the height changes.
    editor->close();
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_EQ(windowHeight(), 195);
    EXPECT_TRUE(host.events().empty()) << "the window has that height already";
    editor->close();
    host.set(kShowLabel, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_EQ(windowHeight(), 221);
    EXPECT_EQ(host.events(), (Events{"size 586 221"}));
}

TEST_F(Strips, SwitchingTheMeterShowsTheSameStripsOfTheNewMeter) {
    host.set(kShowFilters, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    host.events();
    for (int meter = 0; meter < 3; ++meter) {
        host.set(3, meter * 0.5f);
        editor->idleStep();
        EXPECT_EQ(windowHeight(), 235);
        EXPECT_TRUE(host.events().empty()) << "no resize";
        for (int m = 0; m < 3; ++m) {
            EXPECT_EQ(editor->filtersStrip()->variant(m, true)->isShown(), m == meter);
            EXPECT_FALSE(editor->filtersStrip()->variant(m, false)->isShown());
            EXPECT_EQ(editor->labelStrip()->variant(m, false)->isShown(), m == meter);
        }
    }
}

TEST(TypedFrequency, TextBecomesTheFilterFrequency) {
    auto position = [](double hertz, double lowest) { return static_cast<float>(std::log(hertz / lowest) / std::log(100.0)); };
    struct Case {
        const char* text;
        float highPass;
        float lowPass;
    };
    const Case cases[] = {
        {"2k", 1.0f, position(2000, 300)},       {"5000", 1.0f, position(5000, 300)},
        {"1k5", position(1500, 20), position(1500, 300)}, {"1.5k", position(1500, 20), position(1500, 300)},
        {"200", 0.5f, 0.0f},                      {"10", 0.0f, position(10000, 300)},
        {"10000", 1.0f, position(10000, 300)},    {"0.3", 0.0f, 0.0f},
        {"30", position(30, 20), 1.0f},           {"30000", 1.0f, 1.0f},
        {"45 Hz", position(45, 20), 0.0f},        {"nonsense", 0.0f, 0.0f},
        {"", 0.0f, 0.0f},                         {"-5k", 0.0f, 0.0f},
        {"1,5k", position(1500, 20), position(1500, 300)},
    };
    for (const Case& c : cases) {
        EXPECT_NEAR(highPassValueFromText(c.text), c.highPass, 1e-6f) << c.text;
        EXPECT_NEAR(lowPassValueFromText(c.text), c.lowPass, 1e-6f) << c.text;
    }
}

TEST_F(Strips, TypedFrequencyIsOneEditOnItsParameter) {
    host.set(0, 1.f);
    host.set(kShowFilters, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    host.events();
    auto* strip = static_cast<StripFiltersEditor*>(editor->filtersStrip()->variant(0, true));
    CMyTextEditAH* field = strip->frequencyText(false);
    CPoint where = field->getViewSize().getCenter();
    click(field->localToFrame(where));
    ASSERT_TRUE(frame()->isTextEditOpen());
    for (int i = 0; i < 8; ++i) host.dispatch(effEditKeyDown, 0, VKEY_BACK);
    type("1k");
    host.dispatch(effEditKeyDown, 0, VKEY_RETURN);
    char expected[32];
    std::snprintf(expected, sizeof expected, "automate 11 %.4f", std::log(50.0) / std::log(100.0));
    EXPECT_EQ(host.events(), (Events{"begin 11", expected, "end 11"}));
    editor->idleStep();
    char display[16] = {};
    host.dispatch(effGetParamDisplay, 11, 0, display);
    EXPECT_EQ(field->getText(), display) << "the field shows the frequency now set";
    const double x = host.get(11) * 144 + 45;
    EXPECT_NEAR(field->getViewSize().left, x, 1e-3) << "the field follows the handle";
}

TEST_F(Strips, InactiveFiltersIgnoreClicksAndSayWhy) {
    host.set(kShowFilters, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    host.events();
    const CPoint highPassSwitch(34, 169 + 26);
    frame()->platformOnMouseMoved(highPassSwitch, CButtonState(0));
    EXPECT_EQ(editor->panel(0)->getHintLabel()->getText(), "Click PROCESS to activate FILTERS");
    const float before = host.get(9);
    click(highPassSwitch);
    EXPECT_EQ(host.get(9), before);
    EXPECT_TRUE(host.events().empty());

    host.set(0, 1.f);
    editor->idleStep();
    click(highPassSwitch);
    EXPECT_EQ(host.get(9), 0.f);
    EXPECT_EQ(host.events(), (Events{"begin 9", "automate 9 0.0000", "end 9"}));
}

TEST_F(Strips, LabelIsCutWholeAndTravelsWithTheProject) {
    host.set(kShowLabel, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    auto* strip = static_cast<StripLabelEditor*>(editor->labelStrip()->variant(0, true));
    CPoint where = strip->label()->getViewSize().getCenter();
    click(strip->label()->localToFrame(where));
    ASSERT_TRUE(frame()->isTextEditOpen());
    for (int i = 0; i < 20; ++i) host.dispatch(effEditKeyDown, 0, VKEY_BACK);
    const std::string fifty = "Drum bus, room mics and overheads (take 7 of 12)..";
    ASSERT_EQ(fifty.size(), 50u);
    type(fifty);
    host.dispatch(effEditKeyDown, 0, VKEY_RETURN);
    char label[40] = {};
    host.object().getLabel(label);
    EXPECT_EQ(std::string(label), fifty.substr(0, 38));
    editor->idleStep();
    EXPECT_EQ(strip->label()->getText(), fifty.substr(0, 38));

    // Reopened, and restored into another instance from the state chunk.
    editor->close();
    ASSERT_TRUE(editor->openOffscreen());
    strip = static_cast<StripLabelEditor*>(editor->labelStrip()->variant(0, true));
    EXPECT_EQ(strip->label()->getText(), fifty.substr(0, 38));
    void* chunk = nullptr;
    const VstIntPtr size = host.dispatch(effGetChunk, 0, 0, &chunk);
    std::vector<unsigned char> saved(static_cast<const unsigned char*>(chunk), static_cast<const unsigned char*>(chunk) + size);
    editor->close();
    editor = nullptr;

    VstEditorHost other;
    TemepleteEditor* otherEditor = other.editor();
    ASSERT_TRUE(otherEditor->openOffscreen());
    other.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(saved.size()), saved.data());
    otherEditor->idleStep();
    auto* restored = static_cast<StripLabelEditor*>(otherEditor->labelStrip()->variant(0, true));
    EXPECT_EQ(restored->label()->getText(), fifty.substr(0, 38));
    otherEditor->close();
}

TEST(LabelCut, NeverSplitsACharacter) {
    struct Case {
        std::string text;
        std::size_t max;
        std::string kept;
    };
    const Case cases[] = {
        {"short", 38, "short"},
        {std::string(40, 'a'), 38, std::string(38, 'a')},
        {std::string(37, 'a') + "\xC3\xA9" + "b", 38, std::string(37, 'a')},             // é across the cut
        {std::string(36, 'a') + "\xE2\x82\xAC" + "b", 38, std::string(36, 'a')},         // € across the cut
        {std::string(35, 'a') + "\xE2\x82\xAC" + "b", 38, std::string(35, 'a') + "\xE2\x82\xAC"},
        {std::string(38, 'a'), 38, std::string(38, 'a')},
    };
    for (const Case& c : cases) EXPECT_EQ(cutAtCharacter(c.text, c.max), c.kept);
}

TEST_F(Strips, EveryVariantDrawsItsControlsInTheirPlaces) {
    host.set(0, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    struct Variant {
        StripSafeEditor* strip;
        bool expanded;
    };
    int checked = 0;
    for (int meter = 0; meter < 3; ++meter)
        for (bool expanded : {false, true}) {
            host.set(3, meter * 0.5f);
            host.set(kShowFilters, expanded ? 1.f : 0.f);
            host.set(kShowLabel, expanded ? 1.f : 0.f);
            editor->idleStep();
            EXPECT_EQ(windowHeight(), expanded ? 261 : 195) << "meter and strip switches changed together";
            auto image = toolkit::renderFrame(*frame());
            ASSERT_NE(image, nullptr);
            for (StripSafeEditor* strip : {editor->filtersStrip(), editor->labelStrip()}) {
                StripEditor* variant = strip->variant(meter, expanded);
                ASSERT_TRUE(variant->isShown());
                CViewContainer* container = variant->container();
                // The strip's own image alone, to tell controls from the background.
                auto bare = toolkit::createOffscreen(586, variant->height());
                CDrawContext context(bare->surface());
                context.drawBitmap(container->getBackground(), CRect(0, 0, 586, variant->height()));
                const CPoint origin = container->getViewSize().getTopLeft();
                for (int i = 0; i < container->getNbViews(); ++i) {
                    CView* control = container->getView(i);
                    if (!control->getBackground()) continue;  // the text fields show text only
                    const CRect r = control->getViewSize();
                    int differing = 0, pixels = 0;
                    for (int y = static_cast<int>(r.top); y < static_cast<int>(std::min(r.bottom, double(variant->height()))); ++y)
                        for (int x = static_cast<int>(r.left); x < static_cast<int>(r.right); ++x, ++pixels) {
                            const CColor shown = image->pixel(static_cast<int>(origin.x) + x, static_cast<int>(origin.y) + y);
                            const CColor plain = bare->pixel(x, y);
                            differing += std::abs(shown.red - plain.red) + std::abs(shown.green - plain.green) +
                                             std::abs(shown.blue - plain.blue) > 24;
                        }
                    EXPECT_GT(differing, pixels / 10) << "meter " << meter << (expanded ? " expanded" : " collapsed")
                                                      << " control with tag " << static_cast<CControl*>(control)->getTag();
                    ++checked;
                }
            }
            image->savePng(("strips-" + std::to_string(meter) + (expanded ? "-open" : "-closed") + ".png").c_str());
        }
    EXPECT_EQ(checked, 3 * (3 + 1 + 7 + 2));  // collapsed: 3 + 1, expanded: 7 + 2 controls with images
}

TEST_F(Strips, DoubleClickOnLagTakesTheDurationOfTheHostsLastBlock) {
    constexpr VstInt32 kLagTime = 16;
    host.start(48000.0f);
    host.set(kShowLabel, 1.f);
    ASSERT_TRUE(editor->openOffscreen());
    auto* strip = static_cast<StripLabelEditor*>(editor->labelStrip()->variant(0, true));
    CPoint lag = strip->lagTime()->getViewSize().getCenter();
    lag = strip->lagTime()->localToFrame(lag);
    struct Case {
        int block;         // frames of the block played before the double click; 0: none yet
        int milliseconds;  // the display delay the double click sets
    };
    // 64, 512 and 4096 frames at 48 kHz last 1.3, 10.7 and 85.3 ms; before any block the
    // longest delay.
    const Case cases[] = {{0, 999}, {64, 1}, {512, 11}, {4096, 85}, {64, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.block);
        if (c.block) host.play(0.1f, c.block, c.block);
        host.events();
        click(lag, kLButton | kDoubleClick);
        EXPECT_EQ(static_cast<int>(host.get(kLagTime) * 999.0f + 0.5f), c.milliseconds);
        const Events events = host.events();
        ASSERT_FALSE(events.empty());
        EXPECT_EQ(events.front(), "begin 16") << "the host records it as the user's edit";
    }
}
