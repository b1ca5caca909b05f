// The Direct2D, DirectWrite and WIC back end checked by the pixels of off-screen renders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include "tests/toolkit_windows/windows_test_support.h"
#include "toolkit/windows/d2d_surface.h"

#include <objbase.h>

using namespace winsupport;

namespace {

class PaintView : public CView {
public:
    PaintView(const CRect& size, std::function<void(CDrawContext*, const CRect&)> paint)
        : CView(size), paint_(std::move(paint)) {}
    void draw(CDrawContext* context) override {
        paint_(context, size_);
        setDirty(false);
    }

private:
    std::function<void(CDrawContext*, const CRect&)> paint_;
};

std::unique_ptr<toolkit::IOffscreenSurface> render(CFrame* frame) {
    auto image = toolkit::renderFrame(*frame, kBlackCColor);
    if (!image) ADD_FAILURE() << "no off-screen image (Direct2D needs a graphics device)";
    return image;
}

int countPixels(toolkit::IOffscreenSurface& image, int width, int height, const std::function<bool(CColor)>& test) {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (test(image.pixel(x, y))) ++count;
    return count;
}

std::vector<unsigned char> readFile(const char* path) {
    std::vector<unsigned char> bytes;
    FILE* file = std::fopen(path, "rb");
    if (!file) return bytes;
    unsigned char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    std::fclose(file);
    return bytes;
}

}  // namespace

TEST(WindowsOffscreen, SizesAndPixelAccessAreSafe) {
    EXPECT_EQ(toolkit::createOffscreen(0, 10), nullptr);
    EXPECT_EQ(toolkit::createOffscreen(10, -1), nullptr);
    EXPECT_EQ(toolkit::createOffscreen(100000, 10), nullptr);
    auto image = toolkit::createOffscreen(8, 6);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->surface().width(), 8);
    EXPECT_EQ(image->surface().height(), 6);
    image->clear(CColor{10, 20, 30, 255});
    EXPECT_TRUE(closeTo(image->pixel(7, 5), CColor{10, 20, 30, 255})) << describe(image->pixel(7, 5));
    EXPECT_EQ(image->pixel(8, 0), (CColor{0, 0, 0, 0})) << "outside reads as transparent";
    EXPECT_EQ(image->pixel(-1, 2), (CColor{0, 0, 0, 0}));

    // clear() ignores the clip; drawing keeps to it.
    image->surface().setClip(CRect(0, 0, 4, 6));
    image->clear(kRedCColor);
    image->surface().fillRect(CRect(0, 0, 8, 6), kBlueCColor);
    EXPECT_TRUE(closeTo(image->pixel(1, 1), kBlueCColor)) << describe(image->pixel(1, 1));
    EXPECT_TRUE(closeTo(image->pixel(6, 1), kRedCColor)) << describe(image->pixel(6, 1));

    // A transparent image reads back straight colour, not premultiplied.
    image->surface().setClip(CRect(0, 0, 8, 6));
    image->clear(kTransparentCColor);
    image->surface().fillRect(CRect(0, 0, 8, 6), CColor{0, 0, 255, 128});
    EXPECT_TRUE(closeTo(image->pixel(3, 3), CColor{0, 0, 255, 128})) << describe(image->pixel(3, 3));
}

