// A frame at a display scale: its image has the device size, parts laid edge to edge stay
// edge to edge without seams, bitmaps without a drawn variant are resampled frame by frame,
// lines keep their weight, and input, repaints and native edit boxes are mapped between
// device pixels and the views' logical coordinates.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "tests/toolkit/test_support.h"

using namespace testsupport;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr CColor kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255};

// Fills its area with one colour, like a strip of the editor.
struct Plate : CView {
    CColor colour;
    Plate(const CRect& size, CColor c) : CView(size), colour(c) {}
    void draw(CDrawContext* context) override {
        context->setFillColor(colour);
        context->drawRect(getViewSize(), kDrawFilled);
    }
};

// Remembers where presses and the wheel reached it (its parent's coordinates).
struct Target : CView {
    std::vector<CPoint> presses;
    std::vector<CPoint> wheels;
    explicit Target(const CRect& size) : CView(size) {}
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState&) override {
        presses.push_back(where);
        return kMouseEventHandled;
    }
    bool onWheel(const CPoint& where, float, const CButtonState&) override {
        wheels.push_back(where);
        return true;
    }
};

// Stands in for a platform window: records what the frame asks of it.
struct RecordingWindow : toolkit::IPlatformWindow {
    std::vector<CRect> invalid;
    int width = 0, height = 0;
    toolkit::NativeTextEditRequest edit;
    bool editRequested = false;
    void invalidRect(const CRect& rect) override { invalid.push_back(rect); }
    void processEvents() override {}
    void update() override {}
    bool setSize(int w, int h) override {
        width = w;
        height = h;
        return true;
    }
    void takeKeyboardFocus() override {}
    void releaseKeyboardFocus() override {}
    void* nativeHandle() const override { return nullptr; }
    std::unique_ptr<toolkit::INativeTextEdit> createNativeTextEdit(const toolkit::NativeTextEditRequest& request,
                                                                  std::function<void(bool)>) override {
        edit = request;
        editRequested = true;
        return nullptr;  // the frame falls back to its own editor
    }
};

struct EditClient : ITextEditClient {
    void textEditDone(const char*, bool) override {}
};

}  // namespace

TEST(FrameScale, ClampsToTheEditorsRangeAndSizesTheImage) {
    const struct { double asked, used; } cases[] = {
        {1, 1}, {1.5, 1.5}, {2, 2}, {3, 3}, {1.25, 1.25}, {0.5, 1}, {0, 1}, {-2, 1},
        {7, 3}, {kNaN, 1}, {std::numeric_limits<double>::infinity(), 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.asked);
        OffscreenFrame f(101, 33);
        f.frame->setScale(c.asked);
        EXPECT_EQ(f.frame->getScale(), c.used);
        EXPECT_EQ(f.window().image()->surface().width(), std::lround(101 * c.used));
        EXPECT_EQ(f.window().image()->surface().height(), std::lround(33 * c.used));
        EXPECT_EQ(f.frame->getViewSize(), CRect(0, 0, 101, 33)) << "the views' size stays logical";
        auto whole = toolkit::renderFrame(*f.frame);
        ASSERT_NE(whole, nullptr);
        EXPECT_EQ(whole->surface().width(), std::lround(101 * c.used));
    }
}

TEST(FrameScale, PartsLaidEdgeToEdgeMeetOnRoundedEdgesWithoutSeams) {
    // Heights of the editor's meter area and strips.
    const double edges[] = {0, 169, 182, 235, 274};
    const CColor colours[] = {kRed, kGreen, kBlue, kWhiteCColor};
    for (double scale : {1.25, 1.5, 2.0, 2.5, 3.0}) {
        SCOPED_TRACE(scale);
        OffscreenFrame f(40, 274);
        for (int i = 0; i < 4; ++i) f.frame->addView(new Plate(CRect(0, edges[i], 40, edges[i + 1]), colours[i]));
        f.frame->setScale(scale);
        f.frame->idle();
        const int height = f.window().image()->surface().height();
        ASSERT_EQ(height, std::lround(274 * scale));
        for (int y = 0; y < height; ++y) {
            int part = 0;
            while (part < 3 && y >= std::lround(edges[part + 1] * scale)) ++part;
            ASSERT_TRUE(near(f.pixel(7, y), colours[part], 0)) << "row " << y << ": " << describe(f.pixel(7, y));
        }
    }
}

