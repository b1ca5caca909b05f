// The meter selector, the scope selector, the horizontal switch and the reference read-out.
#include <gtest/gtest.h>

#include "controls/selectors.h"
#include "controls/zeb_knobs.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

namespace {

CMouseEventResult down(CControl* c, double x, double y, CButtonState b = kLeftClick) {
    CPoint where(x, y);
    return c->onMouseDown(where, b);
}

struct MeterSelectorFixture : ::testing::Test {
    OffscreenFrame f{200, 60};
    RecordingListener listener;
    CHelpHintLabel* hints = new CHelpHintLabel(CRect(0, 50, 200, 60));
    CZEBMeterSelectorControl* selector;
    // 149 x 22 at (10, 10): left zone x <= 30, right zone x >= 139.
    MeterSelectorFixture() {
        CBitmap* frames = bandBitmap(149, 66, {kRed, kGreen, kBlue});
        selector = new CZEBMeterSelectorControl(CRect(10, 10, 159, 32), &listener, 3, frames);
        frames->forget();
        selector->setHintLabel(hints);
        f.frame->addView(selector);
    }
    ~MeterSelectorFixture() override { hints->forget(); }
};

}  // namespace

TEST_F(MeterSelectorFixture, ZonesAreTwentyPixelsAtEachEnd) {
    EXPECT_EQ(selector->zoneAt(CPoint(30, 20)), CZEBMeterSelectorControl::kLeftZone);
    EXPECT_EQ(selector->zoneAt(CPoint(31, 20)), CZEBMeterSelectorControl::kMiddleZone);
    EXPECT_EQ(selector->zoneAt(CPoint(138, 20)), CZEBMeterSelectorControl::kMiddleZone);
    EXPECT_EQ(selector->zoneAt(CPoint(139, 20)), CZEBMeterSelectorControl::kRightZone);
}

TEST_F(MeterSelectorFixture, LeftAndRightClicksCycleAndWrapBetweenVuAndPpm) {
    down(selector, 15, 20);
    EXPECT_EQ(selector->getValue(), 1.f) << "left of VU is PPM";
    down(selector, 150, 20);
    EXPECT_EQ(selector->getValue(), 0.f) << "right of PPM is VU";
    down(selector, 150, 20);
    EXPECT_EQ(selector->getValue(), 0.5f);
    down(selector, 15, 20);
    EXPECT_EQ(selector->getValue(), 0.f);
    EXPECT_EQ(listener.values, (std::vector<float>{1.f, 0.f, 0.5f, 0.f}));
    EXPECT_EQ(hints->getText(), "Changes current meter to RAD3") << "the hint follows the new meter";
    EXPECT_EQ(down(selector, 15, 20, kRightClick), kMouseEventNotHandled);
}

TEST_F(MeterSelectorFixture, MiddleClickGoesToTheListenerAsTheInnerButton) {
    selector->setValue(0.5f);
    EXPECT_EQ(down(selector, 80, 20), kMouseEventHandled);
    EXPECT_EQ(selector->getValue(), 0.5f);
    ASSERT_EQ(listener.tags.size(), 1u);
    EXPECT_EQ(listener.tags[0], CZEBMeterSelectorControl::kInnerButtonTag);
    EXPECT_EQ(selector->getInnerButton()->getViewSize(), selector->getViewSize());
}

TEST_F(MeterSelectorFixture, HoverLightsTheZoneAndNamesTheMeter) {
    EXPECT_TRUE(near(f.renderedPixel(80, 20), kRed)) << "idle frame";
    CPoint at(20, 20);
    selector->onMouseMoved(at, 0);
    EXPECT_EQ(selector->getZone(), CZEBMeterSelectorControl::kLeftZone);
    EXPECT_EQ(hints->getText(), "Changes current meter to RAD3");
    EXPECT_TRUE(near(f.renderedPixel(80, 20), kGreen)) << "left arrow frame";
    at = CPoint(150, 20);
    selector->onMouseMoved(at, 0);
    EXPECT_EQ(hints->getText(), "Changes current meter to RMS3");
    EXPECT_TRUE(near(f.renderedPixel(80, 20), kBlue)) << "right arrow frame";
    selector->onMouseExited(at, 0);
    EXPECT_EQ(selector->getZone(), CZEBMeterSelectorControl::kMiddleZone);
    EXPECT_EQ(hints->getText(), "");
    EXPECT_TRUE(near(f.renderedPixel(80, 20), kRed));
}

TEST_F(MeterSelectorFixture, WheelStepsOneMeterWithoutWrapping) {
    selector->onWheel(CPoint(80, 20), 1.f, 0);
    EXPECT_EQ(selector->getValue(), 0.5f);
    selector->onWheel(CPoint(80, 20), 1.f, 0);
    selector->onWheel(CPoint(80, 20), 1.f, 0);
    EXPECT_EQ(selector->getValue(), 1.f);
    EXPECT_EQ(listener.values.size(), 2u);
    selector->setValue(0.3f);  // off the grid: a small distance snaps it
    selector->onWheel(CPoint(80, 20), 0.05f, 0);
    EXPECT_EQ(selector->getValue(), 0.5f);
}