TEST(WindowsDrawing, RectanglesEllipsesAndClipping) {
    auto* frame = new CFrame(CRect(0, 0, 60, 40));
    frame->addView(new PaintView(CRect(0, 0, 40, 40), [](CDrawContext* c, const CRect&) {
        c->setFillColor(kBlueCColor);
        c->drawRect(CRect(10, 10, 30, 30), kDrawFilled);
        c->setFrameColor(kRedCColor);
        c->setLineWidth(2);
        c->drawRect(CRect(11, 11, 29, 29), kDrawStroked);
        c->saveGlobalState();
        c->setClipRect(CRect(0, 0, 5, 40));
        c->setFillColor(kGreenCColor);
        c->drawRect(CRect(0, 32, 40, 40), kDrawFilled);  // only x < 5 survives
        c->restoreGlobalState();
    }));
    frame->addView(new PaintView(CRect(40, 0, 60, 20), [](CDrawContext* c, const CRect&) {
        c->setFillColor(kRedCColor);
        c->drawRect(CRect(0, 0, 100, 100), kDrawFilled);  // clipped to the view: its own rect only
    }));
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(20, 20), kBlueCColor)) << describe(image->pixel(20, 20));
    EXPECT_TRUE(closeTo(image->pixel(10, 20), kRedCColor)) << describe(image->pixel(10, 20));
    EXPECT_TRUE(closeTo(image->pixel(5, 5), kBlackCColor)) << describe(image->pixel(5, 5));
    EXPECT_TRUE(closeTo(image->pixel(2, 35), kGreenCColor)) << describe(image->pixel(2, 35));
    EXPECT_TRUE(closeTo(image->pixel(8, 35), kBlackCColor)) << "clipped away: " << describe(image->pixel(8, 35));
    EXPECT_TRUE(closeTo(image->pixel(50, 10), kRedCColor)) << describe(image->pixel(50, 10));
    EXPECT_TRUE(closeTo(image->pixel(50, 30), kBlackCColor)) << "the view's clip held: " << describe(image->pixel(50, 30));
    frame->forget();

    // The ellipse alone: its middle is filled, the bounding box corners are not.
    auto* round = new CFrame(CRect(0, 0, 20, 20));
    round->addView(new PaintView(CRect(0, 0, 20, 20), [](CDrawContext* c, const CRect&) {
        c->setFillColor(kWhiteCColor);
        c->drawEllipse(CRect(0, 0, 20, 20), kDrawFilled);
    }));
    image = render(round);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(10, 10), kWhiteCColor));
    EXPECT_TRUE(closeTo(image->pixel(1, 1), kBlackCColor)) << describe(image->pixel(1, 1));
    EXPECT_TRUE(closeTo(image->pixel(18, 18), kBlackCColor)) << describe(image->pixel(18, 18));
    round->forget();
}

TEST(WindowsDrawing, LinesHaveTheirWidthAndColour) {
    auto* frame = new CFrame(CRect(0, 0, 40, 40));
    frame->addView(new PaintView(CRect(0, 0, 40, 40), [](CDrawContext* c, const CRect&) {
        c->setFrameColor(CColor{255, 255, 0, 255});
        c->setLineWidth(4);
        c->drawLine(CPoint(0, 20), CPoint(40, 20));
        c->setLineWidth(1.5);
        c->drawLine(CPoint(5, 0), CPoint(35, 15));  // a diagonal
    }));
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(20, 18), CColor{255, 255, 0, 255})) << describe(image->pixel(20, 18));
    EXPECT_TRUE(closeTo(image->pixel(20, 21), CColor{255, 255, 0, 255})) << describe(image->pixel(20, 21));
    EXPECT_TRUE(closeTo(image->pixel(20, 23), kBlackCColor)) << describe(image->pixel(20, 23));
    EXPECT_TRUE(closeTo(image->pixel(20, 16), kBlackCColor)) << describe(image->pixel(20, 16));
    const int touched = countPixels(*image, 40, 16, [](CColor p) { return p.red > 10; });
    EXPECT_GT(touched, 25) << "the diagonal is drawn along its length";
    EXPECT_LT(touched, 120);
    if (!runningUnderWine()) {
        const int partial = countPixels(*image, 40, 16, [](CColor p) { return p.red > 10 && p.red < 245; });
        EXPECT_GT(partial, 10) << "the diagonal is anti-aliased";
    }
}

TEST(WindowsDrawing, StackedBitmapFramesAreChosenBySourceOffset) {
    auto* frame = new CFrame(CRect(0, 0, 40, 20));
    auto* strip = new CBitmap(kThreeFrames);
    ASSERT_EQ(strip->getWidth(), 10);
    ASSERT_EQ(strip->getHeight(), 30);
    auto* movie = new CMovieBitmap(CRect(0, 0, 10, 10), nullptr, 1, 3, 10, strip);
    auto* knob = new CAnimKnob(CRect(15, 0, 25, 10), nullptr, 2, 0, 10, strip);
    auto* lastFrame = new PaintView(CRect(30, 0, 40, 20), [strip](CDrawContext* c, const CRect& r) {
        // The last frame asked for 20 rows: only its 10 exist, the rest stays untouched.
        c->drawBitmap(strip, r, CPoint(0, 20));
    });
    strip->forget();
    frame->addView(movie);
    frame->addView(knob);
    frame->addView(lastFrame);
    movie->setValue(0.5f);
    knob->setValue(1.f);
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(5, 5), kGreenCColor)) << describe(image->pixel(5, 5));
    EXPECT_TRUE(closeTo(image->pixel(5, 0), kGreenCColor)) << "frame edges are exact: " << describe(image->pixel(5, 0));
    EXPECT_TRUE(closeTo(image->pixel(5, 9), kGreenCColor)) << describe(image->pixel(5, 9));
    EXPECT_TRUE(closeTo(image->pixel(20, 5), kBlueCColor)) << describe(image->pixel(20, 5));
    EXPECT_TRUE(closeTo(image->pixel(35, 9), kBlueCColor)) << describe(image->pixel(35, 9));
    EXPECT_TRUE(closeTo(image->pixel(35, 12), kBlackCColor)) << "nothing past the image: " << describe(image->pixel(35, 12));
    knob->setValue(0.2f);
    image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(20, 5), kRedCColor)) << describe(image->pixel(20, 5));
    frame->forget();
}

