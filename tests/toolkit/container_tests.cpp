// Ownership of child views, mouse routing and mouse-over tracking.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/toolkit/test_support.h"

using namespace testsupport;

namespace {

int liveViews = 0;

// A view that counts its instances and logs what happens to it.
class ProbeView : public CView {
public:
    ProbeView(const CRect& size, std::string name, std::vector<std::string>* log, bool handles = true)
        : CView(size), name_(std::move(name)), log_(log), handles_(handles) {
        ++liveViews;
    }
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
        record("down " + std::to_string(static_cast<int>(where.x)) + "," + std::to_string(static_cast<int>(where.y)));
        if (onDown) onDown();
        return handles_ ? kMouseEventHandled : kMouseEventNotHandled;
    }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState&) override { record("up"); return kMouseEventHandled; }
    CMouseEventResult onMouseMoved(CPoint&, const CButtonState&) override { record("moved"); return kMouseEventHandled; }
    CMouseEventResult onMouseEntered(CPoint&, const CButtonState&) override { record("enter"); return kMouseEventHandled; }
    CMouseEventResult onMouseExited(CPoint&, const CButtonState&) override { record("exit"); return kMouseEventHandled; }
    bool onWheel(const CPoint&, float distance, const CButtonState&) override {
        record("wheel " + std::to_string(static_cast<int>(distance)));
        return handles_;
    }
    std::function<void()> onDown;

protected:
    ~ProbeView() override { --liveViews; }

private:
    void record(const std::string& what) { if (log_) log_->push_back(name_ + " " + what); }
    std::string name_;
    std::vector<std::string>* log_;
    bool handles_;
};

class ContainerTest : public ::testing::Test {
protected:
    void SetUp() override { liveViews = 0; }
    void TearDown() override { EXPECT_EQ(liveViews, 0) << "views leaked or freed twice"; }
};

}  // namespace

TEST_F(ContainerTest, OwnershipFollowsAddRemoveAndDestroy) {
    auto* container = new CViewContainer(CRect(0, 0, 100, 100));
    auto* kept = new ProbeView(CRect(0, 0, 10, 10), "kept", nullptr);
    auto* dropped = new ProbeView(CRect(0, 0, 10, 10), "dropped", nullptr);
    auto* owned = new ProbeView(CRect(0, 0, 10, 10), "owned", nullptr);
    EXPECT_TRUE(container->addView(kept));
    EXPECT_TRUE(container->addView(dropped));
    EXPECT_TRUE(container->addView(owned));
    EXPECT_FALSE(container->addView(owned)) << "a view can have one parent only";
    EXPECT_FALSE(container->addView(nullptr));
    EXPECT_EQ(container->getNbViews(), 3);
    EXPECT_EQ(liveViews, 3);

    EXPECT_TRUE(container->removeView(dropped));  // forgets: freed now
    EXPECT_EQ(liveViews, 2);
    EXPECT_TRUE(container->removeView(kept, false));  // handed back to us
    EXPECT_EQ(liveViews, 2);
    EXPECT_FALSE(kept->isAttached());
    EXPECT_FALSE(container->removeView(kept)) << "no longer a child";

    // A view handed back can go into another container.
    auto* other = new CViewContainer(CRect(0, 0, 50, 50));
    EXPECT_TRUE(other->addView(kept));
    other->forget();
    EXPECT_EQ(liveViews, 1);

    container->forget();  // destroys the remaining child
    EXPECT_EQ(liveViews, 0);
}

TEST_F(ContainerTest, ExtraReferencesKeepAViewAliveAfterItsContainer) {
    auto* container = new CViewContainer(CRect(0, 0, 100, 100));
    auto* shared = new ProbeView(CRect(0, 0, 10, 10), "shared", nullptr);
    shared->remember();
    container->addView(shared);
    container->forget();
    EXPECT_EQ(liveViews, 1);
    EXPECT_FALSE(shared->isAttached());
    shared->forget();
}

TEST_F(ContainerTest, FrameCloseReleasesNestedViews) {
    auto* frame = new CFrame(CRect(0, 0, 200, 100));
    auto* panel = new CViewContainer(CRect(10, 10, 110, 90));
    panel->addView(new ProbeView(CRect(0, 0, 10, 10), "a", nullptr));
    panel->addView(new ProbeView(CRect(20, 0, 30, 10), "b", nullptr));
    frame->addView(panel);
    frame->addView(new ProbeView(CRect(150, 0, 160, 10), "c", nullptr));
    EXPECT_EQ(panel->getFrame(), frame);
    EXPECT_EQ(panel->getView(1)->getFrame(), frame) << "children learn their frame through their parent";
    EXPECT_EQ(liveViews, 3);
    frame->close();
    EXPECT_EQ(liveViews, 0);
}

