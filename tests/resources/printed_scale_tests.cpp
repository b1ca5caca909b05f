// The printed dials agree with the needle laws: every numbered mark sits where the needle
// points for that level, with bare dial between marks; the lamps and backlight frames are
// told apart by their brightness.
#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "model/meter_scale.h"
#include "png_decode.h"

namespace {

using namespace meter_scale;

// Brightness 0 ... 255 of one pixel (the images are opaque where these tests look).
double brightness(cairo_surface_t* s, int x, int y) {
    const std::uint32_t argb = pixel(s, x, y);
    return 0.299 * ((argb >> 16) & 0xff) + 0.587 * ((argb >> 8) & 0xff) + 0.114 * (argb & 0xff);
}

// Strongest colour channel: red marks stand out on a black dial although they are dark.
double strongestChannel(cairo_surface_t* s, int x, int y) {
    const std::uint32_t argb = pixel(s, x, y);
    return std::max({(argb >> 16) & 0xff, (argb >> 8) & 0xff, argb & 0xff});
}

struct Dial {
    int imageId;
    int originX, originY;  // dial's top-left corner inside the image
    const MeterGeometry& g;
    double (*law)(double);
    double markRadius;  // inside the long marks of the numbered levels, clear of the short ones
    bool darkInk;       // ink darker than the dial
    std::vector<int> numberedDb;
};

// Strongest ink in the 3 x 3 pixels around the point at (theta, radius).
double inkAt(cairo_surface_t* s, const Dial& d, double theta, double radius) {
    const Point p = pointAt(d.g, theta, radius);
    double strongest = 0;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int x = d.originX + int(std::floor(p.x)) + dx, y = d.originY + int(std::floor(p.y)) + dy;
            strongest = std::max(strongest, d.darkInk ? 255 - brightness(s, x, y) : strongestChannel(s, x, y));
        }
    return strongest;
}

void expectMarksWhereTheNeedlePoints(const Dial& d, int frameOffsetY = 0) {
    Surface image = decodeImage(d.imageId);
    ASSERT_TRUE(image) << d.imageId;
    Dial shifted = d;
    shifted.originY += frameOffsetY;
    // Ink must stand out against the bare dial halfway to the next mark, on either side.
    for (std::size_t i = 0; i + 1 < d.numberedDb.size(); ++i) {
        const double here = d.law(valueFromDb(d.numberedDb[i]));
        const double next = d.law(valueFromDb(d.numberedDb[i + 1]));
        const double between = inkAt(image.get(), shifted, (here + next) / 2, d.markRadius);
        EXPECT_GT(inkAt(image.get(), shifted, here, d.markRadius) - between, 50)
            << "no mark at " << d.numberedDb[i] << " dB";
        EXPECT_GT(inkAt(image.get(), shifted, next, d.markRadius) - between, 50)
            << "no mark at " << d.numberedDb[i + 1] << " dB";
    }
}

TEST(PrintedScales, VuMarksOnEveryBacklightLevel) {
    const Dial vu{40007, 0, 0, vuGeometry, vuAngle, 114, true, {-20, -10, -7, -5, -3, -2, -1, 0, 1, 2, 3}};
    for (int level = 0; level < vuBacklightLevels; ++level) {
        SCOPED_TRACE(level);
        expectMarksWhereTheNeedlePoints(vu, level * vuGeometry.height);
    }
}

TEST(PrintedScales, RmsMarksOnBothDials) {
    for (int x : {leftMeterX, rightMeterX})
        expectMarksWhereTheNeedlePoints({41001, x, meterY, rmsGeometry, rmsAngle, 111, false,
                                         {-40, -30, -20, -15, -10, -6, -3, 0, 3, 6}});
}

TEST(PrintedScales, PpmMarksOnBothDials) {
    for (int x : {leftMeterX, rightMeterX})
        expectMarksWhereTheNeedlePoints({42001, x, meterY, ppmGeometry, ppmAngle, 113, false,
                                         {-16, -12, -8, -4, 0, 4, 8, 12}});
}

TEST(PrintedScales, BacklightLevelsGetBrighter) {
    Surface image = decodeImage(40007);
    ASSERT_TRUE(image);
    double previous = -1;
    for (int level = 0; level < vuBacklightLevels; ++level) {
        double sum = 0;  // a patch of bare paper above the scale
        for (int y = 8; y < 16; ++y)
            for (int x = 120; x < 136; ++x) sum += brightness(image.get(), x, level * vuGeometry.height + y);
        EXPECT_GT(sum / 128, previous + 10) << "level " << level;
        previous = sum / 128;
    }
}

TEST(PrintedScales, OverLedStatesReadOffLatchedLit) {
    Surface image = decodeImage(40008);
    ASSERT_TRUE(image);
    const int centre = ledFrameSize / 2;
    const double off = brightness(image.get(), centre, centre);
    const double latched = brightness(image.get(), centre, ledFrameSize + centre);
    const double lit = brightness(image.get(), centre, 2 * ledFrameSize + centre);
    EXPECT_LT(off, 60);
    EXPECT_GT(latched, off + 40);
    EXPECT_GT(lit, latched + 30);
}

}  // namespace
