// The standard controls driven by synthetic mouse events, and the listener protocol.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <limits>
#include <thread>

#include "tests/toolkit/test_support.h"

using namespace testsupport;

namespace {

const std::vector<std::string> kOneEdit{"begin", "change", "end"};

}  // namespace

TEST(OnOffButton, LeftClickTogglesInsideOneEdit) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), &listener, 7, bitmap);
    bitmap->forget();
    f.frame->addView(button);

    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(5, 5), kLeftClick), kMouseEventHandled);
    f.frame->platformOnMouseUp(CPoint(5, 5), kLeftClick);
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.events, kOneEdit);
    f.frame->platformOnMouseDown(CPoint(5, 5), kLeftClick);
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f}));

    // Only the left button toggles.
    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(5, 5), CButtonState(kRButton)), kMouseEventNotHandled);
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_FALSE(button->isEditing());
}

TEST(KickButton, PressShowsMaxAndReleaseReturnsToMin) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* button = new CKickButton(CRect(0, 0, 20, 20), &listener, 121, nullptr);
    f.frame->addView(button);
    f.frame->platformOnMouseDown(CPoint(5, 5), kLeftClick);
    EXPECT_EQ(button->getValue(), 1.f);
    f.frame->platformOnMouseMoved(CPoint(50, 50), kLeftClick);  // dragged off: released look
    EXPECT_EQ(button->getValue(), 0.f);
    f.frame->platformOnMouseMoved(CPoint(6, 6), kLeftClick);  // back on
    f.frame->platformOnMouseUp(CPoint(6, 6), kLeftClick);
    EXPECT_EQ(button->getValue(), 0.f);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f, 1.f, 0.f}));
    EXPECT_EQ(listener.events.front(), "begin");
    EXPECT_EQ(listener.events.back(), "end");
}

TEST(Slider, DragMovesTheHandleAlongItsAxis) {
    OffscreenFrame f(200, 60);
    RecordingListener listener;
    auto* handle = new CBitmap(kHandle);  // 10 px wide
    auto* slider = new CSlider(CRect(20, 10, 130, 30), &listener, 11, handle, nullptr, kHorizontal | kLeft);
    handle->forget();
    f.frame->addView(slider);
    // The handle's left edge travels 0..100 px; at value 0 it covers x 20..30.
    EXPECT_EQ(slider->getHandleRect(), CRect(20, 15, 30, 25));

    // Grab the handle 3 px from its edge and drag 50 px right: value 0.5, no jump on grab.
    f.frame->platformOnMouseDown(CPoint(23, 20), kLeftClick);
    EXPECT_EQ(slider->getValue(), 0.f);
    f.frame->platformOnMouseMoved(CPoint(73, 20), kLeftClick);
    EXPECT_NEAR(slider->getValue(), 0.5f, 1e-6);
    f.frame->platformOnMouseMoved(CPoint(500, 20), kLeftClick);
    EXPECT_EQ(slider->getValue(), 1.f) << "clamped at the end of the travel";
    f.frame->platformOnMouseUp(CPoint(500, 20), kLeftClick);
    EXPECT_FALSE(slider->isEditing());
    EXPECT_EQ(listener.events.front(), "begin");
    EXPECT_EQ(listener.events.back(), "end");

    // A click beside the handle centres it under the mouse.
    f.frame->platformOnMouseDown(CPoint(45, 20), kLeftClick);
    f.frame->platformOnMouseUp(CPoint(45, 20), kLeftClick);
    EXPECT_NEAR(slider->getValue(), 0.2f, 1e-6);
}

TEST(Slider, VerticalSliderHasItsMinimumAtTheBottom) {
    OffscreenFrame f(60, 200);
    auto* handle = new CBitmap(kHandle);
    auto* slider = new CSlider(CRect(0, 0, 20, 110), nullptr, 1, handle, nullptr, kVertical | kBottom);
    handle->forget();
    f.frame->addView(slider);
    EXPECT_EQ(slider->getHandleRect().bottom, 110);
    slider->setValue(1);
    EXPECT_EQ(slider->getHandleRect().top, 0);
    f.frame->platformOnMouseDown(CPoint(10, 5), kLeftClick);    // on the handle, 5 px into it
    f.frame->platformOnMouseMoved(CPoint(10, 55), kLeftClick);  // 50 px down
    EXPECT_NEAR(slider->getValue(), 0.5f, 1e-6);
    f.frame->platformOnMouseUp(CPoint(10, 55), kLeftClick);
}

