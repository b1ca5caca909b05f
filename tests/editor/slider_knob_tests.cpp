// The active slider, the anim knob and the three-digit latency control.
#include <gtest/gtest.h>

#include "controls/latency_control.h"
#include "controls/zeb_knobs.h"
#include "controls/zeb_slider.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

namespace {

CMouseEventResult down(CControl* c, double x, double y, CButtonState b = kLeftClick) {
    CPoint where(x, y);
    return c->onMouseDown(where, b);
}
CMouseEventResult move(CControl* c, double x, double y, CButtonState b = kLeftClick) {
    CPoint where(x, y);
    return c->onMouseMoved(where, b);
}
CMouseEventResult up(CControl* c, double x, double y) {
    CPoint where(x, y);
    return c->onMouseUp(where, kLeftClick);
}

struct SliderFixture : ::testing::Test {
    OffscreenFrame f{140, 60};
    RecordingListener listener;
    CHelpHintLabel* hints = new CHelpHintLabel(CRect(0, 0, 100, 10));
    CZEBSliderAH* slider;

    SliderFixture() {
        CBitmap* handle = bandBitmap(10, 10, {kBlue});
        CBitmap* track = bandBitmap(100, 20, {kWhite});
        // Handle travel: leading edge 0..90 pixels from the left, value 0 at the left.
        slider = new CZEBSliderAH(CRect(10, 10, 110, 30), &listener, 11, handle, track);
        handle->forget();
        track->forget();
        slider->setDefaultValue(0.25f);
        slider->setHintLabel(hints);
        f.frame->addView(slider);
    }
    ~SliderFixture() override { hints->forget(); }
};

}  // namespace

TEST_F(SliderFixture, DraggingTheHandleKeepsTheGrabbedSpot) {
    EXPECT_EQ(down(slider, 15, 20), kMouseEventHandled);  // 5 pixels into the handle at value 0
    EXPECT_EQ(slider->getValue(), 0.f) << "grabbing does not move the handle";
    move(slider, 60, 20);
    EXPECT_NEAR(slider->getValue(), 0.5f, 1e-6);
    move(slider, 500, 20);
    EXPECT_EQ(slider->getValue(), 1.f);
    up(slider, 500, 20);
    EXPECT_EQ(listener.events.front(), "begin");
    EXPECT_EQ(listener.events.back(), "end");
    EXPECT_FALSE(slider->isEditing());
}

