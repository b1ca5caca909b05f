// Panel and strip backgrounds. Control positions come from the views' layout (the settings
// panels' from model/settings_layout.h); the printed legends sit beside them.
#include <cmath>
#include <string>

#include "artwork.h"
#include "canvas.h"
#include "model/editor_size.h"
#include "model/meter_scale.h"
#include "model/settings_layout.h"

namespace art {
namespace {

const char* meterName(Meter m) { return m == Meter::Vu ? "VU3" : m == Meter::Rms ? "RMS3" : "RAD3"; }

// Each meter's strips carry its own accent so the three sets can be told apart.
Rgb accent(Meter m) {
    return m == Meter::Vu ? rgb(214, 170, 80) : m == Meter::Rms ? rgb(120, 190, 120) : rgb(120, 165, 220);
}

unsigned seedOf(Meter m, unsigned salt) { return static_cast<unsigned>(m) * 97u + salt; }

void edgeLines(cairo_t* cr, double w, double h) {
    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(255, 255, 255), 0.10);
    cairo_move_to(cr, 0, 0.5);
    cairo_line_to(cr, w, 0.5);
    cairo_stroke(cr);
    setColour(cr, rgb(0, 0, 0), 0.6);
    cairo_move_to(cr, 0, h - 0.5);
    cairo_line_to(cr, w, h - 0.5);
    cairo_stroke(cr);
}

void accentMark(cairo_t* cr, Meter m, double x, double y, double h) {
    setColour(cr, accent(m), 0.9);
    cairo_rectangle(cr, x, y, 3, h);
    cairo_fill(cr);
}

// Horizontal slider groove with logarithmic frequency marks under it.
void frequencyTrack(cairo_t* cr, double left, double top, double lowHz, const double* marks, const char* const* names,
                    int count) {
    const double handle = 19, width = 162;
    const double x0 = left + handle / 2, x1 = left + width - handle / 2, y = top + 16;
    recess(cr, x0 - 2, y - 2, x1 - x0 + 4, 4, 2, rgb(10, 10, 10));
    for (int i = 0; i < count; ++i) {
        const double v = std::log(marks[i] / lowHz) / std::log(100.0);
        const double x = x0 + v * (x1 - x0);
        setColour(cr, colour::dimEngraving);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, std::round(x) + 0.5, y + 5);
        cairo_line_to(cr, std::round(x) + 0.5, y + 9);
        cairo_stroke(cr);
        text(cr, names[i], x, top + 40, 7, colour::dimEngraving, Align::Centre, Weight::Regular);
    }
}


// ---- Settings panels: everything printed comes from the panels' layout.

Align toAlign(settings_layout::Align a) {
    return a == settings_layout::Align::Left ? Align::Left : a == settings_layout::Align::Right ? Align::Right
                                                                                                : Align::Centre;
}

// Where on a rotary control's sweep a fraction 0 ... 1 points, on a circle of `radius`.
meter_scale::Point onSweep(const settings_layout::Rect& r, double fraction, double radius) {
    const double a = meter_scale::radians(settings_layout::sweepDegrees(fraction));
    return {r.centreX() + radius * std::cos(a), r.centreY() - radius * std::sin(a)};
}

// A rule over the group with its title let into it near the left, and short ticks down at
// both ends.
void groupRule(cairo_t* cr, const settings_layout::Group& g) {
    const double y = g.y + 0.5, titleX = g.left + 10;
    const double gapLeft = titleX - 4, gapRight = titleX + textWidth(cr, g.title, 7, Weight::Bold) + 4;
    cairo_set_line_width(cr, 1.0);
    for (int pass = 0; pass < 2; ++pass) {  // a dark groove, then its lit lower edge
        setColour(cr, pass == 0 ? rgb(0, 0, 0) : colour::dimEngraving, pass == 0 ? 0.5 : 0.7);
        const double dy = pass == 0 ? -1.0 : 0.0;
        cairo_move_to(cr, g.left + 0.5, y + 4 + dy);
        cairo_line_to(cr, g.left + 0.5, y + dy);
        cairo_line_to(cr, gapLeft, y + dy);
        cairo_move_to(cr, gapRight, y + dy);
        cairo_line_to(cr, g.right - 0.5, y + dy);
        cairo_line_to(cr, g.right - 0.5, y + 4 + dy);
        cairo_stroke(cr);
    }
    engraved(cr, g.title, titleX, g.y + 3, 7, Align::Left, colour::dimEngraving);
}

void printLegend(cairo_t* cr, const settings_layout::Legend& l) {
    text(cr, l.text, l.x, l.y, l.size, l.dim ? colour::dimEngraving : colour::engraving, toAlign(l.align),
         l.dim ? Weight::Regular : Weight::Bold);
}

