// On/off buttons: toggling, the wheel rules, hints, the active flag and the frames drawn.
#include <gtest/gtest.h>

#include "controls/latency_control.h"
#include "controls/selectors.h"
#include "controls/text_edits.h"
#include "controls/zeb_buttons.h"
#include "controls/zeb_knobs.h"
#include "controls/zeb_slider.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

namespace {

struct ButtonFixture : ::testing::Test {
    OffscreenFrame f{120, 80};
    RecordingListener listener;
    CBitmap* twoFrames = bandBitmap(20, 40, {kRed, kGreen});   // off red, on green
    CHelpHintLabel* hints = new CHelpHintLabel(CRect(0, 70, 120, 80));

    ~ButtonFixture() override {
        twoFrames->forget();
        hints->forget();
    }
    template <class Button>
    Button* add(std::int32_t tag, CBitmap* bitmap = nullptr, CRect rect = CRect(10, 10, 30, 30)) {
        auto* button = new Button(rect, &listener, tag, bitmap ? bitmap : twoFrames);
        f.frame->addView(button);
        return button;
    }
    static bool click(CControl* control, CButtonState buttons = kLeftClick) {
        CPoint where = control->getViewSize().getCenter();
        return control->onMouseDown(where, buttons) == kMouseEventHandled;
    }
    static void enter(CControl* control) {
        CPoint where = control->getViewSize().getCenter();
        control->onMouseEntered(where, 0);
    }
    static void leave(CControl* control) {
        CPoint where;
        control->onMouseExited(where, 0);
    }
    static void wheel(CControl* control, float distance) { control->onWheel(control->getViewSize().getCenter(), distance, 0); }
};

}  // namespace

TEST_F(ButtonFixture, LeftClickTogglesAsOneEditRoundingTheValue) {
    auto* button = add<CZEBOnOffButton>(4);
    EXPECT_TRUE(click(button));
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
    button->setValue(0.4f);  // rounds to off: a click switches on
    click(button);
    EXPECT_EQ(button->getValue(), 1.f);
    button->setValue(0.5f);  // rounds to on: a click switches off
    click(button);
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(ButtonFixture, OtherButtonsAndMissingListenersAreNotHandled) {
    auto* button = add<CZEBOnOffButton>(4);
    EXPECT_FALSE(click(button, kRightClick));
    button->setListener(nullptr);
    EXPECT_FALSE(click(button));
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_TRUE(listener.values.empty());
}

TEST_F(ButtonFixture, WheelTogglesBeyondATenthOfANotch) {
    auto* button = add<CZEBOnOffButton>(4);
    wheel(button, 0.05f);
    EXPECT_EQ(button->getValue(), 0.f);
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 1.f);
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 0.f);
    wheel(button, -1.f);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.events.size(), 9u) << "each toggle is one bracketed edit";
    EXPECT_FALSE(button->onWheel(CPoint(15, 15), std::numeric_limits<float>::quiet_NaN(), 0));
}

TEST_F(ButtonFixture, RockerWheelSwitchesByDirection) {
    auto* button = add<CZEBOnOffButton>(10);
    button->setRocker(true);
    button->setWheelDirection(true);
    button->setValue(1);
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 1.f) << "scrolling up on an on button leaves it on";
    wheel(button, -1.f);
    EXPECT_EQ(button->getValue(), 0.f);
    wheel(button, -1.f);
    EXPECT_EQ(button->getValue(), 0.f);
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.values, (std::vector<float>{0.f, 1.f}));

    button->setWheelDirection(false);  // reversed: up now switches off
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(ButtonFixture, HintVariantShowsTheHintForTheNewValue) {
    auto* button = add<CZEBOnOffButtonH>(6);
    button->setHintLabel(hints);
    enter(button);
    EXPECT_EQ(hints->getText(), "Shows Strips");
    click(button);
    EXPECT_EQ(hints->getText(), "Hides Strips");
    wheel(button, 1.f);
    EXPECT_EQ(hints->getText(), "Shows Strips");
    leave(button);
    EXPECT_EQ(hints->getText(), "");
}

TEST_F(ButtonFixture, ToolkitOnOffButtonWithHint) {
    auto* button = add<COnOffButtonH>(15);
    button->setHintLabel(hints);
    button->setValue(1);
    enter(button);
    EXPECT_EQ(hints->getText(), "Closes LABEL editor");
    leave(button);
    EXPECT_EQ(hints->getText(), "");
    EXPECT_TRUE(click(button));
    EXPECT_EQ(button->getValue(), 0.f);
}

TEST_F(ButtonFixture, InactiveButtonIgnoresClicksAndWheelAndExplainsOnEntry) {
    auto* button = add<CZEBOnOffButtonAH>(7);
    button->setHintLabel(hints);
    button->setValue(1);
    button->setActive(false);
    EXPECT_TRUE(click(button)) << "swallowed, not passed to what lies below";
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_TRUE(listener.events.empty());
    enter(button);
    EXPECT_EQ(hints->getText(), "Opens FILTERS editor") << "the hint for value 0";

    button->setActive(true);
    enter(button);
    EXPECT_EQ(hints->getText(), "") << "active: entry clears the line";
    wheel(button, 1.f);
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(hints->getText(), "Opens FILTERS editor") << "a wheel step shows the hint for its new value";
    click(button);
    EXPECT_EQ(button->getValue(), 1.f);
}

