// The settings panels (the back of each meter) in an editor off-screen on the real effect:
// the controls each panel carries, the step knobs' frames, edits that reach the model and the
// store of each scope, turning round and back (what is stored, what stays), scope following
// between two instances, a fresh process after storing, the panel above the strips, and what
// each panel draws where its captions say.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "controls/popup_menu_view.h"
#include "controls/selectors.h"
#include "metering/meter_model.h"
#include "platform/settings_store.h"
#include "tests/plugin_editor/editor_host.h"
#include "toolkit/offscreen.h"
#include "views/back_panel.h"
#include "views/meter_display.h"
#include "views/meter_panels.h"
#include "views/step_knobs.h"

extern std::string gTestProgram;
extern bool gChildProcess;

using namespace editortest;
namespace layout = settings_layout;

namespace {

constexpr VstInt32 kScope = 2, kMeter = 3, kHold = 5, kStrips = 6, kShowFilters = 7, kShowLabel = 15;

// Turns the shown meter of `editor` round with a click in the middle of its meter selector.
BackPanel* turnRound(VstEditorHost& host, TemepleteEditor* editor, int meter) {
    host.set(kMeter, meter * 0.5f);
    editor->idleStep();
    CZEBMeterFULLPANEL* front = editor->panel(meter);
    CPoint middle = front->meterSelector()->getViewSize().getCenter();
    const CPoint where = front->meterSelector()->localToFrame(middle);
    editor->getFrame()->platformOnMouseDown(where, CButtonState(kLButton));
    editor->getFrame()->platformOnMouseUp(where, CButtonState(kLButton));
    return front->settingsPanel();
}

// An edit as a control makes it: the new value, then the listener hears of it.
void edit(TemepleteEditor* editor, BackPanel* back, int tag, float value) {
    CControl* control = back->control(tag);
    ASSERT_NE(control, nullptr) << tag;
    control->setValue(value);
    editor->valueChanged(control);
}

float persisted(int index) {
    float value = std::numeric_limits<float>::quiet_NaN();
    platform::readSettingBytes(meter_settings::valueName(index), &value, sizeof value);
    return value;
}

void persistFactoryValues() {
    meter_settings::globalStore().fillWithDefaults();
    ASSERT_TRUE(meter_settings::writeGlobalStore(meter_settings::kFirstIndex, meter_settings::kLastIndex));
}

struct SettingsPanels : OpenEditorFixture {
    CZEBMeterFULLPANEL* front() const { return editor->panel(editor->currentMeter()); }
    BackPanel* turnRound(int meter) { return ::turnRound(host, editor, meter); }
    void edit(int tag, float value) { ::edit(editor, front()->settingsPanel(), tag, value); }
    // A point of the panel that no view covers.
    CPoint emptySpot() const {
        const CPoint spot(298, 96);
        EXPECT_EQ(front()->settingsPanel()->container()->getViewAt(spot), nullptr);
        return spot;
    }
};

}  // namespace