// Caption, value window, the ends of a knob's range or a step knob's positions.
void printControl(cairo_t* cr, const settings_layout::Control& c) {
    namespace layout = settings_layout;
    const layout::Rect r = layout::controlRect(c);
    const layout::Point caption = layout::captionAt(c);
    engraved(cr, c.caption, caption.x, caption.y, layout::kCaptionSize);
    if (c.text != layout::ValueText::None) {
        const layout::Rect v = c.valueWindow;
        recess(cr, v.left, v.top, v.width(), v.height(), 2, rgb(16, 18, 16));
    }
    const double radius = layout::legendRadius(c);
    if (c.lowEnd) {
        const auto at = onSweep(r, 0.0, radius);
        centredText(cr, c.lowEnd, at.x - 2, at.y, 6, colour::dimEngraving, Weight::Regular);
    }
    if (c.highEnd) {
        const auto at = onSweep(r, 1.0, radius);
        centredText(cr, c.highEnd, at.x + 2, at.y, 6, colour::dimEngraving, Weight::Regular);
    }
    // Each position's legend stands where the knob's pointer is drawn for it.
    const auto legends = layout::stepLegends(c.kind);
    const int frames = layout::frameCount(c.image);
    for (std::size_t i = 0; i < legends.size(); ++i) {
        const double fraction = layout::frameOfStep(c.kind, static_cast<int>(i), frames) / double(frames - 1);
        const auto inner = onSweep(r, fraction, 13.5), outer = onSweep(r, fraction, 16.5);
        setColour(cr, colour::dimEngraving);
        cairo_set_line_width(cr, 1.2);
        cairo_move_to(cr, inner.x, inner.y);
        cairo_line_to(cr, outer.x, outer.y);
        cairo_stroke(cr);
        const auto at = onSweep(r, fraction, radius);
        centredText(cr, legends[i], at.x, at.y, 6, colour::engraving, Weight::Regular);
    }
}
}  // namespace

void frontPanel(cairo_t* cr, Meter meter) {
    const double w = editor_size::kWidth, h = editor_size::kMeterAreaHeight;
    brushedPlate(cr, 0, 0, w, h, colour::plate, seedOf(meter, 1));
    recess(cr, 304, 1, 192, 13, 2, rgb(16, 18, 16));  // hint line window

    // Both movements.
    const auto& g = meter == Meter::Vu    ? meter_scale::vuGeometry
                    : meter == Meter::Rms ? meter_scale::rmsGeometry
                                          : meter_scale::ppmGeometry;
    for (int x : {meter_scale::leftMeterX, meter_scale::rightMeterX}) {
        meterBezel(cr, x, meter_scale::meterY, g.width, g.height);
        cairo_save(cr);
        cairo_translate(cr, x, meter_scale::meterY);
        cairo_rectangle(cr, 0, 0, g.width, g.height);
        cairo_clip(cr);
        if (meter == Meter::Vu)
            vuFace(cr, 2);
        else
            darkDial(cr, meter);
        cairo_restore(cr);
    }

    // Trim fader: groove, a mark every 5 dB, legends at the ends and centre.
    const double top = 17 + 8, bottom = 143 - 8, grooveX = 554;
    recess(cr, grooveX - 2, top - 3, 4, bottom - top + 6, 2, rgb(8, 8, 8));
    for (int db = -20; db <= 20; db += 5) {
        const double y = std::round(bottom - (db + 20) / 40.0 * (bottom - top)) + 0.5;
        setColour(cr, db == 0 ? colour::engraving : colour::dimEngraving);
        cairo_set_line_width(cr, 1.0);
        cairo_move_to(cr, 541, y);
        cairo_line_to(cr, db == 0 ? 549 : 546, y);
        cairo_move_to(cr, db == 0 ? 559 : 562, y);
        cairo_line_to(cr, 567, y);
        cairo_stroke(cr);
        if (db % 10 == 0)
            text(cr, signedNumber(db), 585, y + 2.5, 7,
                 colour::dimEngraving, Align::Right, Weight::Regular);
    }
    recess(cr, 530, 146, 48, 15, 2, rgb(16, 18, 16));     // trim value window

    // Meter name under the selector's transparent middle, brand at the right.
    engraved(cr, meterName(meter), 269.5, 161, 13);
    engraved(cr, "ZEB ALDERMARK", 484, 160, 8, Align::Centre, colour::dimEngraving);
    screw(cr, 5, 164, 3, 0.6);
    screw(cr, 581, 164, 3, 2.1);
}

