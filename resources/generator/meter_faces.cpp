// Meter dials. Every mark and number is placed with the needle laws of the meter
// controls, so the printed scale reads exactly what the needle shows.
#include <cmath>
#include <string>

#include "artwork.h"
#include "canvas.h"
#include "model/meter_scale.h"

namespace art {
namespace {

using meter_scale::MeterGeometry;
using meter_scale::pointAt;
using meter_scale::valueFromDb;

using AngleLaw = double (*)(double);

void radialLine(cairo_t* cr, const MeterGeometry& g, double theta, double r0, double r1, double width) {
    const auto a = pointAt(g, theta, r0);
    const auto b = pointAt(g, theta, r1);
    cairo_set_line_width(cr, width);
    cairo_move_to(cr, a.x, a.y);
    cairo_line_to(cr, b.x, b.y);
    cairo_stroke(cr);
}

// Arc between two angles at radius r (cairo's y-down angles are the negated ones).
void arc(cairo_t* cr, const MeterGeometry& g, double thetaA, double thetaB, double r, double width) {
    cairo_set_line_width(cr, width);
    cairo_new_path(cr);
    cairo_arc(cr, g.pivotX + 0.5, g.pivotY + 0.5, r, -std::fmax(thetaA, thetaB), -std::fmin(thetaA, thetaB));
    cairo_stroke(cr);
}

void number(cairo_t* cr, const MeterGeometry& g, double theta, double r, const std::string& s, double size,
            Rgb ink) {
    const auto p = pointAt(g, theta, r);
    centredText(cr, s, p.x, p.y, size, ink, Weight::Bold);
}

struct DbScale {
    AngleLaw law;
    double arcRadius;     // the scale line, px from the pivot
    double minorLength;   // tick lengths outward from the line
    double majorLength;
    double numberRadius;  // centre of the numbers
    double numberSize;
    Rgb ink;
    Rgb red;
};

void dbTicks(cairo_t* cr, const MeterGeometry& g, const DbScale& s, double fromDb, double toDb, double step,
             double length, double width) {
    setColour(cr, s.ink);
    for (double db = fromDb; db <= toDb + 1e-9; db += step)
        radialLine(cr, g, s.law(valueFromDb(db)), s.arcRadius, s.arcRadius + length, width);
}

void dbNumbers(cairo_t* cr, const MeterGeometry& g, const DbScale& s, const int* marks, int count,
               double redFromDb) {
    for (int i = 0; i < count; ++i) {
        const double theta = s.law(valueFromDb(marks[i]));
        const Rgb ink = marks[i] > redFromDb ? s.red : s.ink;
        setColour(cr, ink);
        radialLine(cr, g, theta, s.arcRadius, s.arcRadius + s.majorLength, 1.8);
        number(cr, g, theta, s.numberRadius, signedNumber(marks[i]), s.numberSize, ink);
    }
}

// Red band on the inner side of the scale line from `fromDb` to `toDb`.
void redBand(cairo_t* cr, const MeterGeometry& g, const DbScale& s, double fromDb, double toDb) {
    setColour(cr, s.red);
    arc(cr, g, s.law(valueFromDb(fromDb)), s.law(valueFromDb(toDb)), s.arcRadius - 2.5, 5.0);
}

const MeterGeometry& vuG = meter_scale::vuGeometry;

}  // namespace

void vuFace(cairo_t* cr, int level) {
    const double w = vuG.width, h = vuG.height;
    // Paper lit from behind: a warm glow that grows with the backlight level.
    const double lit = level / 4.0;
    const Rgb paper = mix(rgb(146, 136, 110), rgb(250, 226, 158), lit);
    setColour(cr, paper);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    // Lamp glow from behind the lower centre (brighter than the paper, so every level is
    // brighter than the one before), then a fixed shade towards the window's top corners.
    cairo_pattern_t* glow = cairo_pattern_create_radial(w / 2, h * 0.95, 10, w / 2, h * 0.8, w * 0.7);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.95, 0.76, 0.7 * lit);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.95, 0.76, 0.10 * lit);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);
    cairo_pattern_t* shade = cairo_pattern_create_radial(w / 2, h, 60, w / 2, h, w * 0.75);
    cairo_pattern_add_color_stop_rgba(shade, 0, 0.2, 0.15, 0.05, 0.0);
    cairo_pattern_add_color_stop_rgba(shade, 1, 0.2, 0.15, 0.05, 0.22);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);

    const Rgb ink = colour::paperInk;
    const DbScale s{meter_scale::vuAngle, 106, 6, 10, 123, 11.5, ink, colour::paperRed};
    redBand(cr, vuG, s, 0, meter_scale::vuMaxDb);
    setColour(cr, ink);
    arc(cr, vuG, meter_scale::vuAngle(valueFromDb(meter_scale::vuMinDb)), meter_scale::vuAngle(1.0),
        s.arcRadius, 1.4);
    setColour(cr, s.red);
    arc(cr, vuG, meter_scale::vuAngle(1.0), meter_scale::vuAngle(valueFromDb(meter_scale::vuMaxDb)),
        s.arcRadius, 1.4);
    const int minor[] = {-15, -8, -6, -4};
    for (int db : minor) {
        setColour(cr, ink);
        radialLine(cr, vuG, s.law(valueFromDb(db)), s.arcRadius, s.arcRadius + s.minorLength, 1.2);
    }
    setColour(cr, s.red);
    for (double db : {0.5, 1.5, 2.5})
        radialLine(cr, vuG, s.law(valueFromDb(db)), s.arcRadius, s.arcRadius + s.minorLength, 1.2);
    const int marks[] = {-20, -10, -7, -5, -3, -2, -1, 0, 1, 2, 3};
    dbNumbers(cr, vuG, s, marks, 11, 0.0);

    // Percent of the reference level on an inner scale, as on broadcast movements.
    setColour(cr, ink, 0.85);
    arc(cr, vuG, meter_scale::vuAngle(0.0), meter_scale::vuAngle(1.0), 96, 1.0);
    for (int pct = 0; pct <= 100; pct += 10) {
        const double theta = meter_scale::vuAngle(pct / 100.0);
        setColour(cr, ink, 0.85);
        radialLine(cr, vuG, theta, pct % 20 == 0 ? 89 : 92, 96, 1.0);
        if (pct % 20 == 0) number(cr, vuG, theta, 82, std::to_string(pct), 7.5, ink);
    }
    text(cr, "%", 36, 104, 8, ink, Align::Left, Weight::Bold, 0.85);

    text(cr, "VU", w / 2 + 0.5, 98, 22, ink, Align::Centre, Weight::Bold);
    text(cr, "ALDERMARK", w / 2 + 0.5, 110, 6.5, ink, Align::Centre, Weight::Bold, 0.7);
    // Ring the LED hole and name it.
    const double ledX = (vuG.ledLeft + vuG.ledRight) / 2.0, ledY = (vuG.ledTop + vuG.ledBottom) / 2.0;
    cairo_new_path(cr);
    cairo_arc(cr, ledX, ledY, 11.5, 0, 2 * meter_scale::pi);
    setColour(cr, ink, 0.6);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    text(cr, "PEAK", ledX - 14, ledY + 3, 7, ink, Align::Right, Weight::Bold, 0.8);

    // Bottom lip: drawn over the needle base by the control, so it hides the pivot.
    const double lipTop = h - meter_scale::vuOverlayRows;
    cairo_pattern_t* lip = cairo_pattern_create_linear(0, lipTop, 0, h);
    cairo_pattern_add_color_stop_rgb(lip, 0, 0.30, 0.27, 0.22);
    cairo_pattern_add_color_stop_rgb(lip, 1, 0.10, 0.09, 0.08);
    cairo_set_source(cr, lip);
    cairo_rectangle(cr, 0, lipTop, w, meter_scale::vuOverlayRows);
    cairo_fill(cr);
    setColour(cr, rgb(255, 240, 200), 0.25 + 0.3 * lit);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, 0, lipTop + 0.5);
    cairo_line_to(cr, w, lipTop + 0.5);
    cairo_stroke(cr);
    // Vignette at the window edge, as in a recessed movement.
    cairo_pattern_t* edge = cairo_pattern_create_radial(w / 2, h * 0.6, w * 0.42, w / 2, h * 0.6, w * 0.72);
    cairo_pattern_add_color_stop_rgba(edge, 0, 0, 0, 0, 0.0);
    cairo_pattern_add_color_stop_rgba(edge, 1, 0, 0, 0, 0.35);
    cairo_set_source(cr, edge);
    cairo_rectangle(cr, 0, 0, w, lipTop);
    cairo_fill(cr);
    cairo_pattern_destroy(edge);
    cairo_pattern_destroy(lip);
}