TEST(WindowsDrawing, OnOffButtonShowsItsLowerHalfWhenOn) {
    auto* frame = new CFrame(CRect(0, 0, 20, 20));
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(0, 0, 20, 20), nullptr, 0, bitmap);
    bitmap->forget();
    frame->addView(button);
    auto off = render(frame);
    ASSERT_NE(off, nullptr);
    EXPECT_TRUE(closeTo(off->pixel(10, 10), kRedCColor)) << describe(off->pixel(10, 10));
    button->setValue(1);
    auto on = render(frame);
    ASSERT_NE(on, nullptr);
    EXPECT_TRUE(closeTo(on->pixel(10, 10), kGreenCColor)) << describe(on->pixel(10, 10));
    frame->forget();
}

TEST(WindowsDrawing, GlobalAlphaAndImageAlphaBlend) {
    auto* frame = new CFrame(CRect(0, 0, 40, 10));
    auto* white = new CBitmap(kWhiteSquare);
    auto* halfBlue = new CBitmap(kHalfTransparent);
    frame->addView(new PaintView(CRect(0, 0, 40, 10), [white, halfBlue](CDrawContext* c, const CRect&) {
        c->drawBitmap(white, CRect(0, 0, 8, 8));
        c->drawBitmap(halfBlue, CRect(30, 0, 34, 4));  // the image's own alpha
        c->setGlobalAlpha(0.5f);
        c->drawBitmap(white, CRect(10, 0, 18, 8));
        c->setFillColor(kWhiteCColor);
        c->drawRect(CRect(20, 0, 28, 8), kDrawFilled);
        c->setGlobalAlpha(1.f);
    }));
    auto image = render(frame);  // over black: coverage shows as a grey level
    ASSERT_NE(image, nullptr);
    EXPECT_TRUE(closeTo(image->pixel(4, 4), kWhiteCColor)) << describe(image->pixel(4, 4));
    EXPECT_TRUE(closeTo(image->pixel(14, 4), CColor{128, 128, 128, 255}, 3)) << describe(image->pixel(14, 4));
    EXPECT_TRUE(closeTo(image->pixel(24, 4), CColor{128, 128, 128, 255}, 3)) << describe(image->pixel(24, 4));
    EXPECT_TRUE(closeTo(image->pixel(32, 2), CColor{0, 0, 128, 255}, 3)) << describe(image->pixel(32, 2));
    white->forget();
    halfBlue->forget();
    frame->forget();
}

TEST(WindowsImages, UndecodableBytesGiveNoImage) {
    const std::vector<unsigned char> good = makePng(3, 5, {kRedCColor});
    auto decoded = toolkit::decodePng(good.data(), good.size());
    ASSERT_NE(decoded, nullptr);
    EXPECT_EQ(decoded->width(), 3);
    EXPECT_EQ(decoded->height(), 5);
    EXPECT_EQ(toolkit::decodePng(nullptr, 100), nullptr);
    EXPECT_EQ(toolkit::decodePng(good.data(), 4), nullptr);
    EXPECT_EQ(toolkit::decodePng(good.data(), good.size() / 2), nullptr) << "a cut-off image";
    auto* broken = new CBitmap(kBrokenPng);
    auto* missing = new CBitmap(kMissing);
    EXPECT_FALSE(broken->isLoaded());
    EXPECT_FALSE(missing->isLoaded());
    auto* frame = new CFrame(CRect(0, 0, 20, 20));
    frame->addView(new COnOffButton(CRect(0, 0, 20, 20), nullptr, 0, broken));
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(countPixels(*image, 20, 20, [](CColor p) { return !closeTo(p, kBlackCColor); }), 0);
    broken->forget();
    missing->forget();
    frame->forget();
}