TEST(Knob, LinearModeFollowsVerticalMovementAndShiftDoesNotJump) {
    OffscreenFrame f;
    RecordingListener listener;
    CKnob::setKnobMode(kLinearMode);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), &listener, 5, nullptr);
    knob->setValue(0.5f);
    f.frame->addView(knob);
    f.frame->platformOnMouseDown(CPoint(20, 20), kLeftClick);
    f.frame->platformOnMouseMoved(CPoint(20, 0), kLeftClick);  // 20 px up of 200 for the range
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6);
    f.frame->platformOnMouseMoved(CPoint(20, 0), CButtonState(kLButton | kShift));
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-6) << "pressing Shift mid-drag keeps the value";
    f.frame->platformOnMouseMoved(CPoint(20, -20), CButtonState(kLButton | kShift));
    EXPECT_NEAR(knob->getValue(), 0.61f, 1e-6) << "fine mode: ten times the distance";
    f.frame->platformOnMouseUp(CPoint(20, -20), kLeftClick);
    // Control-click: default value.
    f.frame->platformOnMouseDown(CPoint(20, 20), CButtonState(kLButton | kControl));
    EXPECT_EQ(knob->getValue(), knob->getDefaultValue());
    CKnob::setKnobMode(kCircularMode);
}

TEST(Knob, CircularModeSetsTheValueFromTheAngle) {
    OffscreenFrame f;
    CKnob::setKnobMode(kCircularMode);
    auto* knob = new CKnob(CRect(0, 0, 40, 40), nullptr, 5, nullptr);
    f.frame->addView(knob);
    f.frame->platformOnMouseDown(CPoint(20, 0), kLeftClick);  // straight up: the middle of 270 degrees
    EXPECT_NEAR(knob->getValue(), 0.5f, 1e-3);
    f.frame->platformOnMouseMoved(CPoint(40, 20), kLeftClick);  // right: three quarters
    EXPECT_NEAR(knob->getValue(), 0.8333f, 1e-3);
    f.frame->platformOnMouseUp(CPoint(40, 20), kLeftClick);
}

TEST(Switches, HorizontalSwitchPicksThePositionUnderTheMouse) {
    OffscreenFrame f;
    RecordingListener listener;
    auto* sw = new CHorizontalSwitch(CRect(0, 0, 30, 10), &listener, 5, 3, 10, 3, nullptr);
    f.frame->addView(sw);
    f.frame->platformOnMouseDown(CPoint(25, 5), kLeftClick);
    EXPECT_EQ(sw->getValue(), 1.f);
    f.frame->platformOnMouseMoved(CPoint(15, 5), kLeftClick);
    EXPECT_EQ(sw->getValue(), 0.5f);
    f.frame->platformOnMouseMoved(CPoint(-40, 5), kLeftClick);
    EXPECT_EQ(sw->getValue(), 0.f);
    f.frame->platformOnMouseUp(CPoint(-40, 5), kLeftClick);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.5f, 0.f}));
}

TEST(Switches, StackedFrameIndexRoundsAndClamps) {
    EXPECT_EQ(stackedFrameIndex(0.f, 5), 0);
    EXPECT_EQ(stackedFrameIndex(0.124f, 5), 0);
    EXPECT_EQ(stackedFrameIndex(0.125f, 5), 1);
    EXPECT_EQ(stackedFrameIndex(1.f, 5), 4);
    EXPECT_EQ(stackedFrameIndex(7.f, 5), 4);
    EXPECT_EQ(stackedFrameIndex(-1.f, 5), 0);
    EXPECT_EQ(stackedFrameIndex(std::numeric_limits<float>::quiet_NaN(), 5), 0);
    EXPECT_EQ(stackedFrameIndex(0.9f, 1), 0);
}

TEST(ControlValues, SetValueIgnoresNaNAndMarksDirtyOnlyOnChange) {
    auto* control = new CControl(CRect(0, 0, 10, 10));
    control->setDirty(false);
    control->setValue(0.25f);
    EXPECT_TRUE(control->takeDirty());
    control->setValue(0.25f);
    EXPECT_FALSE(control->isDirty());
    control->setValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(control->getValue(), 0.25f);
    control->setValue(3.f);
    control->bounceValue();
    EXPECT_EQ(control->getValue(), 1.f);
    control->endEdit();  // unbalanced end: ignored
    EXPECT_FALSE(control->isEditing());
    control->forget();
}