TEST_F(ButtonFixture, DrawsTheLowerHalfWhenOn) {
    auto* button = add<CZEBOnOffButton>(4);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kRed)) << describe(f.pixel(20, 20));
    button->setValue(0.5f);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kGreen)) << describe(f.pixel(20, 20));
    EXPECT_TRUE(near(f.pixel(10, 10), kGreen));
    EXPECT_TRUE(near(f.pixel(31, 20), kBlack)) << "nothing outside the button";
}

TEST_F(ButtonFixture, StripActiveButtonShowsOffInactiveAndActiveFrames) {
    CBitmap* three = bandBitmap(20, 60, {kRed, kGreen, kBlue});
    auto* button = add<StripActiveButton>(8, three);
    three->forget();
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kRed)) << "off";
    button->setValue(1);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kBlue)) << "on and active: third frame";
    button->setActive(false);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kGreen)) << "on but inactive: second frame";
    button->setValue(0);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kRed));
}

TEST_F(ButtonFixture, KickButtonShowsPressedAndMouseInsideFrames) {
    CBitmap* three = bandBitmap(20, 60, {kRed, kGreen, kBlue});
    auto* button = add<CZEBKickButtonH>(121, three);
    three->forget();
    button->setHintLabel(hints);
    enter(button);
    EXPECT_TRUE(button->isMouseInside());
    EXPECT_EQ(hints->getText(), "Click to open the manual");
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kBlue)) << "mouse inside";
    click(button);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kGreen)) << "pressed";
    CPoint up(20, 20);
    button->onMouseUp(up, kLeftClick);
    leave(button);
    EXPECT_FALSE(button->isMouseInside());
    EXPECT_EQ(hints->getText(), "");
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kRed));
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));
}

TEST_F(ButtonFixture, TypeNamesAreTheClassAndTheGenericOnes) {
    auto* button = add<CZEBOnOffButtonAH>(9);
    for (const char* name : {"CZEBOnOffButtonAH", "CControl", "CView", "CBaseObject"})
        EXPECT_TRUE(button->isTypeOf(name)) << name;
    for (const char* name : {"CZEBOnOffButton", "COnOffButton", "CSlider", ""})
        EXPECT_FALSE(button->isTypeOf(name)) << name;
    EXPECT_FALSE(button->isTypeOf(nullptr));
}


TEST(ControlTypeNames, EveryClassAnswersItsOwnName) {
    const CRect r(0, 0, 10, 10);
    std::vector<std::pair<CControl*, const char*>> controls = {
        {new CZEBOnOffButton(r, nullptr, 0, nullptr), "CZEBOnOffButton"},
        {new CZEBOnOffButtonH(r, nullptr, 0, nullptr), "CZEBOnOffButtonH"},
        {new COnOffButtonH(r, nullptr, 0, nullptr), "COnOffButtonH"},
        {new CZEBOnOffButtonAH(r, nullptr, 0, nullptr), "CZEBOnOffButtonAH"},
        {new StripActiveButton(r, nullptr, 0, nullptr), "StripActiveButton"},
        {new CZEBSliderAH(r, nullptr, 0, nullptr), "CZEBSliderAH"},
        {new CZEBKickButtonH(r, nullptr, 0, nullptr), "CZEBKickButtonH"},
        {new CAnimKnob4(r, nullptr, 0, 1, 10, nullptr), "CAnimKnob4"},
        {new CFrontReferenceControl(r, nullptr, 0, nullptr), "CFrontReferenceControl"},
        {new CZEBLatencyControl(r, nullptr, 0, nullptr), "CZEBLatencyControl"},
        {new CZEBCalibrationControl(r, nullptr, 0, nullptr), "CZEBCalibrationControl"},
        {new CZEBMeterSelectorControl(r, nullptr, 3, nullptr), "CZEBMeterSelectorControl"},
        {new CZEBHorizontalSwitch(r, nullptr, 0, 3, 10, 3, nullptr), "CZEBHorizontalSwitch"},
        {new CZEBTextEditTM(r, nullptr, 0), "CZEBTextEditTM"},
        {new CMyTextEdit(r, nullptr, 0), "CMyTextEdit"},
        {new CMyTextEditAH(r, nullptr, 0), "CMyTextEditAH"},
        {new CZEBTapeLabel(r, nullptr, "link"), "CZEBTapeLabel"},
        {new CHelpHintLabel(r), "CHelpHintLabel"},
    };
    for (auto& [control, name] : controls) {
        EXPECT_TRUE(control->isTypeOf(name)) << name;
        EXPECT_TRUE(control->isTypeOf("CControl")) << name;
        EXPECT_TRUE(control->isTypeOf("CView")) << name;
        EXPECT_TRUE(control->isTypeOf("CBaseObject")) << name;
        EXPECT_FALSE(control->isTypeOf("CViewContainer")) << name;
        for (auto& [other, otherName] : controls) {
            if (other != control) {
                EXPECT_FALSE(control->isTypeOf(otherName)) << name << " is no " << otherName;
            }
        }
    }
    for (auto& entry : controls) entry.first->forget();
}
