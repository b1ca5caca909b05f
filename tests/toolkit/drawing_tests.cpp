// Drawing checked by the pixels of off-screen renders, the bitmap cache and idle repaints.
#include <gtest/gtest.h>

#include "tests/toolkit/test_support.h"
#include "toolkit/utf8.h"

#include <limits>

using namespace testsupport;

namespace {

// Paints whatever the test asks for in its draw().
class PaintView : public CView {
public:
    PaintView(const CRect& size, std::function<void(CDrawContext*, const CRect&)> paint)
        : CView(size), paint_(std::move(paint)) {}
    void draw(CDrawContext* context) override {
        ++draws;
        paint_(context, size_);
        setDirty(false);
    }
    int draws = 0;

private:
    std::function<void(CDrawContext*, const CRect&)> paint_;
};

std::unique_ptr<toolkit::IOffscreenSurface> render(CFrame* frame) {
    return toolkit::renderFrame(*frame, kBlackCColor);
}

int countPixels(toolkit::IOffscreenSurface& image, int width, int height, const std::function<bool(CColor)>& test) {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (test(image.pixel(x, y))) ++count;
    return count;
}

}  // namespace

TEST(Drawing, RectanglesFillAndStrokeInTheirColours) {
    auto* frame = new CFrame(CRect(0, 0, 40, 40));
    frame->addView(new PaintView(CRect(10, 10, 30, 30), [](CDrawContext* c, const CRect& r) {
        c->setFillColor(CColor{0, 0, 255, 255});
        c->drawRect(r, kDrawFilled);
        c->setFrameColor(kRedCColor);
        c->setLineWidth(2);
        CRect edge = r;
        c->drawRect(edge.inset(1, 1), kDrawStroked);
    }));
    auto image = render(frame);
    EXPECT_TRUE(near(image->pixel(20, 20), kBlueCColor)) << describe(image->pixel(20, 20));
    EXPECT_TRUE(near(image->pixel(10, 20), kRedCColor)) << describe(image->pixel(10, 20));
    EXPECT_TRUE(near(image->pixel(5, 5), kBlackCColor)) << "outside the view stays clear";
    image->savePng("toolkit_rectangles.png");
    frame->forget();
}

TEST(Drawing, StackedBitmapFramesAreChosenBySourceOffset) {
    auto* frame = new CFrame(CRect(0, 0, 40, 20));
    auto* strip = new CBitmap(kThreeFrames);  // red, green, blue frames of 10 x 10
    ASSERT_EQ(strip->getHeight(), 30);
    auto* movie = new CMovieBitmap(CRect(0, 0, 10, 10), nullptr, 1, 3, 10, strip);
    auto* knob = new CAnimKnob(CRect(15, 0, 25, 10), nullptr, 2, 0, 10, strip);  // frames from height
    auto* sw = new CHorizontalSwitch(CRect(30, 0, 40, 10), nullptr, 3, 3, 10, 3, strip);
    strip->forget();
    frame->addView(movie);
    frame->addView(knob);
    frame->addView(sw);
    EXPECT_EQ(knob->getNumSubPixmaps(), 3);

    movie->setValue(0.5f);
    knob->setValue(1.f);
    sw->setValue(0.f);
    auto image = render(frame);
    EXPECT_TRUE(near(image->pixel(5, 5), kGreenCColor)) << describe(image->pixel(5, 5));
    EXPECT_TRUE(near(image->pixel(20, 5), kBlueCColor)) << describe(image->pixel(20, 5));
    EXPECT_TRUE(near(image->pixel(35, 5), kRedCColor)) << describe(image->pixel(35, 5));
    EXPECT_TRUE(near(image->pixel(5, 15), kBlackCColor)) << "a frame never spills below the view";

    knob->setValue(0.2f);  // rounds to frame 0
    image = render(frame);
    EXPECT_TRUE(near(image->pixel(20, 5), kRedCColor)) << describe(image->pixel(20, 5));
    frame->forget();
}

TEST(Drawing, OnOffButtonShowsTheLowerHalfWhenOn) {
    auto* frame = new CFrame(CRect(0, 0, 20, 20));
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), nullptr, 0, bitmap);
    bitmap->forget();
    frame->addView(button);
    EXPECT_TRUE(near(render(frame)->pixel(10, 10), kRedCColor));
    button->setValue(1);
    EXPECT_TRUE(near(render(frame)->pixel(10, 10), kGreenCColor));
    frame->forget();
}