TEST(FrameScale, BitmapsWithoutAVariantAreResampledFrameByFrame) {
    // kThreeFrames: red, green, blue frames of 10 rows; only its 1:1 image exists.
    auto* bitmap = new CBitmap(kThreeFrames);
    ASSERT_TRUE(bitmap->isLoaded());
    const CColor frames[] = {kRed, kGreen, kBlue};
    for (double scale : {1.5, 2.0, 3.0})
        for (int frame = 0; frame < 3; ++frame) {
            SCOPED_TRACE(std::to_string(scale) + " frame " + std::to_string(frame));
            auto image = toolkit::createOffscreen(40, 40);
            image->clear(kBlackCColor);
            CDrawContext context(image->surface(), scale);
            context.drawBitmap(bitmap, CRect(2, 3, 12, 13), CPoint(0, 10.0 * frame));
            const int left = std::lround(2 * scale), top = std::lround(3 * scale);
            const int right = std::lround(12 * scale), bottom = std::lround(13 * scale);
            // Inside, one pixel in from the edges, the frame's colour only; nothing outside.
            for (int y = top + 1; y < bottom - 1; ++y)
                ASSERT_TRUE(near(image->pixel(left + 1, y), frames[frame], 8)) << y << describe(image->pixel(left + 1, y));
            EXPECT_TRUE(near(image->pixel(right, (top + bottom) / 2), kBlackCColor, 0));
            EXPECT_TRUE(near(image->pixel(left - 1, (top + bottom) / 2), kBlackCColor, 0));
            EXPECT_TRUE(near(image->pixel(left + 2, bottom), kBlackCColor, 0));
        }
    bitmap->forget();
}

TEST(FrameScale, LinesKeepTheirWeight) {
    // A horizontal line of logical width w covers w x scale device rows.
    for (double scale : {1.0, 2.0, 3.0})
        for (double width : {1.0, 2.0}) {
            SCOPED_TRACE(std::to_string(scale) + " width " + std::to_string(width));
            auto image = toolkit::createOffscreen(std::lround(40 * scale), std::lround(20 * scale));
            image->clear(kBlackCColor);
            CDrawContext context(image->surface(), scale);
            context.setLineWidth(width);
            context.setFrameColor(kWhiteCColor);
            context.drawLine(CPoint(5, 10), CPoint(35, 10));
            int ink = 0;  // summed coverage down one column
            for (int y = 0; y < image->surface().height(); ++y) ink += image->pixel(std::lround(20 * scale), y).red;
            EXPECT_NEAR(ink / 255.0, width * scale, 0.1);
        }
}

TEST(FrameScale, InputAndRepaintsAreMappedBetweenDeviceAndLogicalPixels) {
    for (double scale : {1.0, 1.5, 2.0, 3.0}) {
        SCOPED_TRACE(scale);
        auto* frame = new CFrame(CRect(0, 0, 200, 100));
        auto window = std::make_unique<RecordingWindow>();
        RecordingWindow* recorded = window.get();
        frame->attachWindow(std::move(window));
        frame->setScale(scale);
        frame->setSize(200, 110);
        EXPECT_EQ(recorded->width, std::lround(200 * scale));
        EXPECT_EQ(recorded->height, std::lround(110 * scale));
        auto* target = new Target(CRect(50, 20, 150, 80));
        frame->addView(target);
        // A press at the device position of logical (60, 30) reaches the view there.
        frame->platformOnMouseDown(CPoint(60 * scale, 30 * scale), kLeftClick);
        frame->platformOnMouseUp(CPoint(60 * scale, 30 * scale), kLeftClick);
        frame->platformOnMouseWheel(CPoint(149 * scale, 79 * scale), 1.f, CButtonState(0));
        ASSERT_EQ(target->presses.size(), 1u);
        EXPECT_NEAR(target->presses[0].x, 60, 1e-9);
        EXPECT_NEAR(target->presses[0].y, 30, 1e-9);
        ASSERT_EQ(target->wheels.size(), 1u) << "the wheel missed the view";
        EXPECT_NEAR(target->wheels[0].x, 149, 1e-9);
        // A press just outside the view's scaled area misses it.
        frame->platformOnMouseDown(CPoint(49 * scale, 30 * scale), kLeftClick);
        EXPECT_EQ(target->presses.size(), 1u);
        // A repaint of the view covers its whole device area.
        frame->idle();
        recorded->invalid.clear();
        frame->invalidRect(CRect(50.3, 20, 150, 80.2));
        frame->idle();
        ASSERT_FALSE(recorded->invalid.empty());
        CRect painted = recorded->invalid.front();
        for (const CRect& r : recorded->invalid) painted.unite(r);
        EXPECT_LE(painted.left, 50.3 * scale);
        EXPECT_GE(painted.bottom, 80.2 * scale);
        EXPECT_LE(painted.right, std::ceil(150 * scale) + 1);
        // A native edit box is asked for at the device rectangle and font size.
        EditClient client;
        TextEditBoxStyle style;
        auto* font = new CFontDesc("Arial", 12);
        style.font = font;
        frame->openTextEdit(&client, CRect(10, 20, 110, 40), "label", style);
        ASSERT_TRUE(recorded->editRequested);
        EXPECT_EQ(recorded->edit.rect, CRect(std::floor(10 * scale), std::floor(20 * scale), std::ceil(110 * scale),
                                             std::ceil(40 * scale)));
        EXPECT_DOUBLE_EQ(recorded->edit.fontSize, 12 * scale);
        frame->closeTextEdit(false);
        font->forget();
        frame->close();
    }
}
