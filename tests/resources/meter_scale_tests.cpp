// Needle laws of the three movements: the fixed points the meters are calibrated to, the
// stops, and safe angles for values no meter should ever be handed.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "model/meter_scale.h"

namespace {

using namespace meter_scale;

constexpr double tolerance = 0.01;  // degrees
const double nan = std::numeric_limits<double>::quiet_NaN();
const double infinity = std::numeric_limits<double>::infinity();

double rmsDeg(double v) { return degrees(rmsAngle(v)); }
double vuDeg(double v) { return degrees(vuAngle(v)); }
double ppmDeg(double v) { return degrees(ppmAngle(v)); }

TEST(RmsLaw, CalibrationPointsAndStops) {
    EXPECT_NEAR(rmsDeg(valueFromDb(-40)), 138.08, tolerance);
    EXPECT_NEAR(rmsDeg(1.0), 51.8887, tolerance);
    EXPECT_NEAR(rmsDeg(valueFromDb(6)), 38.96, tolerance);
    EXPECT_NEAR(rmsDeg(0.0001), 145.0, tolerance) << "-80 dB rests on the left stop";
    EXPECT_NEAR(rmsDeg(32.0), 34.0, tolerance);
    // Linear in dB above -40: 99.12 degrees over 46 dB.
    EXPECT_NEAR(rmsDeg(valueFromDb(-10)) - rmsDeg(valueFromDb(-9)), 99.12 / 46, tolerance);
}

TEST(RmsLaw, SqueezedBelowMinus40IsContinuousAndMonotonic) {
    EXPECT_NEAR(rmsDeg(0.01 * (1 - 1e-9)), rmsDeg(0.01), 1e-6);
    double previous = rmsDeg(1e-5);
    for (double db = -99; db <= 6; db += 0.25) {
        const double angle = rmsDeg(valueFromDb(db));
        EXPECT_LE(angle, previous + 1e-9) << db << " dB";
        previous = angle;
    }
    // -50 dB still reads left of -40 dB but is squeezed to well under the linear spacing.
    const double squeezed = rmsDeg(valueFromDb(-50)) - rmsDeg(valueFromDb(-40));
    EXPECT_GT(squeezed, 0.5);
    EXPECT_LT(squeezed, 10 * 99.12 / 46);
}

TEST(VuLaw, CalibrationPointsRestAndPeg) {
    EXPECT_NEAR(vuDeg(0.0), 136.5, tolerance);
    EXPECT_GT(vuDeg(-0.05), 136.5) << "the resting value lies just left of the zero mark";
    EXPECT_LT(vuDeg(-0.05), 140.0);
    EXPECT_NEAR(vuDeg(1.0), 136.5 - 91 * std::pow(1 / 1.44, 1.2), tolerance);
    EXPECT_NEAR(vuDeg(1.44), 45.5, tolerance);
    // Hard overloads stop on the peg instead of swinging the needle round the pivot.
    EXPECT_NEAR(vuDeg(32.0), 30.0, tolerance);
    EXPECT_NEAR(vuDeg(1e300), 30.0, tolerance);
    EXPECT_GT(vuDeg(valueFromDb(3)), 30.0) << "the whole printed scale is reachable";
}

TEST(PpmLaw, FourDegreesPerDbAndStops) {
    EXPECT_NEAR(ppmDeg(1.0 / 16), 150.0, tolerance) << "180 degrees, held by the stop";
    EXPECT_NEAR(ppmDeg(1.0), 180 - 3.75 * 20 * std::log10(16.0), tolerance);
    for (double db = -14; db <= 12; db += 2)
        EXPECT_NEAR(ppmDeg(valueFromDb(db)) - ppmDeg(valueFromDb(db + 1)), 3.75, tolerance) << db;
    EXPECT_NEAR(ppmDeg(32.0), 30.0, tolerance);
}

TEST(NeedleLaws, UnusableValuesRestOnTheLeftStop) {
    for (double v : {nan, 0.0, -1.0, -infinity}) {
        EXPECT_NEAR(rmsDeg(v), 145.0, tolerance) << v;
        EXPECT_NEAR(ppmDeg(v), 150.0, tolerance) << v;
    }
    EXPECT_NEAR(vuDeg(nan), 136.5, tolerance);
    EXPECT_NEAR(rmsDeg(infinity), 34.0, tolerance);
    EXPECT_NEAR(ppmDeg(infinity), 30.0, tolerance);
    EXPECT_NEAR(vuDeg(infinity), 30.0, tolerance);
    EXPECT_NEAR(vuDeg(-infinity), 150.0, tolerance);
    EXPECT_NEAR(vuDeg(-1e300), 150.0, tolerance);
}

TEST(FaceGeometry, NeedleTipStaysInsideTheViewOverTheWholeSweep) {
    struct Case {
        const MeterGeometry* g;
        double (*law)(double);
    } cases[] = {{&rmsGeometry, rmsAngle}, {&vuGeometry, vuAngle}, {&ppmGeometry, ppmAngle}};
    for (const Case& c : cases) {
        for (double db = -90; db <= 30; db += 0.5) {
            const Point tip = pointAt(*c.g, c.law(valueFromDb(db)), c.g->needleEnd);
            EXPECT_GE(tip.x, 0.0);
            EXPECT_LE(tip.x, c.g->width);
            EXPECT_GE(tip.y, 0.0);
            EXPECT_LE(tip.y, c.g->height);
        }
        EXPECT_LT(c.g->needleStart, c.g->tipStart);
        EXPECT_LT(c.g->tipStart, c.g->needleEnd);
        EXPECT_LE(c.g->ledRight - c.g->ledLeft, ledFrameSize);
    }
}

TEST(FaceGeometry, PointAtUsesPixelCentresAndScreenY) {
    const Point up = pointAt(vuGeometry, pi / 2, 100);
    EXPECT_NEAR(up.x, 128.5, 1e-9);
    EXPECT_NEAR(up.y, 55.5, 1e-9);
    const Point left = pointAt(rmsGeometry, pi, 10);
    EXPECT_NEAR(left.x, 116.5, 1e-9);
    EXPECT_NEAR(left.y, 150.3, 1e-9);
}

}  // namespace