TEST(Drawing, GlobalAlphaScalesCoverage) {
    auto* frame = new CFrame(CRect(0, 0, 30, 10));
    auto* white = new CBitmap(kWhiteSquare);
    frame->addView(new PaintView(CRect(0, 0, 30, 10), [white](CDrawContext* c, const CRect&) {
        c->drawBitmap(white, CRect(0, 0, 8, 8));
        c->setGlobalAlpha(0.5f);
        c->drawBitmap(white, CRect(10, 0, 18, 8));
        c->setFillColor(kWhiteCColor);
        c->drawRect(CRect(20, 0, 28, 8), kDrawFilled);
        c->setGlobalAlpha(1.f);
    }));
    auto image = render(frame);  // over black: coverage shows as grey level
    EXPECT_TRUE(near(image->pixel(4, 4), kWhiteCColor));
    EXPECT_TRUE(near(image->pixel(14, 4), CColor{128, 128, 128, 255}, 3)) << describe(image->pixel(14, 4));
    EXPECT_TRUE(near(image->pixel(24, 4), CColor{128, 128, 128, 255}, 3)) << describe(image->pixel(24, 4));

    // A view's alpha value dims it the same way.
    frame->removeAll();
    auto* dimmed = new PaintView(CRect(0, 0, 10, 10), [white](CDrawContext* c, const CRect&) {
        c->drawBitmap(white, CRect(0, 0, 8, 8));
    });
    dimmed->setAlphaValue(0.5f);
    frame->addView(dimmed);
    EXPECT_TRUE(near(render(frame)->pixel(4, 4), CColor{128, 128, 128, 255}, 3));
    white->forget();
    frame->forget();
}

TEST(Drawing, ClippingAndSaveRestore) {
    auto* frame = new CFrame(CRect(0, 0, 40, 40));
    frame->addView(new PaintView(CRect(0, 0, 40, 40), [](CDrawContext* c, const CRect&) {
        c->saveGlobalState();
        c->setClipRect(CRect(0, 0, 20, 40));
        c->setFillColor(kRedCColor);
        c->drawRect(CRect(0, 0, 40, 20), kDrawFilled);  // right half clipped away
        c->restoreGlobalState();
        c->setFillColor(kBlueCColor);
        c->drawRect(CRect(0, 20, 40, 40), kDrawFilled);  // clip restored: full width
    }));
    // A child never draws outside its own rectangle.
    frame->addView(new PaintView(CRect(30, 0, 35, 5), [](CDrawContext* c, const CRect&) {
        c->setFillColor(kGreenCColor);
        c->drawRect(CRect(0, 0, 40, 40), kDrawFilled);
    }));
    auto image = render(frame);
    EXPECT_TRUE(near(image->pixel(10, 10), kRedCColor));
    EXPECT_TRUE(near(image->pixel(25, 10), kBlackCColor)) << describe(image->pixel(25, 10));
    EXPECT_TRUE(near(image->pixel(35, 30), kBlueCColor));
    EXPECT_TRUE(near(image->pixel(32, 2), kGreenCColor));
    EXPECT_TRUE(near(image->pixel(32, 7), kBlackCColor)) << describe(image->pixel(32, 7));
    frame->forget();
}

TEST(Drawing, AntiAliasedLinesHaveTheirWidthAndColour) {
    auto* frame = new CFrame(CRect(0, 0, 40, 40));
    frame->addView(new PaintView(CRect(0, 0, 40, 40), [](CDrawContext* c, const CRect&) {
        c->setFrameColor(CColor{255, 255, 0, 255});
        c->setLineWidth(4);
        c->drawLine(CPoint(0, 20), CPoint(40, 20));
        c->setLineWidth(1);
        c->drawLine(CPoint(5, 0), CPoint(35, 15));  // diagonal: partly covered pixels
    }));
    auto image = render(frame);
    EXPECT_TRUE(near(image->pixel(20, 18), CColor{255, 255, 0, 255}));
    EXPECT_TRUE(near(image->pixel(20, 21), CColor{255, 255, 0, 255}));
    EXPECT_TRUE(near(image->pixel(20, 23), kBlackCColor));
    if (!runningUnderWine()) {  // Wine's Direct2D draws geometry without anti-aliasing
        const int partial = countPixels(*image, 40, 16, [](CColor p) { return p.red > 10 && p.red < 245; });
        EXPECT_GT(partial, 10) << "the diagonal is anti-aliased";
    }
    frame->forget();
}