TEST_F(SettingsPanels, EachPanelCarriesItsSettingsInTheirControlClasses) {
    struct Row {
        int meter, tag;
        const char* className;
    };
    const Row rows[] = {
        {1, 72, "CAnimKnob"},           {1, 74, "CAnimKnob"},       {1, 73, "CAnimKnob4"},
        {1, 75, "CAnimKnob4"},          {1, 76, "CAnimKnob4"},      {1, 79, "CRmsLedRefKnob"},
        {1, 78, "CRmsOverLedKnob"},     {1, 77, "CZEBHorizontalSwitch"}, {1, 81, "CZEBOnOffButton"},
        {1, 80, "CZEBOnOffButton"},     {0, 83, "CAnimKnob"},       {0, 84, "CAnimKnob"},
        {0, 85, "CAnimKnob4"},          {0, 88, "CVuBackLitKnob"},  {0, 90, "CVuLedRefKnob"},
        {0, 89, "CVuOverLedKnob"},      {0, 87, "CZEBHorizontalSwitch"}, {0, 86, "CZEBOnOffButton"},
        {0, 91, "CZEBOnOffButton"},     {2, 93, "CAnimKnob"},       {2, 94, "CAnimKnob"},
        {2, 95, "CAnimKnob4"},          {2, 96, "CAnimKnob4"},      {2, 99, "CPpmLedRefKnob"},
        {2, 98, "CPpmOverLedKnob"},     {2, 97, "CZEBHorizontalSwitch"}, {2, 100, "CZEBOnOffButton"},
    };
    for (const Row& r : rows) {
        BackPanel* back = editor->panel(r.meter)->settingsPanel();
        ASSERT_NE(back, nullptr);
        CControl* control = back->control(r.tag);
        ASSERT_NE(control, nullptr) << r.tag;
        EXPECT_TRUE(control->isTypeOf(r.className)) << r.tag << " is not a " << r.className;
        EXPECT_EQ(control->getDefaultValue(), meter_settings::defaultValue(r.tag)) << r.tag;
        EXPECT_EQ(control->getValue(), host.get(r.tag)) << r.tag;
    }
    // The three switches stand where the panels' images expect them.
    EXPECT_EQ(editor->panel(1)->settingsPanel()->control(77)->getViewSize().getTopLeft(), CPoint(223, 50));
    EXPECT_EQ(editor->panel(0)->settingsPanel()->control(87)->getViewSize().getTopLeft(), CPoint(215, 127));
    EXPECT_EQ(editor->panel(2)->settingsPanel()->control(97)->getViewSize().getTopLeft(), CPoint(200, 36));
    EXPECT_EQ(editor->panel(1)->settingsPanel()->versionLabel()->getText(), "v.3.0.3");
}

TEST(StepKnobs, FramesAtTheEdgesAndHalfSteps) {
    struct Case {
        float x;
        int frame;  // of a 61-frame strip
    };
    auto check = [](CStepKnob* knob, std::initializer_list<Case> cases) {
        for (const Case& c : cases) {
            knob->setValue(c.x);
            EXPECT_EQ(knob->shownFrame(), c.frame) << knob->getTag() << " at " << c.x;
        }
        knob->forget();
    };
    const CRect size(0, 0, 32, 32);
    // 7 positions: round(round(x*6)/6 * 60); 0 at and below 0.
    check(new CRmsLedRefKnob(size, nullptr, 79, 61, nullptr),
          {{-0.5f, 0}, {0.f, 0}, {0.0828f, 0}, {0.0838f, 10}, {0.5f, 30}, {1.f, 60}, {1.5f, 60}});
    // 10 positions with the ends drawn at 0.4 and 8.5 of 9.
    for (CStepKnob* knob : {static_cast<CStepKnob*>(new CRmsOverLedKnob(size, nullptr, 78, 61, nullptr)),
                            static_cast<CStepKnob*>(new CVuOverLedKnob(size, nullptr, 89, 61, nullptr)),
                            static_cast<CStepKnob*>(new CPpmOverLedKnob(size, nullptr, 98, 61, nullptr))})
        check(knob,
              {{-1.f, 3}, {0.f, 3}, {0.0550f, 3}, {0.0561f, 7}, {0.5f, 33}, {0.9439f, 53}, {0.9450f, 57}, {1.f, 57}});
    // 4 positions at 0.1, 0.38, 0.62 and 0.9 of the strip; 0 below the range.
    for (CStepKnob* knob : {static_cast<CStepKnob*>(new CVuLedRefKnob(size, nullptr, 90, 61, nullptr)),
                            static_cast<CStepKnob*>(new CPpmLedRefKnob(size, nullptr, 99, 61, nullptr))})
        check(knob, {{-0.01f, 0}, {0.f, 6}, {0.165f, 6}, {0.168f, 23}, {0.5f, 37}, {0.834f, 54}, {1.f, 54}});
    // 5 positions at 0.3 ... 0.7.
    check(new CVuBackLitKnob(size, nullptr, 88, 61, nullptr),
          {{0.f, 18}, {0.124f, 18}, {0.126f, 24}, {0.5f, 30}, {1.f, 42}, {2.f, 42}});
    // A value that is no number shows the first position's frame, or the resting one.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(layout::stepFrame(layout::Kind::ThresholdSteps, nan, 61), 0);
    EXPECT_EQ(layout::stepFrame(layout::Kind::OverLengthSteps, nan, 61), 3);
    EXPECT_EQ(layout::stepFrame(layout::Kind::OverChoiceSteps, nan, 61), 0);
    EXPECT_EQ(layout::stepFrame(layout::Kind::BacklightSteps, nan, 61), 18);
}