TEST(CalibrationControl, ClickPicksThePositionByX) {
    OffscreenFrame f{100, 40};
    RecordingListener listener;
    CBitmap* frames = bandBitmap(86, 33, {kRed, kGreen, kBlue});
    auto* control = new CZEBCalibrationControl(CRect(0, 1, 86, 12), &listener, 2, frames);
    frames->forget();
    f.frame->addView(control);
    const std::pair<double, float> cases[] = {{20, 0.5f}, {5, 0.f}, {37.9, 1.f}, {14, 0.5f}, {60, 0.5f}, {0, 0.f}};
    for (const auto& [x, value] : cases) {
        down(control, x, 5);
        EXPECT_EQ(control->getValue(), value) << x;
    }
    EXPECT_EQ(listener.values.size(), 6u) << "every click is reported, also one that keeps the position";
    EXPECT_TRUE(near(f.renderedPixel(50, 6), kRed));
    control->setValue(0.5f);
    EXPECT_TRUE(near(f.renderedPixel(50, 6), kGreen));
    control->setValue(1.f);
    EXPECT_TRUE(near(f.renderedPixel(50, 6), kBlue));
    control->onWheel(CPoint(5, 5), -1.f, 0);
    EXPECT_EQ(control->getValue(), 0.5f);
    control->setListener(nullptr);
    EXPECT_EQ(down(control, 5, 5), kMouseEventNotHandled);
}

TEST(HorizontalSwitch, WheelMovesOnePosition) {
    RecordingListener listener;
    SharedPointer<CZEBHorizontalSwitch> sw =
        SharedPointer<CZEBHorizontalSwitch>::adopt(new CZEBHorizontalSwitch(CRect(0, 0, 60, 16), &listener, 87, 3, 16, 3, nullptr));
    sw->onWheel(CPoint(5, 5), 1.f, 0);
    EXPECT_EQ(sw->getValue(), 0.5f);
    sw->onWheel(CPoint(5, 5), 1.f, 0);
    sw->onWheel(CPoint(5, 5), 1.f, 0);
    EXPECT_EQ(sw->getValue(), 1.f);
    sw->onWheel(CPoint(5, 5), -1.f, 0);
    EXPECT_EQ(sw->getValue(), 0.5f);
    EXPECT_EQ(listener.values, (std::vector<float>{0.5f, 1.f, 0.5f}));
    EXPECT_TRUE(sw->isTypeOf("CZEBHorizontalSwitch"));
    EXPECT_FALSE(sw->isTypeOf("CHorizontalSwitch"));
}

TEST(FrontReferenceControl, CaptionIsDrawnInItsWindowOnly) {
    OffscreenFrame f{220, 20};
    RecordingListener listener;
    CBitmap* plate = bandBitmap(200, 28, {kBlue, kRed});  // frame 0 blue
    auto* control = new CFrontReferenceControl(CRect(0, 0, 200, 14), &listener, 72, plate);
    plate->forget();
    f.frame->addView(control);
    auto captionPixels = [&](int from, int to) {
        int count = 0;
        for (int y = 0; y < 14; ++y)
            for (int x = from; x < to; ++x)
                if (near(f.pixel(x, y), CFrontReferenceControl::kCaptionColor, 40)) ++count;
        return count;
    };
    f.renderedPixel(0, 0);
    EXPECT_TRUE(near(f.pixel(40, 7), kBlue)) << "frame 0 of the plate";
    EXPECT_EQ(captionPixels(0, 200), 0);
    control->setCaption("-18 dBFS = 0 VU  WWWWWWWWWWWWWWWWWWWW");
    f.renderedPixel(0, 0);
    EXPECT_GT(captionPixels(81, 198), 0);
    EXPECT_EQ(captionPixels(0, 81), 0) << "nothing left of the window";
    EXPECT_EQ(captionPixels(198, 220), 0) << "nothing right of the window";

    CHelpHintLabel* hints = new CHelpHintLabel(CRect(0, 0, 10, 10));
    control->setHintLabel(hints);
    CPoint at(100, 7);
    control->onMouseEntered(at, 0);
    EXPECT_EQ(hints->getText(), "Click and drag to adjust RMS reference level");
    control->onMouseExited(at, 0);
    EXPECT_EQ(hints->getText(), "");
    hints->forget();
}

TEST_F(MeterSelectorFixture, FrameEventsReachTheSelectorThroughHoverAndClicks) {
    f.frame->platformOnMouseMoved(CPoint(150, 20), 0);  // enters in the right zone
    EXPECT_EQ(f.frame->getMouseOverView(), selector);
    EXPECT_EQ(hints->getText(), "Changes current meter to RMS3");
    f.frame->platformOnMouseDown(CPoint(150, 20), kLeftClick);
    f.frame->platformOnMouseUp(CPoint(150, 20), 0);
    EXPECT_EQ(selector->getValue(), 0.5f);
    EXPECT_EQ(hints->getText(), "Changes current meter to RAD3") << "the next meter after RMS";
    EXPECT_TRUE(f.frame->platformOnMouseWheel(CPoint(80, 20), 1.f, 0));
    EXPECT_EQ(selector->getValue(), 1.f);
    f.frame->platformOnMouseMoved(CPoint(190, 50), 0);  // off the selector
    EXPECT_EQ(selector->getZone(), CZEBMeterSelectorControl::kMiddleZone);
    EXPECT_EQ(hints->getText(), "");
}