TEST(ControlValues, ValuesSetFromAnotherThreadReachTheScreenThroughIdle) {
    OffscreenFrame f;
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), nullptr, 0, bitmap);
    bitmap->forget();
    auto* label = new CTextLabel(CRect(30, 0, 90, 20), "start");
    f.frame->addView(button);
    f.frame->addView(label);
    f.frame->idle();

    std::atomic<bool> stop{false};
    std::atomic<int> rounds{0};
    std::thread audio([&] {
        // The host's audio thread sets parameters while the GUI thread repaints.
        for (int i = 0; !stop.load() || i < 2000; ++i) {
            button->setValue(static_cast<float>(i & 1));
            label->setText(i & 1 ? "odd" : "even");
            rounds.store(i);
        }
    });
    for (int i = 0; i < 200 || rounds.load() < 1000; ++i) f.frame->idle();
    stop = true;
    audio.join();

    button->setValue(1.f);
    f.frame->idle();
    EXPECT_TRUE(near(f.pixel(10, 10), kGreenCColor)) << describe(f.pixel(10, 10));
    const std::string text = label->getText();
    EXPECT_TRUE(text == "odd" || text == "even") << "torn text: " << text;
    label->setText("final");
    EXPECT_EQ(label->getText(), "final");
}

TEST(TextViews, ParamDisplayFormatsItsValueAndLabelsCutLongTextAtACharacter) {
    OffscreenFrame f(120, 20);
    auto* display = new CParamDisplay(CRect(0, 0, 120, 20), nullptr, kNoFrame);
    display->setFontColor(kWhiteCColor);
    display->setValueToStringFunction([](float value, char text[256]) {
        if (value < 0.5f) return false;  // nothing to show
        std::snprintf(text, 256, "%.0f%%", value * 100);
        return true;
    });
    f.frame->addView(display);
    display->setValue(0.25f);
    f.frame->idle();
    auto lit = [&] {
        int count = 0;
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 120; ++x) count += f.pixel(x, y).red > 128;
        return count;
    };
    EXPECT_EQ(lit(), 0);
    display->setValue(0.75f);
    f.frame->idle();
    EXPECT_GT(lit(), 10);

    // 127 two-byte characters and one more: the cut may not split the last one.
    std::string longText;
    for (int i = 0; i < 128; ++i) longText += "\xC3\xA9";
    auto* label = new CTextLabel(CRect(0, 0, 10, 10), longText.c_str());
    EXPECT_EQ(label->getText().size(), 254u);
    EXPECT_EQ(label->getText(), longText.substr(0, 254));
    char small[4];
    label->getText(small, sizeof small);
    EXPECT_STREQ(small, "\xC3\xA9\xC3");
    label->setText(nullptr);
    EXPECT_EQ(label->getText(), "");
    label->forget();
}

TEST(FrameSize, ResizingRepaintsAtTheNewSize) {
    OffscreenFrame f(50, 20);
    f.frame->idle();
    EXPECT_FALSE(f.frame->setSize(0, 10));
    EXPECT_FALSE(f.frame->setSize(std::numeric_limits<double>::quiet_NaN(), 10));
    ASSERT_TRUE(f.frame->setSize(50, 40));
    f.frame->idle();
    EXPECT_EQ(f.frame->getViewSize().getHeight(), 40);
    EXPECT_EQ(f.window().lastPaintedRect(), CRect(0, 0, 50, 40));
    EXPECT_TRUE(near(f.pixel(25, 35), kBlackCColor));
}

TEST(MovieBitmap, TakesNoMouseInput) {
    OffscreenFrame f;
    RecordingListener listener;
    f.frame->addView(new CMovieBitmap(CRect(0, 0, 20, 20), &listener, 102, 3, 10, nullptr));
    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(5, 5), kLeftClick), kMouseEventNotHandled);
    EXPECT_FALSE(f.frame->platformOnMouseWheel(CPoint(5, 5), 1, 0));
    EXPECT_TRUE(listener.values.empty());
}