TEST(WindowsImages, SavedPngsReadBackWithTheirPixels) {
    auto image = toolkit::createOffscreen(6, 4);
    ASSERT_NE(image, nullptr);
    image->clear(kTransparentCColor);
    image->surface().fillRect(CRect(0, 0, 3, 4), kRedCColor);
    image->surface().fillRect(CRect(3, 0, 6, 4), CColor{0, 255, 0, 128});
    ASSERT_TRUE(image->savePng("toolkit_windows_roundtrip.png"));
    EXPECT_FALSE(image->savePng("no-such-folder/deeper/x.png"));
    EXPECT_FALSE(image->savePng(nullptr));

    const std::vector<unsigned char> bytes = readFile("toolkit_windows_roundtrip.png");
    ASSERT_FALSE(bytes.empty());
    auto decoded = toolkit::decodePng(bytes.data(), bytes.size());
    ASSERT_NE(decoded, nullptr);
    auto check = toolkit::createOffscreen(6, 4);
    ASSERT_NE(check, nullptr);
    check->clear(kTransparentCColor);
    check->surface().drawBitmap(*decoded, CRect(0, 0, 6, 4), CPoint(), 1.f);
    EXPECT_TRUE(closeTo(check->pixel(1, 1), kRedCColor)) << describe(check->pixel(1, 1));
    EXPECT_TRUE(closeTo(check->pixel(4, 2), CColor{0, 255, 0, 128}, 3)) << describe(check->pixel(4, 2));
}

TEST(WindowsText, DrawsInTheTextColourWithAlignment) {
    auto* frame = new CFrame(CRect(0, 0, 120, 20));
    auto* font = new CFontDesc("Arial Narrow", 14);
    ASSERT_NE(font->getPlatformFont(), nullptr) << "no face for Arial Narrow or a stand-in";
    auto* label = new CTextLabel(CRect(0, 0, 120, 20), "Level", nullptr, kNoFrame);
    label->setFont(font);
    label->setFontColor(CColor{0, 255, 0, 255});
    label->setBackColor(kBlackCColor);
    label->setHoriAlign(kRightText);
    frame->addView(label);
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    const int green = countPixels(*image, 120, 20, [](CColor p) { return p.green > 200 && p.red < 40 && p.blue < 40; });
    const int leftHalf = countPixels(*image, 60, 20, [](CColor p) { return p.green > 100; });
    EXPECT_GT(green, 15) << "text pixels in the text colour";
    EXPECT_EQ(leftHalf, 0) << "right-aligned text stays on the right";
    image->savePng("toolkit_windows_text.png");

    const toolkit::IPlatformFont* face = font->getPlatformFont();
    EXPECT_GT(face->ascent(), face->capHeight());
    EXPECT_GT(face->capHeight(), 5);
    EXPECT_GT(face->descent(), 0);
    CDrawContext context(image->surface());
    context.setFont(font);
    const double shortWidth = context.getStringWidth("Level");
    EXPECT_GT(shortWidth, 10);
    EXPECT_NEAR(context.getStringWidth("LevelLevel"), 2 * shortWidth, 1.0);
    EXPECT_EQ(context.getStringWidth(""), 0);
    font->forget();
    frame->forget();
}

TEST(WindowsText, UnknownFamiliesFallBackAndBadSizesAreRefused) {
    EXPECT_NE(toolkit::createFont("No Such Family 123", 12, 0), nullptr);
    EXPECT_NE(toolkit::createFont("", 12, toolkit::kBoldFace | toolkit::kItalicFace), nullptr);
    EXPECT_NE(toolkit::createFont(nullptr, 12, 0), nullptr);
    // "Arial Narrow" is narrower than the regular face, or its stand-in where it is missing
    // (Wine: Liberation Sans Narrow).
    auto narrowFace = toolkit::createFont("Arial Narrow", 20, 0);
    auto regularFace = toolkit::createFont("Arial", 20, 0);
    auto image = toolkit::createOffscreen(4, 4);
    ASSERT_TRUE(narrowFace && regularFace && image);
    const double narrowWidth = image->surface().textWidth(*narrowFace, "Meter level");
    const double regularWidth = image->surface().textWidth(*regularFace, "Meter level");
    EXPECT_GT(narrowWidth, 40);
    if (runningUnderWine()) EXPECT_LT(narrowWidth, regularWidth * 0.9);
    else EXPECT_LE(narrowWidth, regularWidth);
    EXPECT_EQ(toolkit::createFont("Arial", 0, 0), nullptr);
    EXPECT_EQ(toolkit::createFont("Arial", -3, 0), nullptr);
    EXPECT_EQ(toolkit::createFont("Arial", 1e9, 0), nullptr);
    EXPECT_FALSE(toolkit::registerFontFace(nullptr, reinterpret_cast<const unsigned char*>("x"), 1));
    EXPECT_FALSE(toolkit::registerFontFace("Empty", nullptr, 10));
}