void darkDial(cairo_t* cr, Meter meter) {
    const bool rms = meter == Meter::Rms;
    const MeterGeometry& g = rms ? meter_scale::rmsGeometry : meter_scale::ppmGeometry;
    const double w = g.width, h = g.height;
    cairo_pattern_t* face = cairo_pattern_create_radial(w / 2, h, 10, w / 2, h * 0.8, w * 0.7);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.16, 0.15, 0.14);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.06, 0.055, 0.05);
    cairo_set_source(cr, face);
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_fill(cr);
    cairo_pattern_destroy(face);

    const Rgb ink = colour::faceInk;
    if (rms) {
        const DbScale s{meter_scale::rmsAngle, 104, 5, 9, 124, 11, ink, colour::redZone};
        redBand(cr, g, s, 0, meter_scale::rmsMaxDb);
        setColour(cr, ink);
        arc(cr, g, meter_scale::rmsAngle(valueFromDb(meter_scale::rmsMinDb)), meter_scale::rmsAngle(1.0),
            s.arcRadius, 1.2);
        setColour(cr, colour::redZone);
        arc(cr, g, meter_scale::rmsAngle(1.0), meter_scale::rmsAngle(valueFromDb(meter_scale::rmsMaxDb)),
            s.arcRadius, 1.2);
        dbTicks(cr, g, s, -40, -20, 2, s.minorLength, 1.0);
        dbTicks(cr, g, s, -20, -1, 1, s.minorLength, 1.0);
        setColour(cr, colour::redZone);
        for (int db = 1; db <= 5; ++db)
            radialLine(cr, g, s.law(valueFromDb(db)), s.arcRadius, s.arcRadius + s.minorLength, 1.0);
        const int marks[] = {-40, -30, -20, -15, -10, -6, -3, 0, 3, 6};
        dbNumbers(cr, g, s, marks, 10, 0.0);
        text(cr, "RMS", w / 2 + 0.5, 92, 18, ink, Align::Centre, Weight::Bold);
    } else {
        const DbScale s{meter_scale::ppmAngle, 106, 5, 9, 125, 11, ink, colour::redZone};
        const double redFrom = 8.0;
        redBand(cr, g, s, redFrom, meter_scale::ppmMaxDb);
        setColour(cr, ink);
        arc(cr, g, meter_scale::ppmAngle(valueFromDb(meter_scale::ppmMinDb)),
            meter_scale::ppmAngle(valueFromDb(redFrom)), s.arcRadius, 1.2);
        setColour(cr, colour::redZone);
        arc(cr, g, meter_scale::ppmAngle(valueFromDb(redFrom)),
            meter_scale::ppmAngle(valueFromDb(meter_scale::ppmMaxDb)), s.arcRadius, 1.2);
        dbTicks(cr, g, s, meter_scale::ppmMinDb, redFrom, 1, s.minorLength, 1.0);
        setColour(cr, colour::redZone);
        for (double db = redFrom + 1; db <= meter_scale::ppmMaxDb; db += 1)
            radialLine(cr, g, s.law(valueFromDb(db)), s.arcRadius, s.arcRadius + s.minorLength, 1.0);
        const int marks[] = {-16, -12, -8, -4, 0, 4, 8, 12};
        dbNumbers(cr, g, s, marks, 8, redFrom - 0.5);
        text(cr, "PPM", w / 2 + 0.5, 92, 18, ink, Align::Centre, Weight::Bold);
    }
    text(cr, "dB", w / 2 + 0.5, 106, 9, ink, Align::Centre, Weight::Bold, 0.75);
    text(cr, "OVER", g.ledLeft - 4, g.ledBottom - 6, 7, ink, Align::Right, Weight::Bold, 0.8);
    // The LED sits in a dark socket.
    cairo_new_path(cr);
    cairo_arc(cr, (g.ledLeft + g.ledRight) / 2.0, (g.ledTop + g.ledBottom) / 2.0, 11.5, 0, 2 * meter_scale::pi);
    setColour(cr, rgb(0, 0, 0));
    cairo_fill(cr);
}

void meterBezel(cairo_t* cr, double x, double y, double w, double h) {
    const double b = meter_scale::bezelWidth;
    roundedRect(cr, x - b, y - b, w + 2 * b, h + 2 * b, b + 2);
    setColour(cr, rgb(8, 8, 8));
    cairo_fill(cr);
    roundedRect(cr, x - b + 0.5, y - b + 0.5, w + 2 * b - 1, h + 2 * b - 1, b + 1.5);
    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(255, 255, 255), 0.12);
    cairo_stroke(cr);
}

void overLed(cairo_t* cr, int state) {
    const double c = meter_scale::ledFrameSize / 2.0;
    if (state == 0) lamp(cr, c, c, 7.0, colour::redZone, 0.0);
    if (state == 1) lamp(cr, c, c, 7.0, rgb(255, 120, 40), 0.45);  // latched: dimmer, orange
    if (state == 2) lamp(cr, c, c, 7.0, rgb(255, 40, 20), 1.0);
}

}  // namespace art