TEST_F(SettingsPanels, EditsReachTheModelAndTheirTextFollowsAtOnce) {
    struct Case {
        int meter, tag;
        float x;
        const char* text;
    };
    const Case cases[] = {
        {1, 72, 0.f, "-20.0dBFS"}, {1, 72, 1.f, "10.0dBFS"}, {1, 73, 0.f, "0ms"},     {1, 73, 1.f, "100ms"},
        {1, 74, 0.f, "0.10s"},     {1, 74, 1.f, "10.00s"},   {1, 75, 1.f, "10.00s"},  {1, 76, 0.f, "0.10s"},
        {0, 83, 0.f, "-24.0dBFS"}, {0, 83, 1.f, "0.0dBFS"},  {0, 84, 0.f, "53ms"},    {0, 84, 0.5f, "300ms"},
        {0, 84, 1.f, "1697ms"},    {0, 85, 0.f, "0.10s"},    {0, 85, 1.f, "10.00s"},  {2, 93, 1.f, "0.0dBFS"},
        {2, 93, 0.f, "-24.0dBFS"}, {2, 94, 0.f, "0ms"},      {2, 95, 1.f, "10.00s"},  {2, 96, 0.f, "0.10s"},
    };
    for (int meter = 0; meter < 3; ++meter) {  // opened with the model's texts, not the placeholders
        BackPanel* back = editor->panel(meter)->settingsPanel();
        for (const layout::Control& c : back->layout().controls) {
            if (c.text == layout::ValueText::None) continue;
            char text[64] = {};
            host.object().meterModel(meter)->getSettingText(c.tag, text);
            EXPECT_EQ(back->valueText(c.tag)->getText(), text) << c.tag;
        }
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.tag) + " at " + std::to_string(c.x));
        if (editor->currentMeter() != c.meter || !front()->isSettingsPanelShown()) turnRound(c.meter);
        edit(c.tag, c.x);
        EXPECT_EQ(front()->settingsPanel()->valueText(c.tag)->getText(), c.text) << "before any idle step";
        EXPECT_EQ(host.get(c.tag), c.x);
        EXPECT_EQ(host.object().meterModel(c.meter)->getSetting(c.tag), c.x);
    }
    EXPECT_TRUE(host.events().empty()) << "settings above 63 are nothing a host records";
}

TEST_F(SettingsPanels, EditsGoToTheStoreOfTheCurrentScope) {
    struct Case {
        int meter, tag;
    };
    for (const Case c : {Case{1, 74}, Case{0, 85}, Case{2, 96}}) {
        for (int scope = 0; scope < 3; ++scope) {
            SCOPED_TRACE(std::to_string(c.tag) + " in scope " + std::to_string(scope));
            meter_settings::globalStore().fillWithDefaults();
            meter_settings::sessionStore().fillWithDefaults();
            host.set(kScope, scope * 0.5f);
            editor->idleStep();
            if (editor->currentMeter() != c.meter || !front()->isSettingsPanelShown()) turnRound(c.meter);
            const float value = 0.25f + 0.125f * scope;
            edit(c.tag, value);
            const float factory = meter_settings::defaultValue(c.tag);
            MeterModel* model = host.object().meterModel(c.meter);
            EXPECT_EQ(meter_settings::globalStore().get(c.tag), scope == 0 ? value : factory);
            EXPECT_EQ(meter_settings::sessionStore().get(c.tag), scope == 1 ? value : factory);
            if (scope == 2) {
                EXPECT_EQ(model->instanceStoreValue(c.tag), value);
            }
        }
    }
}

