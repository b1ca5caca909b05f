// What gets repainted: separate areas stay separate, overlapping ones merge, and a window
// nobody can see is not painted until it shows again.
#include <gtest/gtest.h>

#include "tests/toolkit/test_support.h"
#include "toolkit/dirty_region.h"

using namespace testsupport;
using toolkit::DirtyRegion;

TEST(DirtyRegion, KeepsSeparateAreasAndMergesOverlappingOnes) {
    const CRect bounds(0, 0, 600, 200);
    struct Case {
        const char* what;
        std::vector<CRect> added;
        std::vector<CRect> expected;
    };
    const Case cases[] = {
        {"apart", {CRect(10, 10, 50, 50), CRect(300, 10, 340, 50)}, {CRect(10, 10, 50, 50), CRect(300, 10, 340, 50)}},
        {"overlapping", {CRect(10, 10, 50, 50), CRect(40, 40, 80, 80)}, {CRect(10, 10, 80, 80)}},
        {"one joining two", {CRect(0, 0, 10, 10), CRect(100, 0, 110, 10), CRect(5, 5, 105, 8)}, {CRect(0, 0, 110, 10)}},
        {"limited to the bounds", {CRect(-20, -20, 10, 10), CRect(590, 190, 700, 300)},
         {CRect(0, 0, 10, 10), CRect(590, 190, 600, 200)}},
        {"empty and outside", {CRect(5, 5, 5, 20), CRect(700, 0, 800, 10)}, {}},
    };
    for (const Case& c : cases) {
        DirtyRegion region;
        for (const CRect& r : c.added) region.add(r, bounds);
        EXPECT_EQ(region.rects(), c.expected) << c.what;
    }
    DirtyRegion many;
    for (int i = 0; i < 40; ++i) many.add(CRect(i * 14, 0, i * 14 + 4, 4), bounds);
    EXPECT_LE(many.rects().size(), DirtyRegion::kMaxRects);
    EXPECT_EQ(many.bounds(), CRect(0, 0, 39 * 14 + 4, 4)) << "nothing lost when merging";
}

namespace {

// A window whose visibility the test decides; counts what it is asked to paint.
struct ShownWindow : toolkit::IPlatformWindow {
    bool viewable = true;
    int updates = 0;
    std::vector<CRect> invalidated;
    void invalidRect(const CRect& rect) override { invalidated.push_back(rect); }
    void processEvents() override {}
    void update() override { ++updates; }
    bool setSize(int, int) override { return true; }
    void takeKeyboardFocus() override {}
    void releaseKeyboardFocus() override {}
    void* nativeHandle() const override { return nullptr; }
    bool isViewable() override { return viewable; }
};

}  // namespace

TEST(Repaint, TwoDistantChangesRepaintTwoSmallAreas) {
    OffscreenFrame f(600, 100);
    auto* left = new CView(CRect(10, 10, 30, 30));
    auto* right = new CView(CRect(500, 10, 520, 30));
    f.frame->addView(left);
    f.frame->addView(right);
    f.frame->idle();
    left->setDirty(true);
    right->setDirty(true);
    f.frame->idle();
    EXPECT_EQ(f.window().lastPaintedRects(), (std::vector<CRect>{CRect(10, 10, 30, 30), CRect(500, 10, 520, 30)}));
}

TEST(Repaint, AWindowNobodyCanSeeIsPaintedWhenItShowsAgain) {
    auto* frame = new CFrame(CRect(0, 0, 100, 50));
    auto window = std::make_unique<ShownWindow>();
    ShownWindow* shown = window.get();
    ASSERT_TRUE(frame->attachWindow(std::move(window)));
    auto* view = new CView(CRect(10, 10, 20, 20));
    frame->addView(view);
    frame->idle();
    EXPECT_EQ(shown->updates, 1);
    EXPECT_TRUE(frame->isWindowViewable());

    shown->viewable = false;
    shown->invalidated.clear();
    view->setDirty(true);
    for (int i = 0; i < 3; ++i) frame->idle();
    EXPECT_FALSE(frame->isWindowViewable());
    EXPECT_EQ(shown->updates, 1) << "nothing painted while unseen";
    EXPECT_TRUE(shown->invalidated.empty());

    shown->viewable = true;
    frame->idle();
    EXPECT_EQ(shown->updates, 2) << "what changed meanwhile is painted now";
    EXPECT_EQ(shown->invalidated, (std::vector<CRect>{CRect(10, 10, 20, 20)}));
    frame->close();
}

namespace {

struct CountingView : CView {
    using CView::CView;
    int draws = 0;
    void draw(CDrawContext*) override { ++draws; }
};

}  // namespace

TEST(Repaint, WhatAnOpaqueViewHidesIsNotDrawn) {
    OffscreenFrame f(100, 50);
    auto* under = new CountingView(CRect(0, 0, 100, 50));
    auto* cover = new CViewContainer(CRect(10, 10, 60, 40));
    cover->setBackgroundColor(CColor{30, 30, 30, 255});
    f.frame->addView(under);
    f.frame->addView(cover);
    f.frame->idle();
    const int drawn = under->draws;
    struct Case {
        const char* what;
        CRect area;
        CColor cover;
        bool underDrawn;
    };
    const Case cases[] = {
        {"inside an opaque view", CRect(20, 20, 30, 30), CColor{30, 30, 30, 255}, false},
        {"reaching beyond it", CRect(5, 20, 30, 30), CColor{30, 30, 30, 255}, true},
        {"inside a see-through one", CRect(20, 20, 30, 30), CColor{30, 30, 30, 128}, true},
    };
    int expected = drawn;
    for (const Case& c : cases) {
        cover->setBackgroundColor(c.cover);
        f.frame->invalidRect(c.area);
        f.frame->idle();
        expected += c.underDrawn ? 1 : 0;
        EXPECT_EQ(under->draws, expected) << c.what;
    }
}

TEST(Bitmaps, KnowWhetherTheyAreOpaque) {
    struct Case {
        int id;
        bool opaque;
    };
    for (const Case c : {Case{kWhiteSquare, true}, Case{kHalfClear, false}, Case{kMissing, false}}) {
        auto* bitmap = new CBitmap(c.id);
        EXPECT_EQ(bitmap->isOpaque(), c.opaque) << c.id;
        bitmap->forget();
    }
}
