#pragma once
// Needle laws and face geometry of the three analogue movements (VU, RMS, PPM).
// The meter controls place their needles with these functions and the face generator
// prints the scales with the same ones, so a printed mark always reads what the needle
// shows. Angles are in radians, measured counter-clockwise from the right-hand
// horizontal; screen y points down. Display values are linear, 1.0 = reference level.
#include <algorithm>
#include <cmath>
#include <numbers>

namespace meter_scale {

inline constexpr double pi = std::numbers::pi;

constexpr double radians(double degrees) { return degrees * pi / 180.0; }
constexpr double degrees(double radians) { return radians * 180.0 / pi; }

// Linear display value of a level in dB relative to the reference.
inline double valueFromDb(double db) { return std::pow(10.0, db / 20.0); }

// One movement, in pixels relative to the meter control's top-left corner.
struct MeterGeometry {
    int width;             // view width, px
    int height;            // view height, px
    double pivotX;         // needle pivot, px (lies below the view: the base is hidden)
    double pivotY;         // px
    double needleStart;    // rho0: radius where the drawn needle starts, px
    double needleEnd;      // rho1: radius of the needle tip, px
    double tipStart;       // rho2: inner end of the tip and hold segments, px
    double holdEnd;        // rho3: outer end of the hold segment, px
    int ledLeft;           // over LED rectangle, px
    int ledTop;
    int ledRight;
    int ledBottom;
    float restingValue;    // display value a fresh control shows
};

inline constexpr MeterGeometry rmsGeometry{250, 116, 126.0, 149.8, 3, 120, 103, 120,
                                           210, 14,  230,   34,    0.000001f};
inline constexpr MeterGeometry vuGeometry{250, 122, 128.0, 155.0, 3, 134, 121, 134,
                                          181, 90,  201,   110,   -0.05f};
inline constexpr MeterGeometry ppmGeometry{250, 116, 126.0, 149.8, 3, 121, 108, 121,
                                           210, 14,  230,   34,    0.000001f};

// Where the two channel meters sit in a 586 x 169 front panel, px.
inline constexpr int leftMeterX = 12;
inline constexpr int rightMeterX = 277;
inline constexpr int meterY = 18;
// The dark bezel printed round each movement reaches this far beyond its view, px.
inline constexpr int bezelWidth = 4;
// Top-left of the hold switch (44 x 14): clear of the tallest bezel (VU, down to y 144) and
// centred on the line of the channel captions and the meter selector.
inline constexpr int holdSwitchX = 54;
inline constexpr int holdSwitchY = 148;

// Stacked-frame layout of the meter bitmaps.
inline constexpr int ledFrameSize = 20;         // over LED: 20 x 20 per state
inline constexpr int ledFrames = 3;             // no over, over since clear, over now
inline constexpr int vuBacklightLevels = 5;     // one face frame per backlight level
inline constexpr int vuOverlayRows = 6;         // last rows of a VU frame drawn over the needle base

struct Point {
    double x;
    double y;
};

// Point at angle theta and radius rho from the pivot of `g` (pixel-centre convention).
inline Point pointAt(const MeterGeometry& g, double theta, double rho) {
    return {g.pivotX + 0.5 + rho * std::cos(theta), g.pivotY + 0.5 - rho * std::sin(theta)};
}

// Values for the logarithmic laws: NaN, zero and negatives read as `floor` (silence),
// anything huge as 1e30, so the log never sees a value it cannot take.
inline double loggableValue(double v, double floor) {
    if (v >= 1e30) return 1e30;
    return v > floor ? v : floor;
}

// RMS: -40 dB at 138.08 deg, +6 dB at 38.96 deg, linear in dB between; below -40 dB the
// scale is squeezed towards the left stop. Limited to 34 ... 145 deg.
inline constexpr double rmsMinDb = -40.0;
inline constexpr double rmsMaxDb = 6.0;
inline constexpr double rmsMinAngle = radians(34.0);
inline constexpr double rmsMaxAngle = radians(145.0);

inline double rmsAngle(double v) {
    v = loggableValue(v, 1e-12);
    const double level = 20.0 * std::log10(v);
    double shown = level;
    if (level < rmsMinDb) {
        const double weight = 35.0 * v;  // blends the squeezed law back into the linear one
        shown = (1.0 - weight) * ((level + 40.0) * 0.1 - 40.0) + weight * level;
    }
    const double deg = (1.0 - (shown + 40.0) / 46.0) * 99.12 + 38.96;
    return std::clamp(radians(deg), rmsMinAngle, rmsMaxAngle);
}

// VU: m = v / 1.44, raised to 1.2 above zero; 136.5 deg - 91 deg * m. The resting value
// -0.05 lies just left of 136.5 deg. A real movement stops on its pegs: overloads (and
// absurd negative values) are held there instead of swinging the needle round the pivot.
inline constexpr double vuMinDb = -20.0;
inline constexpr double vuMaxDb = 3.0;
inline constexpr double vuRightPeg = radians(30.0);
inline constexpr double vuLeftPeg = radians(150.0);

inline double vuAngle(double v) {
    if (!(v == v)) v = 0.0;  // NaN reads as silence
    double m = v / 1.44;
    if (v > 0.0) m = std::pow(std::min(m, 1e6), 1.2);
    const double theta = 2.3823744289722595 - 1.5882496193148399 * std::max(m, -1e6);
    return std::clamp(theta, vuRightPeg, vuLeftPeg);
}

// PPM: 3.75 deg per dB, the reference level (v = 1) about 0.3 deg left of vertical.
// Limited to 30 ... 150 deg.
inline constexpr double ppmDegreesPerDb = 3.75;
inline constexpr double ppmMinDb = -16.0;  // printed scale range; the stops lie just beyond
inline constexpr double ppmMaxDb = 14.0;
inline constexpr double ppmMinAngle = radians(30.0);
inline constexpr double ppmMaxAngle = radians(150.0);

inline double ppmAngle(double v) {
    v = loggableValue(v, 1e-12);
    const double theta = pi - 20.0 * std::log10(16.0 * v) * pi / 48.0;
    return std::clamp(theta, ppmMinAngle, ppmMaxAngle);
}

}  // namespace meter_scale