TEST(Drawing, TextDrawsInTheTextColourWithAlignment) {
    auto* frame = new CFrame(CRect(0, 0, 120, 20));
    auto* font = new CFontDesc("Arial Narrow", 14);
    ASSERT_NE(font->getPlatformFont(), nullptr) << "no face for Arial Narrow or its substitute";
    auto* label = new CTextLabel(CRect(0, 0, 120, 20), "Level", nullptr, kNoFrame);
    label->setFont(font);
    label->setFontColor(CColor{0, 255, 0, 255});
    label->setBackColor(kBlackCColor);
    label->setHoriAlign(kRightText);
    frame->addView(label);
    auto image = render(frame);
    const int green = countPixels(*image, 120, 20, [](CColor p) { return p.green > 200 && p.red < 40 && p.blue < 40; });
    const int leftHalf = countPixels(*image, 60, 20, [](CColor p) { return p.green > 100; });
    EXPECT_GT(green, 15) << "text pixels in the text colour";
    EXPECT_EQ(leftHalf, 0) << "right-aligned text stays on the right";
    image->savePng("toolkit_text.png");
    font->forget();
    frame->forget();
}

TEST(Drawing, FontsRegisteredFromMemoryResolveByFamily) {
    // Any TrueType file of the system serves as "resource" bytes.
    auto* probe = new CFontDesc("DejaVu Sans", 12);
    FILE* file = std::fopen("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", "rb");
    if (!file) {
        probe->forget();
        GTEST_SKIP() << "fonts-dejavu-core is not installed";
    }
    static std::vector<unsigned char> bytes;  // must outlive the process registration
    bytes.assign(1 << 20, 0);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    std::fclose(file);
    EXPECT_FALSE(CFontDesc::registerFontFace("ZEBTestFace", bytes.data(), 16)) << "truncated data is no face";
    ASSERT_TRUE(CFontDesc::registerFontFace("ZEBTestFace", bytes.data(), bytes.size()));
    auto* font = new CFontDesc("ZEBTestFace", 20);
    const toolkit::IPlatformFont* face = font->getPlatformFont();
    ASSERT_NE(face, nullptr);
    EXPECT_GT(face->ascent(), 10);
    EXPECT_GT(face->capHeight(), 10);
    EXPECT_LT(face->capHeight(), face->ascent());
    probe->forget();
    font->forget();
}

TEST(Bitmaps, EachResourceIsDecodedOncePerProcess) {
    auto* a = new CBitmap(kCacheProbe);
    auto* b = new CBitmap(kCacheProbe);
    EXPECT_EQ(resourceLookups(kCacheProbe), 1);
    EXPECT_EQ(a->getPlatformBitmap(), b->getPlatformBitmap()) << "one decoded image shared";
    EXPECT_EQ(a->getWidth(), 4);
    a->forget();
    auto* c = new CBitmap(kCacheProbe);
    EXPECT_EQ(c->getPlatformBitmap(), b->getPlatformBitmap()) << "the cache outlives its bitmaps";
    EXPECT_EQ(resourceLookups(kCacheProbe), 1);
    b->forget();
    c->forget();
}

TEST(Bitmaps, MissingOrBrokenResourcesGiveEmptyBitmapsThatDrawNothing) {
    auto* broken = new CBitmap(kBrokenPng);
    auto* missing = new CBitmap(kMissing);
    EXPECT_FALSE(broken->isLoaded());
    EXPECT_FALSE(missing->isLoaded());
    EXPECT_EQ(broken->getWidth(), 0);
    EXPECT_EQ(missing->getHeight(), 0);
    auto* again = new CBitmap(kBrokenPng);
    EXPECT_EQ(resourceLookups(kBrokenPng), 1) << "a failed decode is remembered too";

    auto* frame = new CFrame(CRect(0, 0, 20, 20));
    frame->addView(new COnOffButton(CRect(0, 0, 20, 20), nullptr, 0, broken));
    frame->addView(new CAnimKnob(CRect(0, 0, 20, 20), nullptr, 0, 0, 20, missing));
    auto image = render(frame);
    EXPECT_EQ(countPixels(*image, 20, 20, [](CColor p) { return !near(p, kBlackCColor); }), 0);
    for (CBitmap* b : {broken, missing, again}) b->forget();
    frame->forget();
}