TEST_F(SliderFixture, DoubleClickSetsTheDefault) {
    slider->setValue(0.8f);
    down(slider, 60, 20, kLeftDouble);
    EXPECT_EQ(slider->getValue(), 0.25f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
    down(slider, 60, 20, kLeftDouble);
    EXPECT_EQ(listener.values.size(), 1u) << "already at the default: the listener hears nothing";
}

TEST_F(SliderFixture, WheelStepsWithFineModeOnShift) {
    slider->setWheelStep(0.025f);
    slider->onWheel(CPoint(50, 20), 3.f, 0);  // any distance beyond 0.1 is one notch
    EXPECT_NEAR(slider->getValue(), 0.025f, 1e-6);
    slider->onWheel(CPoint(50, 20), 1.f, kShift);
    EXPECT_NEAR(slider->getValue(), 0.0275f, 1e-6);
    slider->onWheel(CPoint(50, 20), -1.f, 0);
    slider->onWheel(CPoint(50, 20), -1.f, 0);
    EXPECT_EQ(slider->getValue(), 0.f) << "clamped at the bottom";
}

TEST_F(SliderFixture, InactiveSliderIgnoresMouseAndWheelAndExplains) {
    slider->setValue(0.6f);
    slider->setActive(false);
    EXPECT_EQ(down(slider, 15, 20), kMouseEventHandled);
    EXPECT_EQ(move(slider, 90, 20), kMouseEventHandled);
    EXPECT_EQ(up(slider, 90, 20), kMouseEventHandled);
    EXPECT_EQ(down(slider, 60, 20, kLeftDouble), kMouseEventHandled);
    EXPECT_TRUE(slider->onWheel(CPoint(50, 20), 1.f, 0));
    EXPECT_EQ(slider->getValue(), 0.6f);
    EXPECT_TRUE(listener.events.empty());
    CPoint at(50, 20);
    slider->onMouseEntered(at, 0);
    EXPECT_EQ(hints->getText(), "Click PROCESS to activate FILTERS");
    slider->setActive(true);
    slider->onMouseEntered(at, 0);
    EXPECT_EQ(hints->getText(), "");
}

TEST_F(SliderFixture, InactiveSliderIsDrawnAtHalfOpacity) {
    slider->setValue(1);  // handle at the right end
    EXPECT_TRUE(near(f.renderedPixel(20, 20), kWhite)) << describe(f.pixel(20, 20));
    EXPECT_TRUE(near(f.pixel(105, 20), kBlue)) << describe(f.pixel(105, 20));
    slider->setActive(false);
    const CColor halfWhite{128, 128, 128, 255};  // over the frame's black
    EXPECT_TRUE(near(f.renderedPixel(20, 20), halfWhite)) << describe(f.pixel(20, 20));
    // The handle, also at half opacity, over the half-opaque track.
    EXPECT_TRUE(near(f.pixel(105, 20), CColor{64, 64, 192, 255})) << describe(f.pixel(105, 20));
    EXPECT_TRUE(near(f.pixel(5, 5), kBlack));
}

// ---- CAnimKnob4

namespace {

struct KnobFixture : ::testing::Test {
    OffscreenFrame f{60, 40};
    RecordingListener listener;
    CAnimKnob4* knob;
    KnobFixture() {
        CBitmap* frames = bandBitmap(20, 60, {kRed, kGreen, kBlue});
        knob = new CAnimKnob4(CRect(0, 0, 20, 20), &listener, 73, 3, 20, frames);
        frames->forget();
        knob->setDefaultValue(0.5f);
        f.frame->addView(knob);
    }
};

}  // namespace

TEST_F(KnobFixture, ControlClickAndDoubleClickResetToTheDefault) {
    knob->setValue(0.9f);
    EXPECT_EQ(down(knob, 10, 10, kLeftControl), kMouseEventHandled);
    EXPECT_EQ(knob->getValue(), 0.5f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
    move(knob, 200, 10, kLeftControl);
    EXPECT_EQ(knob->getValue(), 0.5f) << "a reset starts no drag";
    knob->setValue(0.1f);
    down(knob, 10, 10, kLeftDouble);
    EXPECT_EQ(knob->getValue(), 0.5f);
}

TEST_F(KnobFixture, DragRightAndUpBothIncrease) {
    knob->setValue(0.2f);
    down(knob, 10, 10);
    move(knob, 110, 10);  // 100 pixels of 1000
    EXPECT_NEAR(knob->getValue(), 0.3f, 1e-5);
    move(knob, 110, -40);  // and 50 up
    EXPECT_NEAR(knob->getValue(), 0.35f, 1e-5);
    move(knob, -2000, 10);
    EXPECT_EQ(knob->getValue(), 0.f);
    up(knob, 0, 0);
    EXPECT_EQ(listener.events.back(), "end");
}

TEST_F(KnobFixture, ShiftIsFiveTimesFinerAndDoesNotJumpWhenPressedMidDrag) {
    knob->setValue(0.5f);
    down(knob, 0, 0);
    move(knob, 100, 0);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5);
    move(knob, 100, 0, kLeftShift);
    EXPECT_NEAR(knob->getValue(), 0.6f, 1e-5) << "no jump when Shift goes down";
    move(knob, 150, 0, kLeftShift);
    EXPECT_NEAR(knob->getValue(), 0.61f, 1e-5) << "50 pixels of 5000";
    move(knob, 150, 0);
    EXPECT_NEAR(knob->getValue(), 0.61f, 1e-5) << "no jump when Shift comes up";
    move(knob, 160, 0);
    EXPECT_NEAR(knob->getValue(), 0.62f, 1e-5);
}

TEST_F(KnobFixture, SensitivityScalesTheDrag) {
    knob->setSensitivity(0.5f);
    knob->setValue(0);
    down(knob, 0, 0);
    move(knob, 50, 0);
    EXPECT_NEAR(knob->getValue(), 0.1f, 1e-5);
}

TEST_F(KnobFixture, WheelStepsAHundredthOrAThousandthWithShift) {
    knob->setValue(0.5f);
    knob->onWheel(CPoint(10, 10), 1.f, 0);
    EXPECT_NEAR(knob->getValue(), 0.51f, 1e-6);
    knob->onWheel(CPoint(10, 10), -0.05f, 0);  // a small distance counts as it is
    EXPECT_NEAR(knob->getValue(), 0.5095f, 1e-6);
    knob->onWheel(CPoint(10, 10), -1.f, kShift);
    EXPECT_NEAR(knob->getValue(), 0.5085f, 1e-6);
}

TEST_F(KnobFixture, WithoutListenerTheKnobIgnoresTheMouse) {
    knob->setListener(nullptr);
    EXPECT_EQ(down(knob, 10, 10, kLeftControl), kMouseEventNotHandled);
    EXPECT_EQ(down(knob, 10, 10, kRightClick), kMouseEventNotHandled);
}

TEST_F(KnobFixture, FrameFollowsTheRoundedValue) {
    const std::pair<float, CColor> cases[] = {{0.f, kRed}, {0.24f, kRed}, {0.25f, kGreen}, {0.74f, kGreen}, {1.f, kBlue}};
    for (const auto& [value, colour] : cases) {
        knob->setValue(value);
        EXPECT_TRUE(near(f.renderedPixel(10, 10), colour)) << value << " " << describe(f.pixel(10, 10));
    }
}

// ---- CZEBLatencyControl

namespace {

struct LatencyFixture : ::testing::Test {
    OffscreenFrame f{60, 60};
    RecordingListener listener;
    CZEBLatencyControl* control;
    LatencyFixture() {
        CBitmap* frames = bandBitmap(26, 120, {kRed, CColor{0, 0, 0, 0}, CColor{0, 0, 0, 0}});
        control = new CZEBLatencyControl(CRect(0, 0, 26, 40), &listener, 16, frames);
        frames->forget();
        control->setDefaultValue(0.1f);
        f.frame->addView(control);
    }
    float steps(int n) const { return static_cast<float>(n) / 999.f; }
};

}  // namespace

TEST_F(LatencyFixture, CentreZonesStepByTenOrOneWithShift) {
    control->setValue(steps(500));
    down(control, 13, 5);
    EXPECT_EQ(control->getNumber(), 510);
    down(control, 20, 13, kLeftShift);
    EXPECT_EQ(control->getNumber(), 511);
    down(control, 6, 26);
    EXPECT_EQ(control->getNumber(), 501);
    down(control, 13, 39, kLeftShift);
    EXPECT_EQ(control->getNumber(), 500);
    EXPECT_FALSE(control->isEditing());
}

TEST_F(LatencyFixture, UpperZoneAtTheTopLeavesNineHundredNinetyNine) {
    control->setValue(1);
    down(control, 13, 2);
    EXPECT_EQ(control->getNumber(), 999);
    EXPECT_EQ(control->getValue(), 1.f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "end"})) << "no change to report";
    control->setValue(0);
    down(control, 13, 30);
    EXPECT_EQ(control->getValue(), 0.f);
}