TEST_F(SettingsPanels, AnEmptySpotTurnsBackAndStoresAClickOnAControlDoesNot) {
    persistFactoryValues();
    host.set(kScope, 0.f);
    host.set(kHold, 0.5f);
    editor->idleStep();
    BackPanel* back = turnRound(1);
    ASSERT_TRUE(back->isShown());
    EXPECT_TRUE(front()->isShown()) << "the front stays behind its back";

    // A drag on the reference knob: an edit, still on the back, nothing stored yet.
    CPoint knob = back->control(72)->getViewSize().getCenter();
    frame()->platformOnMouseDown(knob, CButtonState(kLButton));
    frame()->platformOnMouseMoved(CPoint(knob.x, knob.y - 40), CButtonState(kLButton));
    frame()->platformOnMouseUp(CPoint(knob.x, knob.y - 40), CButtonState(kLButton));
    const float edited = host.get(72);
    EXPECT_GT(edited, meter_settings::defaultValue(72));
    EXPECT_EQ(meter_settings::globalStore().get(72), edited);
    CPoint window = back->valueText(72)->getViewSize().getCenter();
    click(window);
    click(emptySpot(), kRButton);
    EXPECT_TRUE(back->isShown()) << "knob, value window and a right click keep the panel";
    ASSERT_NE(editor->meterEditor()->zoomMenu(), nullptr) << "the right click opened the zoom menu instead";
    editor->meterEditor()->zoomMenu()->dismiss();
    EXPECT_EQ(persisted(72), meter_settings::defaultValue(72));

    click(emptySpot());
    EXPECT_FALSE(back->isShown());
    EXPECT_EQ(persisted(72), edited) << "turning back stores the Global settings";
    EXPECT_EQ(persisted(85), meter_settings::defaultValue(85)) << "all of them";
    EXPECT_EQ(editor->currentMeter(), 1);
    EXPECT_EQ(host.get(kHold), 0.5f);
    EXPECT_TRUE(host.events().empty()) << "no automation from turning round and back";

    // The front answers the mouse again, hints included.
    CPoint reference = front()->referenceControl()->getViewSize().getCenter();
    frame()->platformOnMouseMoved(reference, CButtonState(0));
    EXPECT_EQ(front()->getHintLabel()->getText(), "Click and drag to adjust RMS reference level");
    persistFactoryValues();
}

TEST_F(SettingsPanels, StoredGlobalsReachAFreshProcess) {
    if (gChildProcess) GTEST_SKIP() << "the parent's half";
    host.set(kScope, 0.f);
    editor->idleStep();
    turnRound(2);
    edit(93, 0.125f);
    edit(98, 1.0f);
    click(emptySpot());
    const std::string command = "\"" + gTestProgram + "\" --child --gtest_brief=1 " +
                                "--gtest_filter=SettingsPanelsChild.StartsWithTheStoredGlobals";
    EXPECT_EQ(std::system(command.c_str()), 0);
    persistFactoryValues();
}

TEST(SettingsPanelsChild, StartsWithTheStoredGlobals) {
    if (!gChildProcess) GTEST_SKIP() << "runs as the fresh process of the test above";
    for (meter_settings::Store* store : {&meter_settings::globalStore(), &meter_settings::sessionStore()}) {
        EXPECT_EQ(store->get(93), 0.125f);
        EXPECT_EQ(store->get(98), 1.0f);
        EXPECT_EQ(store->get(72), meter_settings::defaultValue(72));
    }
}

TEST_F(SettingsPanels, ASessionChangeShowsOnTheOtherInstanceWithinOneTick) {
    VstEditorHost other;
    other.start();
    TemepleteEditor* otherEditor = other.editor();
    ASSERT_TRUE(otherEditor->openOffscreen());
    ASSERT_TRUE(turnRound(1)->isShown());
    BackPanel* otherBack = ::turnRound(other, otherEditor, 1);
    ASSERT_TRUE(otherBack->isShown());
    edit(74, 0.75f);
    edit(77, 1.0f);
    otherEditor->idleStep();
    EXPECT_EQ(otherBack->control(74)->getValue(), 0.75f);
    EXPECT_EQ(otherBack->control(77)->getValue(), 1.0f);
    EXPECT_EQ(otherBack->valueText(74)->getText(), front()->settingsPanel()->valueText(74)->getText());
    otherEditor->close();
}

TEST_F(SettingsPanels, TheFrontKeepsGoingBehindAndTheNeedleDoesNotJump) {
    CZEBMeterFULLPANEL* vu = editor->panel(0);
    host.play(0.5f, 44100);
    vu->idle(1.0);
    const float before = vu->meter(0)->getNeedleValue();
    turnRound(0);
    edit(86, 1.0f);  // the other ballistics type
    edit(84, 1.0f);  // and the slowest integration
    host.play(0.5f, 512);
    vu->idle(1.0);
    EXPECT_NEAR(vu->meter(0)->getNeedleValue(), before, 0.03f * before);
    EXPECT_GT(before, 0.5f);
}