TEST(WindowsText, FacesRegisteredFromMemoryDrawUnderTheirFamily) {
    // Any TrueType file serves as the resource bytes; Wine sees the host's files on Z:.
    static const std::vector<unsigned char> bytes = readFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    if (bytes.empty()) GTEST_SKIP() << "DejaVuSans.ttf is not reachable";
    EXPECT_FALSE(toolkit::registerFontFace("AldermarkBroken", bytes.data(), 64)) << "cut-off data is no face";
    ASSERT_TRUE(toolkit::registerFontFace("AldermarkTestFace", bytes.data(), bytes.size()));
    EXPECT_TRUE(toolkit::registerFontFace("aldermarktestface", bytes.data(), bytes.size())) << "already there";
    auto registered = toolkit::createFont("AldermarkTestFace", 100, 0);
    auto fallback = toolkit::createFont("No Such Family 123", 100, 0);
    ASSERT_NE(registered, nullptr);
    ASSERT_NE(fallback, nullptr);
    // DejaVu Sans: Windows ascent 1901 of 2048 units per em; its capitals stand 1493 units
    // high (the face does not state a cap height, so renderers estimate it).
    EXPECT_NEAR(registered->ascent(), 92.8, 0.5);
    EXPECT_GT(registered->capHeight(), 60);
    EXPECT_LT(registered->capHeight(), 80);
    EXPECT_GT(std::abs(registered->ascent() - fallback->ascent()), 1.0) << "not the fallback face";

    auto* frame = new CFrame(CRect(0, 0, 80, 30));
    auto* font = new CFontDesc("AldermarkTestFace", 20);
    auto* label = new CTextLabel(CRect(0, 0, 80, 30), "Mm", nullptr, kNoFrame);
    label->setFont(font);
    label->setFontColor(kWhiteCColor);
    label->setBackColor(kBlackCColor);
    frame->addView(label);
    auto image = render(frame);
    ASSERT_NE(image, nullptr);
    EXPECT_GT(countPixels(*image, 80, 30, [](CColor p) { return p.red > 128; }), 20);
    font->forget();
    frame->forget();
}

TEST(WindowsImages, DecodingLeavesTheThreadsComSetUpAsItWas) {
    const std::vector<unsigned char> png = makePng(2, 2, {kBlueCColor});
    // A host thread in the multithreaded apartment: decoding works and the thread stays there.
    std::thread([&png] {
        ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
        EXPECT_NE(toolkit::decodePng(png.data(), png.size()), nullptr);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_FALSE) << "still multithreaded";
        CoUninitialize();
        CoUninitialize();
    }).join();
    // A thread without COM: decoding works and leaves no COM set up behind.
    std::thread([&png] {
        EXPECT_NE(toolkit::decodePng(png.data(), png.size()), nullptr);
        EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "no apartment was left behind";
        CoUninitialize();
    }).join();
}

// Images live for the process; the copy each keeps for a target must go with the target, and
// the Direct2D factory (which keeps a device) with the last target, or every closed editor or
// unloaded library would keep a device alive: under Wine a 3D context of some 200 MB.
TEST(WindowsImages, ACopyForATargetAndTheFactoryGoWithTheTargets) {
    using toolkit::windows::D2DBitmap;
    using toolkit::windows::D2DSurface;
    const D2DBitmap image(2, 2, std::vector<std::uint8_t>(16, 0xff));
    auto drawOn = [&image](D2DSurface& surface) {
        surface.drawBitmap(image, CRect(0, 0, 2, 2), CPoint(0, 0), 1.f);
        surface.flush();
    };
    auto first = D2DSurface::create(4, 4);
    auto second = D2DSurface::create(4, 4);
    ASSERT_TRUE(first && second) << "Direct2D needs a graphics device";
    drawOn(*first);
    drawOn(*second);
    drawOn(*first);  // the same target again reuses its copy
    EXPECT_EQ(image.targetCount(), 2);
    EXPECT_TRUE(closeTo(first->pixel(1, 1), kWhiteCColor)) << describe(first->pixel(1, 1));
    first.reset();
    EXPECT_EQ(image.targetCount(), 1);
    EXPECT_TRUE(toolkit::windows::Direct2D::held());
    second.reset();
    EXPECT_EQ(image.targetCount(), 0);
    EXPECT_FALSE(toolkit::windows::Direct2D::held()) << "the factory outlived every surface";
    auto again = D2DSurface::create(4, 4);
    ASSERT_TRUE(again) << "a factory is made again for the next surface";
    drawOn(*again);
    EXPECT_TRUE(closeTo(again->pixel(1, 1), kWhiteCColor)) << describe(again->pixel(1, 1));
}
