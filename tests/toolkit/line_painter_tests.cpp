// The direct line painter against cairo's own stroker: the same lines must put the same ink
// in the same places, stay inside the clip and leave RGB24's unused byte alone.
#include <gtest/gtest.h>
#include <cairo.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <vector>

#include "toolkit/cairo/line_painter.h"

namespace {

using toolkit::LineCap;
using toolkit::cairo::PixelImage;

constexpr int kSize = 64;

struct Canvas {
    cairo_surface_t* surface;
    explicit Canvas(cairo_format_t format = CAIRO_FORMAT_ARGB32) : surface(cairo_image_surface_create(format, kSize, kSize)) {}
    ~Canvas() { cairo_surface_destroy(surface); }
    PixelImage pixels() const {
        cairo_surface_flush(surface);
        return {cairo_image_surface_get_data(surface), cairo_image_surface_get_stride(surface), kSize, kSize,
                cairo_image_surface_get_format(surface) == CAIRO_FORMAT_ARGB32};
    }
    std::uint32_t at(int x, int y) const {
        const PixelImage image = pixels();
        return reinterpret_cast<const std::uint32_t*>(image.data + y * image.stride)[x];
    }
};

void strokeWithCairo(Canvas& canvas, const CRect& clip, const CPoint& from, const CPoint& to, double width, LineCap cap,
                     CColor color) {
    cairo_t* cr = cairo_create(canvas.surface);
    cairo_rectangle(cr, clip.left, clip.top, clip.getWidth(), clip.getHeight());
    cairo_clip(cr);
    cairo_set_source_rgba(cr, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, cap == LineCap::Round ? CAIRO_LINE_CAP_ROUND
                           : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                    : CAIRO_LINE_CAP_BUTT);
    cairo_move_to(cr, from.x, from.y);
    cairo_line_to(cr, to.x, to.y);
    cairo_stroke(cr);
    cairo_destroy(cr);
}

struct LineCase {
    const char* name;
    CPoint from, to;
    double width;
    LineCap cap;
    CColor color;
};

const CRect kWhole(0, 0, kSize, kSize);

}  // namespace

TEST(LinePainter, PutsTheInkOfCairosStrokeInTheSamePlaces) {
    const LineCase cases[] = {
        {"needle, steep", {31.2, 60}, {36.7, 4.5}, 2.4, LineCap::Round, {237, 230, 201, 255}},
        {"needle, 45 degrees", {6, 58}, {52.3, 11.7}, 2.4, LineCap::Round, {160, 0, 0, 220}},
        {"needle, flat", {3.5, 30.25}, {60, 33}, 2.4, LineCap::Round, {255, 0, 0, 130}},
        {"hairline spine", {40, 60}, {20.5, 8}, 0.6, LineCap::Round, {0, 0, 0, 255}},
        {"butt ends", {10, 10}, {50, 40}, 3.0, LineCap::Butt, {20, 200, 90, 255}},
        {"square ends", {12.5, 50}, {50, 20.5}, 4.0, LineCap::Square, {90, 90, 250, 200}},
        {"vertical on the grid", {32, 5}, {32, 59}, 1.0, LineCap::Butt, {255, 255, 255, 255}},
        {"a dot", {20.3, 20.7}, {20.3, 20.7}, 5.0, LineCap::Round, {255, 255, 0, 255}},
    };
    for (const LineCase& line : cases) {
        SCOPED_TRACE(line.name);
        Canvas ours, theirs;
        toolkit::cairo::paintLine(ours.pixels(), kWhole, line.from, line.to, line.width, line.cap, line.color);
        strokeWithCairo(theirs, kWhole, line.from, line.to, line.width, line.cap, line.color);
        double inkOurs = 0, inkTheirs = 0;
        int worst = 0;
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
                const int a = static_cast<int>(ours.at(x, y) >> 24), b = static_cast<int>(theirs.at(x, y) >> 24);
                inkOurs += a;
                inkTheirs += b;
                worst = std::max(worst, std::abs(a - b));
            }
        ASSERT_GT(inkTheirs, 0);
        EXPECT_NEAR(inkOurs / inkTheirs, 1.0, 0.03) << "total ink";
        EXPECT_LE(worst, 48) << "largest difference of one pixel's coverage, of 255";
    }
}

TEST(LinePainter, BlendsTheColourOverWhatIsThereAndStaysInsideTheClip) {
    for (cairo_format_t format : {CAIRO_FORMAT_ARGB32, CAIRO_FORMAT_RGB24}) {
        SCOPED_TRACE(format == CAIRO_FORMAT_ARGB32 ? "ARGB32" : "RGB24");
        Canvas canvas(format);
        // A grey ground (RGB24 keeps a marker in its unused byte), then a half-transparent red line.
        const std::uint32_t ground = (format == CAIRO_FORMAT_ARGB32 ? 0xff000000u : 0x5a000000u) | 0x00404040u;
        const PixelImage image = canvas.pixels();
        for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) reinterpret_cast<std::uint32_t*>(image.data + y * image.stride)[x] = ground;
        cairo_surface_mark_dirty(canvas.surface);
        const CRect clip(0, 0, 40, 64);
        toolkit::cairo::paintLine(image, clip, {5, 32.5}, {60, 32.5}, 3.0, LineCap::Butt, {255, 0, 0, 128});
        // Fully covered inside: half red over grey; past the clip's right edge nothing changed.
        const std::uint32_t middle = canvas.at(20, 32);
        EXPECT_EQ(middle >> 24, ground >> 24) << "the top byte keeps its value";
        EXPECT_NEAR(static_cast<int>((middle >> 16) & 0xff), 128 + 32, 1);
        EXPECT_NEAR(static_cast<int>((middle >> 8) & 0xff), 32, 1);
        for (int x = 40; x < kSize; ++x) EXPECT_EQ(canvas.at(x, 32), ground) << "x = " << x;
        EXPECT_EQ(canvas.at(20, 20), ground) << "far from the line";
    }
}

TEST(LinePainter, IgnoresWhatCannotBeDrawn) {
    Canvas canvas;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CColor red{255, 0, 0, 255};
    toolkit::cairo::paintLine(canvas.pixels(), kWhole, {nan, 3}, {10, 10}, 2, LineCap::Round, red);
    toolkit::cairo::paintLine(canvas.pixels(), kWhole, {-1e9, -1e9}, {1e9, 1e9}, 0, LineCap::Round, red);
    toolkit::cairo::paintLine(canvas.pixels(), kWhole, {5, 5}, {5, 5}, 3, LineCap::Butt, red);
    toolkit::cairo::paintLine(canvas.pixels(), CRect(10, 10, 10, 30), {0, 20}, {60, 20}, 3, LineCap::Butt, red);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) ASSERT_EQ(canvas.at(x, y), 0u) << x << ", " << y;
    // Far outside the image, the line is still drawn where it crosses it.
    toolkit::cairo::paintLine(canvas.pixels(), kWhole, {-1e6, 32.5}, {1e6, 32.5}, 1, LineCap::Butt, red);
    EXPECT_EQ(canvas.at(0, 32) >> 24, 255u);
    EXPECT_EQ(canvas.at(kSize - 1, 32) >> 24, 255u);
}