TEST_F(SettingsPanels, ReopenedAsItWasLeftUnlessTheMeterChanged) {
    turnRound(2);
    editor->close();
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_TRUE(front()->isSettingsPanelShown());
    EXPECT_EQ(editor->currentMeter(), 2);
    editor->close();
    host.set(kMeter, 0.f);
    ASSERT_TRUE(editor->openOffscreen());
    EXPECT_FALSE(front()->isSettingsPanelShown());
    // A meter chosen by the host while the back shows takes that back away.
    turnRound(0);
    host.set(kMeter, 0.5f);
    editor->idleStep();
    EXPECT_FALSE(editor->panel(0)->isSettingsPanelShown());
    EXPECT_TRUE(editor->panel(1)->isShown());
}

TEST_F(SettingsPanels, StaysAboveTheStripsAndFollowsTheStripsSwitch) {
    BackPanel* back = turnRound(1);
    auto onTop = [&] { return frame()->getView(frame()->getNbViews() - 1) == back->container(); };
    for (VstInt32 strip : {kShowFilters, kShowLabel}) {
        host.set(strip, 1.f);
        editor->idleStep();
        EXPECT_TRUE(onTop()) << "after strip switch " << strip;
    }
    EXPECT_EQ(frame()->getHeight(), 261);
    host.set(kStrips, 0.f);
    editor->idleStep();
    EXPECT_EQ(back->scopeSelector()->getViewSize(), CRect(0, 1, 581, 12));
    host.set(kStrips, 1.f);
    editor->idleStep();
    EXPECT_EQ(back->scopeSelector()->getViewSize(), CRect(0, 1, 86, 12));
    EXPECT_TRUE(onTop());
}

TEST_F(SettingsPanels, EveryControlIsDrawnWhereItsCaptionIsPrinted) {
    host.set(kShowFilters, 1.f);
    host.set(kShowLabel, 1.f);
    auto differs = [](CColor a, CColor b) {
        return std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue) > 24;
    };
    for (int meter = 0; meter < 3; ++meter) {
        BackPanel* back = turnRound(meter);
        ASSERT_TRUE(back->isShown());
        auto shown = toolkit::renderFrame(*frame());
        ASSERT_NE(shown, nullptr);
        auto bare = toolkit::createOffscreen(layout::kWidth, layout::kHeight);
        CDrawContext context(bare->surface());
        context.drawBitmap(back->container()->getBackground(), CRect(0, 0, layout::kWidth, layout::kHeight));
        for (const layout::Control& c : back->layout().controls) {
            SCOPED_TRACE("meter " + std::to_string(meter) + " tag " + std::to_string(c.tag));
            const CRect r = back->control(c.tag)->getViewSize();
            EXPECT_LE(r.bottom, layout::kAlwaysVisibleHeight) << "seen with the strips off too";
            int drawn = 0;
            for (int y = int(r.top); y < int(r.bottom); ++y)
                for (int x = int(r.left); x < int(r.right); ++x)
                    drawn += differs(shown->pixel(x, y), bare->pixel(x, y));
            EXPECT_GT(drawn, r.getWidth() * r.getHeight() / 10) << "the control draws in its rectangle";
            // The caption is printed on the background right above (or under) that rectangle.
            const layout::Point at = layout::captionAt(c);
            EXPECT_NEAR(at.x, r.getCenter().x, 0.5);
            const double gap = layout::isStepKnob(c.kind) ? at.y - r.bottom : r.top - at.y;
            EXPECT_TRUE(gap >= 2 && gap <= 20) << gap;
            int ink = 0;
            for (int y = int(at.y) - 6; y <= int(at.y); ++y)
                for (int x = int(at.x) - 12; x <= int(at.x) + 12; ++x) ink += bare->pixel(x, y).red > 150;
            EXPECT_GT(ink, 10) << "caption \"" << c.caption << "\" printed";
            if (CTextLabel* text = back->valueText(c.tag)) {
                const CPoint middle = text->getViewSize().getCenter();
                int lit = 0;
                for (int dx = -12; dx <= 12; ++dx) lit += shown->pixel(int(middle.x) + dx, int(middle.y)).red > 120;
                EXPECT_GT(lit, 2) << "the value text shows in its window";
            }
        }
        shown->savePng(("settings-panel-" + std::to_string(meter) + ".png").c_str());
        click(emptySpot());
    }
}