TEST_F(ContainerTest, MouseGoesToTheTopMostViewAndFallsThroughWhenNotHandled) {
    std::vector<std::string> log;
    OffscreenFrame f(200, 100);
    auto* panel = new CViewContainer(CRect(50, 20, 150, 80));
    auto* below = new ProbeView(CRect(0, 0, 60, 60), "below", &log);
    auto* above = new ProbeView(CRect(20, 10, 80, 50), "above", &log);
    auto* transparent = new ProbeView(CRect(30, 20, 40, 30), "passive", &log, false);
    panel->addView(below);
    panel->addView(above);
    panel->addView(transparent);
    f.frame->addView(panel);

    // (85, 45) in the frame is (35, 25) in the panel: all three overlap there.
    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(85, 45), kLeftClick), kMouseEventHandled);
    f.frame->platformOnMouseMoved(CPoint(90, 46), kLeftClick);
    f.frame->platformOnMouseUp(CPoint(90, 46), kLeftClick);
    const std::vector<std::string> expected{"passive enter", "passive down 35,25", "above down 35,25",
                                            "above moved", "above up"};
    EXPECT_EQ(log, expected) << "top-most first, an unhandled press falls through, moves and the release "
                                "follow the view that took the press";

    log.clear();
    // Outside every view: nothing handles it.
    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(5, 5), kLeftClick), kMouseEventNotHandled);
    // Hidden and mouse-disabled views are skipped.
    above->setVisible(false);
    transparent->setMouseEnabled(false);
    f.frame->platformOnMouseDown(CPoint(85, 45), kLeftClick);
    f.frame->platformOnMouseUp(CPoint(85, 45), kLeftClick);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[log.size() - 2], "below down 35,25");
}

TEST_F(ContainerTest, WheelGoesToTheViewUnderTheMouse) {
    std::vector<std::string> log;
    OffscreenFrame f(200, 100);
    f.frame->addView(new ProbeView(CRect(0, 0, 50, 50), "left", &log));
    f.frame->addView(new ProbeView(CRect(100, 0, 150, 50), "right", &log));
    EXPECT_TRUE(f.frame->platformOnMouseWheel(CPoint(120, 10), 1, CButtonState()));
    EXPECT_FALSE(f.frame->platformOnMouseWheel(CPoint(70, 10), 1, CButtonState()));
    EXPECT_FALSE(f.frame->platformOnMouseWheel(CPoint(120, 10), std::numeric_limits<float>::quiet_NaN(), 0));
    EXPECT_EQ(log, std::vector<std::string>{"right wheel 1"});
}

TEST_F(ContainerTest, MouseOverTrackingSendsExitBeforeEnter) {
    std::vector<std::string> log;
    OffscreenFrame f(200, 100);
    auto* panel = new CViewContainer(CRect(100, 0, 200, 100));
    f.frame->addView(new ProbeView(CRect(0, 0, 50, 50), "a", &log));
    panel->addView(new ProbeView(CRect(0, 0, 50, 50), "b", &log));
    f.frame->addView(panel);

    f.frame->platformOnMouseMoved(CPoint(10, 10), 0);
    f.frame->platformOnMouseMoved(CPoint(20, 10), 0);
    f.frame->platformOnMouseMoved(CPoint(110, 10), 0);  // into b, inside the panel
    f.frame->platformOnMouseExited(CPoint(250, 10), 0);  // out of the window
    const std::vector<std::string> expected{"a enter", "a moved", "a moved", "a exit",
                                            "b enter", "b moved", "b exit"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(f.frame->getMouseOverView(), nullptr);
}

TEST_F(ContainerTest, RemovingTheViewUnderTheMouseClearsTracking) {
    std::vector<std::string> log;
    OffscreenFrame f(200, 100);
    auto* view = new ProbeView(CRect(0, 0, 50, 50), "a", &log);
    f.frame->addView(view);
    f.frame->platformOnMouseMoved(CPoint(10, 10), 0);
    EXPECT_EQ(f.frame->getMouseOverView(), view);
    f.frame->removeView(view);
    EXPECT_EQ(f.frame->getMouseOverView(), nullptr);
    // Moving on must not touch the freed view (ASan would tell).
    f.frame->platformOnMouseMoved(CPoint(12, 10), 0);
    f.frame->platformOnMouseExited(CPoint(300, 10), 0);
}

TEST_F(ContainerTest, AViewMayRemoveItsOwnContainerWhileHandlingAClick) {
    OffscreenFrame f(200, 100);
    auto* panel = new CViewContainer(CRect(0, 0, 100, 100));
    auto* button = new ProbeView(CRect(0, 0, 50, 50), "button", nullptr);
    panel->addView(button);
    f.frame->addView(panel);
    button->onDown = [&] { f.frame->removeView(panel); };  // frees the panel and the button
    EXPECT_EQ(f.frame->platformOnMouseDown(CPoint(10, 10), kLeftClick), kMouseEventHandled);
    EXPECT_EQ(f.frame->getNbViews(), 0);
    f.frame->platformOnMouseMoved(CPoint(11, 10), kLeftClick);
    f.frame->platformOnMouseUp(CPoint(11, 10), kLeftClick);
    EXPECT_EQ(liveViews, 0);
}

TEST_F(ContainerTest, CoordinatesConvertThroughNestedContainers) {
    OffscreenFrame f(300, 200);
    auto* outer = new CViewContainer(CRect(10, 20, 210, 180));
    auto* inner = new CViewContainer(CRect(5, 6, 105, 106));
    auto* leaf = new ProbeView(CRect(1, 2, 11, 12), "leaf", nullptr);
    inner->addView(leaf);
    outer->addView(inner);
    f.frame->addView(outer);
    CPoint p(1, 2);
    leaf->localToFrame(p);
    EXPECT_EQ(p, CPoint(16, 28));
    leaf->frameToLocal(p);
    EXPECT_EQ(p, CPoint(1, 2));
    EXPECT_EQ(f.frame->getViewAt(CPoint(17, 29), true), leaf);
    EXPECT_EQ(f.frame->getViewAt(CPoint(17, 29), false), outer);
}