TEST(Idle, RepaintsOnlyWhatWasInvalidated) {
    OffscreenFrame f(100, 50);
    auto* left = new PaintView(CRect(0, 0, 40, 50), [](CDrawContext* c, const CRect& r) {
        c->setFillColor(kRedCColor);
        c->drawRect(r, kDrawFilled);
    });
    auto* right = new PaintView(CRect(60, 0, 100, 50), [](CDrawContext* c, const CRect& r) {
        c->setFillColor(kBlueCColor);
        c->drawRect(r, kDrawFilled);
    });
    f.frame->addView(left);
    f.frame->addView(right);
    f.frame->idle();
    EXPECT_EQ(f.window().paintCount(), 1);
    EXPECT_EQ(left->draws, 1);
    EXPECT_EQ(right->draws, 1);

    for (int i = 0; i < 5; ++i) f.frame->idle();
    EXPECT_EQ(f.window().paintCount(), 1) << "nothing invalidated: no paint";
    EXPECT_EQ(left->draws, 1);

    right->setDirty(true);  // as a setter on another thread would
    f.frame->idle();
    EXPECT_EQ(f.window().paintCount(), 2);
    EXPECT_EQ(right->draws, 2);
    EXPECT_EQ(left->draws, 1) << "views outside the repainted area are not drawn";
    EXPECT_EQ(f.window().lastPaintedRect(), CRect(60, 0, 100, 50));
    EXPECT_TRUE(near(f.pixel(80, 25), kBlueCColor));

    left->invalidRect(CRect(0, 0, 10, 10));
    f.frame->idle();
    EXPECT_EQ(left->draws, 2);
    EXPECT_EQ(f.window().lastPaintedRect(), CRect(0, 0, 10, 10));

    right->setVisible(false);
    f.frame->idle();
    EXPECT_TRUE(near(f.pixel(80, 25), kBlackCColor)) << "a hidden view's area is repainted without it";
}

TEST(Text, MalformedUtf8IsShownAsLatin1AndDoesNotStopLaterDrawing) {
    EXPECT_TRUE(toolkit::isValidUtf8("Caf\xC3\xA9 \xF0\x9F\x8E\xB5"));
    EXPECT_FALSE(toolkit::isValidUtf8("Caf\xE9"));
    EXPECT_FALSE(toolkit::isValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(toolkit::isValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(toolkit::isValidUtf8("\xE2\x82"));          // cut short
    EXPECT_EQ(toolkit::repairUtf8("Caf\xE9"), "Caf\xC3\xA9");
    EXPECT_EQ(toolkit::repairUtf8("\xE2\x82"), "\xC3\xA2\xC2\x82");
    EXPECT_EQ(toolkit::repairUtf8(nullptr), "");

    // One context draws the 8-bit text and then a rectangle: both must appear.
    auto image = toolkit::createOffscreen(60, 20);
    ASSERT_NE(image, nullptr);
    image->clear(kBlackCColor);
    CDrawContext context(image->surface());
    context.setFontColor(kWhiteCColor);
    context.drawString("Caf\xE9", CRect(0, 0, 40, 20), kLeftText);
    context.setFillColor(kBlueCColor);
    context.drawRect(CRect(50, 0, 60, 20), kDrawFilled);
    int textPixels = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) textPixels += image->pixel(x, y).red > 128;
    EXPECT_GT(textPixels, 10);
    EXPECT_TRUE(near(image->pixel(55, 10), kBlueCColor)) << describe(image->pixel(55, 10));
}

TEST(Drawing, NonFiniteCoordinatesAreSkippedWithoutSpoilingLaterDrawing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto* frame = new CFrame(CRect(0, 0, 30, 10));
    auto* view = new PaintView(CRect(0, 0, 30, 10), [nan](CDrawContext* c, const CRect&) {
        c->setFrameColor(kRedCColor);
        c->drawLine(CPoint(nan, 0), CPoint(30, 10));
        c->setFillColor(kRedCColor);
        c->drawRect(CRect(0, 0, nan, 10), kDrawFilled);
        c->drawString("x", CPoint(std::numeric_limits<double>::infinity(), 5));
        c->setFillColor(kGreenCColor);
        c->drawRect(CRect(20, 0, 30, 10), kDrawFilled);
    });
    frame->addView(view);
    view->setViewSize(CRect(nan, 0, 30, 10));
    EXPECT_EQ(view->getViewSize(), CRect(0, 0, 30, 10)) << "a size that is not finite is refused";
    auto image = render(frame);
    EXPECT_TRUE(near(image->pixel(5, 5), kBlackCColor)) << describe(image->pixel(5, 5));
    EXPECT_TRUE(near(image->pixel(25, 5), kGreenCColor)) << describe(image->pixel(25, 5));
    frame->forget();
}

TEST(Text, ArialNarrowResolvesToANarrowFace) {
    auto image = toolkit::createOffscreen(10, 10);
    ASSERT_NE(image, nullptr);
    CDrawContext context(image->surface());
    auto* narrow = new CFontDesc("Arial Narrow", 11);
    auto* regular = new CFontDesc("Arial", 11);
    context.setFont(narrow);
    const double narrowWidth = context.getStringWidth("Click to open the manual");
    context.setFont(regular);
    const double regularWidth = context.getStringWidth("Click to open the manual");
    EXPECT_GT(narrowWidth, 50);
    EXPECT_LT(narrowWidth, regularWidth * 0.9) << "the narrow face or its metric twin, not a plain sans";
    context.setFont(nullptr);
    narrow->forget();
    regular->forget();
}