void settingsPanel(cairo_t* cr, Meter meter) {
    namespace layout = settings_layout;
    const layout::Panel& panel = layout::panelFor(meter == Meter::Vu ? 0 : meter == Meter::Rms ? 1 : 2);
    const double w = layout::kWidth, h = layout::kHeight;
    brushedPlate(cr, 0, 0, w, h, mix(colour::plate, colour::plateDark, 0.5), seedOf(meter, 2));
    edgeLines(cr, w, h);
    engraved(cr, panel.title, 293, 11, 10);
    for (const layout::Group& g : panel.groups) groupRule(cr, g);
    for (const layout::Control& c : panel.controls) printControl(cr, c);
    for (const layout::Legend& l : layout::kCommonLegends) printLegend(cr, l);
    for (const layout::Legend& l : panel.legends) printLegend(cr, l);
    // Below the strips' line, seen only with the strips shown: what the scope means.
    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(0, 0, 0), 0.5);
    cairo_move_to(cr, 6, 170.5);
    cairo_line_to(cr, w - 6, 170.5);
    cairo_stroke(cr);
    setColour(cr, rgb(255, 255, 255), 0.08);
    cairo_move_to(cr, 6, 171.5);
    cairo_line_to(cr, w - 6, 171.5);
    cairo_stroke(cr);
    screw(cr, 5, 164, 3, 0.6);
    screw(cr, 581, 164, 3, 2.1);
    screw(cr, 5, 255, 3, 1.3);
    screw(cr, 581, 255, 3, 0.2);
}

void filtersStrip(cairo_t* cr, Meter meter) {
    const double w = editor_size::kWidth, h = editor_size::kFiltersStripHeight;
    brushedPlate(cr, 0, 0, w, h, mix(colour::plate, colour::plateDark, 0.35), seedOf(meter, 3));
    edgeLines(cr, w, h);
    accentMark(cr, meter, 4, 6, h - 12);
    engraved(cr, "HP", 34, 16, 8);
    engraved(cr, "LP", 299, 16, 8);
    const double hpMarks[] = {20, 50, 100, 200, 500, 1000, 2000};
    const char* const hpNames[] = {"20", "50", "100", "200", "500", "1k", "2k"};
    frequencyTrack(cr, 58, 10, 20, hpMarks, hpNames, 7);
    const double lpMarks[] = {300, 1000, 3000, 10000, 30000};
    const char* const lpNames[] = {"300", "1k", "3k", "10k", "30k"};
    frequencyTrack(cr, 323, 10, 300, lpMarks, lpNames, 5);
    engraved(cr, "SLOPE", 237.5, 42, 7, Align::Centre, colour::dimEngraving);
    engraved(cr, "SLOPE", 503.5, 42, 7, Align::Centre, colour::dimEngraving);
    engraved(cr, "FILTERS", 556.5, 45, 7, Align::Centre, colour::dimEngraving);
    text(cr, "Hz", 44, 48, 7, colour::dimEngraving, Align::Right, Weight::Regular);
    text(cr, "Hz", 309, 48, 7, colour::dimEngraving, Align::Right, Weight::Regular);
}

void labelStrip(cairo_t* cr, Meter meter) {
    const double w = editor_size::kWidth, h = editor_size::kLabelStripHeight;
    brushedPlate(cr, 0, 0, w, h, mix(colour::plate, colour::plateDark, 0.35), seedOf(meter, 4));
    edgeLines(cr, w, h);
    accentMark(cr, meter, 4, 6, h - 12);
    // A strip of paper tape stuck on the plate: the label is written on it.
    cairo_save(cr);
    cairo_translate(cr, 17, 3);
    roundedRect(cr, 1, 2, 506, 31, 2);
    setColour(cr, rgb(0, 0, 0), 0.45);
    cairo_fill(cr);
    cairo_pattern_t* paper = cairo_pattern_create_linear(0, 0, 0, 31);
    cairo_pattern_add_color_stop_rgb(paper, 0, 0.93, 0.91, 0.83);
    cairo_pattern_add_color_stop_rgb(paper, 1, 0.84, 0.81, 0.72);
    cairo_move_to(cr, 0, 0);
    for (int i = 0; i <= 6; ++i) cairo_line_to(cr, (i % 2) * 2.0, i * 31.0 / 6);  // torn ends
    cairo_line_to(cr, 506, 31);
    for (int i = 6; i >= 0; --i) cairo_line_to(cr, 506 - (i % 2) * 2.0, i * 31.0 / 6);
    cairo_close_path(cr);
    cairo_set_source(cr, paper);
    cairo_fill(cr);
    cairo_pattern_destroy(paper);
    cairo_restore(cr);
    engraved(cr, "LAG", 538, 36, 7, Align::Right, colour::dimEngraving);
}

void collapsedStrip(cairo_t* cr, Meter meter) {
    const double w = editor_size::kWidth, h = editor_size::kStripCollapsedHeight;
    brushedPlate(cr, 0, 0, w, h, mix(colour::plate, colour::plateDark, 0.35), seedOf(meter, 5));
    edgeLines(cr, w, h);
    accentMark(cr, meter, 4, 3, h - 6);
}

}  // namespace art
