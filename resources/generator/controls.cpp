// Buttons, switches, knobs and captions. Frames are stacked top to bottom; each helper
// draws one frame with the origin at that frame's top-left corner.
#include <cmath>
#include <string>

#include "artwork.h"
#include "canvas.h"
#include "model/meter_scale.h"
#include "model/settings_layout.h"

namespace art {
namespace {

const Rgb keyGrey = rgb(78, 75, 72);
const Rgb offText = rgb(170, 164, 158);

// A key with a legend; `lit` turns the legend amber and sinks the key.
void legendKey(cairo_t* cr, double w, double h, const std::string& label, bool lit, double size = 8) {
    keyCap(cr, 1, 1, w - 2, h - 2.5, 2.5, lit ? rgb(60, 56, 50) : keyGrey, lit);
    if (lit) {
        cairo_pattern_t* glow = cairo_pattern_create_radial(w / 2, h / 2, 1, w / 2, h / 2, w / 2);
        cairo_pattern_add_color_stop_rgba(glow, 0, 1.0, 0.7, 0.2, 0.35);
        cairo_pattern_add_color_stop_rgba(glow, 1, 1.0, 0.7, 0.2, 0.0);
        cairo_set_source(cr, glow);
        roundedRect(cr, 1, 1, w - 2, h - 2.5, 2.5);
        cairo_fill(cr);
        cairo_pattern_destroy(glow);
    }
    centredText(cr, label, w / 2, h / 2 - 0.5, size, lit ? colour::amber : offText);
}

// Positions side by side, the chosen one lit.
void positionSwitch(cairo_t* cr, double w, double h, const char* const* labels, int count, int chosen) {
    recess(cr, 0.5, 0.5, w - 1, h - 1, 2.5, rgb(14, 14, 13));
    const double cell = (w - 2) / count;
    for (int i = 0; i < count; ++i) {
        if (i == chosen) keyCap(cr, 1 + i * cell + 0.5, 1.5, cell - 1, h - 3, 2, rgb(70, 64, 56), true);
        centredText(cr, labels[i], 1 + i * cell + cell / 2, h / 2, 8, i == chosen ? colour::amber : colour::dimEngraving);
    }
}

void triangle(cairo_t* cr, double cx, double cy, double size, bool up, Rgb c) {
    const double d = up ? -1 : 1;
    cairo_move_to(cr, cx - size, cy - d * size * 0.55);
    cairo_line_to(cr, cx + size, cy - d * size * 0.55);
    cairo_line_to(cr, cx, cy + d * size * 0.6);
    cairo_close_path(cr);
    setColour(cr, c);
    cairo_fill(cr);
}

void arrow(cairo_t* cr, double cx, double cy, double size, bool left, Rgb c) {
    const double d = left ? -1 : 1;
    cairo_move_to(cr, cx - d * size * 0.5, cy - size);
    cairo_line_to(cr, cx - d * size * 0.5, cy + size);
    cairo_line_to(cr, cx + d * size * 0.6, cy);
    cairo_close_path(cr);
    setColour(cr, c);
    cairo_fill(cr);
}

void faderCap(cairo_t* cr, double w, double h, bool vertical) {
    keyCap(cr, 0.5, 0.5, w - 1, h - 1, 2, rgb(150, 146, 140));
    setColour(cr, rgb(20, 20, 20));
    cairo_set_line_width(cr, 1.5);
    if (vertical) {
        cairo_move_to(cr, 3, std::floor(h / 2) + 0.25);
        cairo_line_to(cr, w - 3, std::floor(h / 2) + 0.25);
    } else {
        cairo_move_to(cr, std::floor(w / 2) + 0.25, 3);
        cairo_line_to(cr, std::floor(w / 2) + 0.25, h - 4);
    }
    cairo_stroke(cr);
    setColour(cr, rgb(255, 255, 255), 0.25);
    cairo_set_line_width(cr, 1.0);
    for (int i = -1; i <= 1; i += 2) {  // grip ridges either side of the index line
        if (vertical) {
            cairo_move_to(cr, 5, h / 2 + i * 4 + 0.5);
            cairo_line_to(cr, w - 5, h / 2 + i * 4 + 0.5);
        } else {
            cairo_move_to(cr, w / 2 + i * 4 + 0.5, 5);
            cairo_line_to(cr, w / 2 + i * 4 + 0.5, h - 6);
        }
    }
    cairo_stroke(cr);
}

// Fills the current path (a knob's outline around the centre c, radius r) lit from above, and
// puts a flat cap of `capRatio` x r on it.
void fillKnobBody(cairo_t* cr, double c, double r, Rgb top, Rgb bottom, Rgb cap, double capRatio) {
    cairo_pattern_t* body = cairo_pattern_create_linear(0, c - r, 0, c + r);
    cairo_pattern_add_color_stop_rgb(body, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(body, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    cairo_arc(cr, c, c, r * capRatio, 0, 2 * meter_scale::pi);
    setColour(cr, cap);
    cairo_fill(cr);
}

// A pointer line at angle `a` from radius `from` to `to` around the centre (c, c).
void knobPointer(cairo_t* cr, double c, double a, double from, double to, Rgb colour, double width) {
    setColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, c + from * std::cos(a), c - from * std::sin(a));
    cairo_line_to(cr, c + to * std::cos(a), c - to * std::sin(a));
    cairo_stroke(cr);
}

// Angle of the pointer at `position` 0 ... 1 of a rotary strip's sweep.
double sweepAngle(double position) {
    return meter_scale::radians(settings_layout::sweepDegrees(position));
}

// Rotary knob; `position` 0 ... 1 sweeps the pointer over the settings panels' sweep.
void knob(cairo_t* cr, double size, double position) {
    const double c = size / 2, r = size * 0.34;
    setColour(cr, colour::dimEngraving);
    for (int i = 0; i <= 10; ++i) {  // scale dots
        const double a = sweepAngle(i / 10.0);
        cairo_arc(cr, c + (r + 4.5) * std::cos(a), c - (r + 4.5) * std::sin(a), i % 5 == 0 ? 1.1 : 0.7, 0,
                  2 * meter_scale::pi);
        cairo_fill(cr);
    }
    cairo_arc(cr, c, c + 1, r + 1, 0, 2 * meter_scale::pi);
    setColour(cr, rgb(0, 0, 0), 0.6);
    cairo_fill(cr);
    cairo_arc(cr, c, c, r, 0, 2 * meter_scale::pi);
    fillKnobBody(cr, c, r, rgb(82, 79, 77), rgb(26, 26, 26), rgb(40, 39, 38), 0.72);
    knobPointer(cr, c, sweepAngle(position), r * 0.25, r * 0.92, rgb(240, 232, 210), 2.0);
}

// Step knob: a small fluted body with a coloured pointer; the panel prints the positions
// around it, so the strip itself carries no scale.
void stepKnob(cairo_t* cr, double size, double position, Rgb pointer) {
    const double c = size / 2, r = 11;
    cairo_arc(cr, c, c + 1, r + 0.8, 0, 2 * meter_scale::pi);
    setColour(cr, rgb(0, 0, 0), 0.65);
    cairo_fill(cr);
    const double a = sweepAngle(position);
    // Flutes turn with the knob, so every frame differs even away from the pointer.
    cairo_save(cr);
    cairo_translate(cr, c, c);
    cairo_rotate(cr, -a);
    for (int i = 0; i < 16; ++i) {
        const double f = i * 2 * meter_scale::pi / 16;
        cairo_line_to(cr, r * std::cos(f), r * std::sin(f));
        const double notch = f + meter_scale::pi / 16;
        cairo_line_to(cr, (r - 1.2) * std::cos(notch), (r - 1.2) * std::sin(notch));
    }
    cairo_close_path(cr);
    cairo_restore(cr);
    fillKnobBody(cr, c, r, rgb(92, 89, 84), rgb(23, 23, 23), rgb(36, 35, 34), 0.62);
    knobPointer(cr, c, a, r * 0.15, r - 1.5, pointer, 2.2);
}

void scopeKeys(cairo_t* cr, int scope) {
    const char* letters[] = {"G", "S", "I"};
    const char* names[] = {"GLOBAL", "SESSION", "INSTANCE"};
    for (int i = 0; i < 3; ++i) {  // click zones are 12 px wide starting at x 2
        const double x = 2 + 12 * i;
        keyCap(cr, x, 0.5, 11, 10, 1.5, i == scope ? rgb(70, 64, 56) : keyGrey, i == scope);
        centredText(cr, letters[i], x + 5.5, 5.2, 7, i == scope ? colour::amber : offText);
    }
    text(cr, names[scope], 41, 8.5, 7.5, colour::amber, Align::Left);
}

void tapeRoll(cairo_t* cr) {
    // Tail of tape leaving the roll towards the label.
    cairo_move_to(cr, 30, 27);
    cairo_line_to(cr, 47, 27);
    cairo_line_to(cr, 47, 33);
    cairo_line_to(cr, 26, 33);
    cairo_close_path(cr);
    setColour(cr, colour::tape);
    cairo_fill(cr);
    cairo_arc(cr, 18, 16.5, 15.5, 0, 2 * meter_scale::pi);
    setColour(cr, rgb(0, 0, 0), 0.4);
    cairo_fill(cr);
    cairo_arc(cr, 17.5, 16, 15, 0, 2 * meter_scale::pi);
    cairo_arc_negative(cr, 17.5, 16, 8, 2 * meter_scale::pi, 0);
    cairo_pattern_t* side = cairo_pattern_create_radial(17.5, 16, 8, 17.5, 16, 15);
    cairo_pattern_add_color_stop_rgb(side, 0, 0.80, 0.76, 0.64);
    cairo_pattern_add_color_stop_rgb(side, 1, 0.93, 0.90, 0.80);
    cairo_set_source(cr, side);
    cairo_fill(cr);
    cairo_pattern_destroy(side);
    setColour(cr, rgb(110, 100, 80), 0.6);
    cairo_set_line_width(cr, 0.6);
    for (double r : {10.0, 12.0, 14.0}) {
        cairo_arc(cr, 17.5, 16, r, 0, 2 * meter_scale::pi);
        cairo_stroke(cr);
    }
}

void latencyFrame(cairo_t* cr, int frame) {
    if (frame == 0) {  // body with the step arrows above and below the digits
        recess(cr, 0.5, 0.5, 25, 39, 3, rgb(18, 18, 17));
        triangle(cr, 13, 7, 4, true, offText);
        triangle(cr, 13, 33, 4, false, offText);
    } else if (frame == 1) {  // glass over the digit window
        cairo_pattern_t* glass = cairo_pattern_create_linear(0, 14, 0, 26);
        cairo_pattern_add_color_stop_rgba(glass, 0, 1, 1, 1, 0.18);
        cairo_pattern_add_color_stop_rgba(glass, 0.5, 1, 1, 1, 0.04);
        cairo_pattern_add_color_stop_rgba(glass, 1, 1, 1, 1, 0.0);
        cairo_set_source(cr, glass);
        cairo_rectangle(cr, 2, 14, 22, 12);
        cairo_fill(cr);
    } else {  // hairlines separating the step zones from the digits
        setColour(cr, rgb(255, 255, 255), 0.12);
        cairo_set_line_width(cr, 1.0);
        for (double y : {13.5, 26.5}) {
            cairo_move_to(cr, 3, y);
            cairo_line_to(cr, 23, y);
        }
        cairo_stroke(cr);
    }
}

void slopeIcon(cairo_t* cr, double w, double h, bool steep) {
    legendKey(cr, w, h, "", steep);
    setColour(cr, steep ? colour::amber : offText);
    cairo_set_line_width(cr, 1.4);
    cairo_move_to(cr, 5, h - 6);
    if (steep) cairo_curve_to(cr, 11, h - 6, 13, 6, 24, 6);
    else cairo_curve_to(cr, 9, h - 8, 15, 8, 24, 7);
    cairo_stroke(cr);
    centredText(cr, steep ? "x2" : "x1", steep ? 9 : 20, steep ? 8 : h - 7, 6, steep ? colour::amber : offText);
}

void caption(cairo_t* cr, double w, double h, const char* s) {
    centredText(cr, s, w / 2, h / 2, 8, colour::engraving);
}

void channelCaption(cairo_t* cr, double w, double h, const char* s, bool ms) {
    recess(cr, 0.5, 1.5, w - 1, h - 3, 3, rgb(22, 21, 20));
    centredText(cr, s, w / 2, h / 2, 10, ms ? colour::amber : colour::engraving);
}

void lampKey(cairo_t* cr, double w, double h, int frame, const char* label) {
    keyCap(cr, 0.5, 0.5, w - 1, h - 1.5, 3, keyGrey, frame == 2);
    const double glow = frame == 0 ? 0.0 : frame == 1 ? 0.3 : 1.0;
    lamp(cr, w / 2, 9, 4, colour::green, glow);
    centredText(cr, label, w / 2, h - 8, 7, frame == 2 ? colour::amber : offText);
}

bool drawFrame(cairo_t* cr, const resources::ImageInfo& info, int f) {
    const double w = info.width, h = static_cast<double>(info.height) / info.frames;
    const bool on = f == 1;
    static const char* const msLabels[] = {"0", "-3", "-6"};
    switch (info.id) {
        case 10001: faderCap(cr, w, h, true); break;
        case 10024: faderCap(cr, w, h, false); break;
        case 10002: legendKey(cr, w, h, "PROCESS", on, 7.5); break;
        case 989: legendKey(cr, w, h, "?", f == 1, f == 2 ? 11 : 10); break;
        case 10005: case 41005: case 42005: legendKey(cr, w, h, on ? "M/S" : "L/R", on, 9); break;
        case 40011: case 41011: case 42011: channelCaption(cr, w, h, on ? "MID" : "LEFT", on); break;
        case 40012: case 41012: case 42012: channelCaption(cr, w, h, on ? "SIDE" : "RIGHT", on); break;
        case 10006: case 41006: case 42006:
            legendKey(cr, w, h, f == 0 ? "NO HOLD" : f == 1 ? "HOLD \u221e" : "HOLD", f != 0, 7.5);
            break;
        case 10010: case 10014: scopeKeys(cr, f); break;
        case 10013:
            engraved(cr, "REFERENCE", 40, 10.5, 8);
            recess(cr, 81, 1, 117, 12, 2, rgb(16, 18, 16));
            break;
        case 10015:  // only the arrow keys are opaque; the meter name shows through the middle
            for (int side = 0; side < 2; ++side) {
                const double x = side == 0 ? 0.5 : w - 20.5;
                const bool lit = f == side + 1;
                keyCap(cr, x, 1, 20, h - 2.5, 3, lit ? rgb(70, 64, 56) : keyGrey, lit);
                arrow(cr, x + 10, h / 2 - 0.5, 5, side == 0, lit ? colour::amber : offText);
            }
            break;
        case 10025: keyCap(cr, 0.5, 0.5, w - 1, h - 1, 1.5, keyGrey); triangle(cr, w / 2, h / 2, 3, on, offText); break;
        case 10020: lampKey(cr, w, h, f, "IN"); break;
        case 10103: lamp(cr, w / 2, h / 2, 3.5, colour::green, f == 0 ? 0.0 : f == 1 ? 0.3 : 1.0); break;
        case 10021: legendKey(cr, w, h, on ? "IN" : "OUT", on, 7.5); break;
        case 31001: slopeIcon(cr, w, h, on); break;
        case 10102: caption(cr, w, h, "FILTERS"); break;
        case 10100: caption(cr, w, h, "LABEL"); break;
        case 34001: latencyFrame(cr, f); break;
        case 10008: tapeRoll(cr); break;
        case 10003: knob(cr, w, f / static_cast<double>(info.frames - 1)); break;
        case settings_layout::kOverStepStrip:
            stepKnob(cr, w, f / static_cast<double>(info.frames - 1), colour::redZone);
            break;
        case settings_layout::kBacklightStepStrip:
            stepKnob(cr, w, f / static_cast<double>(info.frames - 1), colour::amber);
            break;
        case 10016: {
            static const char* const texts[] = {"GLOBAL: shared by all instances, kept for this user",
                                                "SESSION: shared by all instances while loaded",
                                                "INSTANCE: kept with this instance in the project"};
            text(cr, texts[f], 4, h - 4.5, 8.5, colour::engraving, Align::Left);
            break;
        }
        case 40001: legendKey(cr, w, h, on ? "TYPE B" : "TYPE A", on, 7.5); break;
        case 40003: case 41007: case 42007: legendKey(cr, w, h, "PRECISE", on, 7); break;
        case 41003: legendKey(cr, w, h, on ? "dBFS" : "REF", on, 8); break;
        case 40002: case 41008: case 42003: positionSwitch(cr, w, h, msLabels, 3, f); break;
        default: return false;
    }
    return true;
}

}  // namespace

bool drawControl(cairo_t* cr, const resources::ImageInfo& info) {
    const double frameHeight = static_cast<double>(info.height) / info.frames;
    for (int f = 0; f < info.frames; ++f) {
        cairo_save(cr);
        cairo_translate(cr, 0, f * frameHeight);
        cairo_rectangle(cr, 0, 0, info.width, frameHeight);
        cairo_clip(cr);
        const bool known = drawFrame(cr, info, f);
        cairo_restore(cr);
        if (!known) return false;
    }
    return true;
}

}  // namespace art