TEST_F(LatencyFixture, DoubleClickOutsideTheStepZonesAsksForTheDefault) {
    control->setValue(steps(700));
    down(control, 13, 20, kLeftDouble);
    EXPECT_TRUE(control->getSetDefault());
    EXPECT_EQ(control->getValue(), 0.1f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
    control->clearSetDefault();
    EXPECT_FALSE(control->getSetDefault());
    down(control, 13, 5, kLeftDouble);
    EXPECT_FALSE(control->getSetDefault()) << "a double click on a step zone is two steps, not a reset";
}

TEST_F(LatencyFixture, VerticalDragTwoStepsPerPixelOrATenthWithShift) {
    control->setValue(steps(100));
    down(control, 1, 20);  // outside the centre strip
    move(control, 1, 10);
    EXPECT_EQ(control->getNumber(), 120);
    move(control, 1, 15);
    EXPECT_EQ(control->getNumber(), 110);
    move(control, 1, -85, kLeftShift);  // 100 pixels up, a tenth of a step each
    EXPECT_EQ(control->getNumber(), 120);
    move(control, 1, 5000);
    EXPECT_EQ(control->getValue(), 0.f);
    up(control, 1, 5000);
    EXPECT_EQ(listener.events.back(), "end");
    EXPECT_FALSE(control->isEditing());
}

TEST_F(LatencyFixture, WheelStepsTenOrOneWithShift) {
    control->setWheelStep(0.01001f);
    control->setValue(steps(20));
    control->onWheel(CPoint(13, 20), 1.f, 0);
    EXPECT_EQ(control->getNumber(), 30);
    control->onWheel(CPoint(13, 20), -1.f, kShift);
    EXPECT_EQ(control->getNumber(), 29);
}

TEST_F(LatencyFixture, DrawsTheBodyAndTheDigits) {
    auto lightPixels = [&] {
        int count = 0;
        for (int y = 14; y < 26; ++y)
            for (int x = 2; x < 24; ++x)
                if (f.pixel(x, y).green > 120) ++count;
        return count;
    };
    control->setValue(steps(111));
    f.renderedPixel(0, 0);
    EXPECT_TRUE(near(f.pixel(1, 2), kRed)) << describe(f.pixel(1, 2));
    const int ones = lightPixels();
    control->setValue(steps(888));
    f.renderedPixel(0, 0);
    const int eights = lightPixels();
    EXPECT_GT(ones, 0) << "digits are drawn in the window";
    EXPECT_GT(eights, ones) << "eights cover more of the window than ones";
}
