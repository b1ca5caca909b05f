#include "canvas.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <numbers>

namespace art {

constexpr double kPi = std::numbers::pi;
namespace {

FT_Library library = nullptr;
FT_Face ftFaces[2] = {nullptr, nullptr};
cairo_font_face_t* faces[2] = {nullptr, nullptr};

void useFace(cairo_t* cr, Weight weight, double size) {
    cairo_set_font_face(cr, faces[weight == Weight::Bold ? 1 : 0]);
    cairo_set_font_size(cr, size);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_set_font_options(cr, options);
    cairo_font_options_destroy(options);
}

}  // namespace

Rgb mix(Rgb a, Rgb b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

void setColour(cairo_t* cr, Rgb c, double alpha) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

bool loadFaces(const std::string& regularPath, const std::string& boldPath) {
    if (FT_Init_FreeType(&library) != 0) return false;
    const std::string* paths[2] = {&regularPath, &boldPath};
    for (int i = 0; i < 2; ++i) {
        if (FT_New_Face(library, paths[i]->c_str(), 0, &ftFaces[i]) != 0) return false;
        faces[i] = cairo_ft_font_face_create_for_ft_face(ftFaces[i], 0);
    }
    return true;
}

void releaseFaces() {
    for (int i = 0; i < 2; ++i) {
        if (faces[i]) cairo_font_face_destroy(faces[i]);
        faces[i] = nullptr;
    }
    // Cairo may still hold the faces in its caches; drop those before FreeType goes.
    cairo_debug_reset_static_data();
    for (FT_Face& face : ftFaces) {
        if (face) FT_Done_Face(face);
        face = nullptr;
    }
    if (library) FT_Done_FreeType(library);
    library = nullptr;
}

void text(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb c, Align align,
          Weight weight, double alpha) {
    cairo_save(cr);
    useFace(cr, weight, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s.c_str(), &ext);
    double left = x;
    if (align == Align::Centre) left = x - ext.x_advance / 2.0;
    if (align == Align::Right) left = x - ext.x_advance;
    setColour(cr, c, alpha);
    cairo_move_to(cr, left, y);
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
}

void centredText(cairo_t* cr, const std::string& s, double x, double y, double size, Rgb c,
                 Weight weight, double alpha) {
    cairo_save(cr);
    useFace(cr, weight, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s.c_str(), &ext);
    setColour(cr, c, alpha);
    cairo_move_to(cr, x - ext.x_bearing - ext.width / 2.0, y - ext.y_bearing - ext.height / 2.0);
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
}

double textWidth(cairo_t* cr, const std::string& s, double size, Weight weight) {
    cairo_save(cr);
    useFace(cr, weight, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, s.c_str(), &ext);
    cairo_restore(cr);
    return ext.x_advance;
}

void engraved(cairo_t* cr, const std::string& s, double x, double y, double size, Align align, Rgb c) {
    text(cr, s, x, y - 0.8, size, rgb(0, 0, 0), align, Weight::Bold, 0.55);
    text(cr, s, x, y, size, c, align, Weight::Bold);
}

std::string signedNumber(int n) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, n > 0 ? "+%d" : "%d", n);
    return buffer;
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius) {
    const double r = std::fmin(radius, std::fmin(w, h) / 2.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void brushedPlate(cairo_t* cr, double x, double y, double w, double h, Rgb base, unsigned seed) {
    cairo_save(cr);
    cairo_rectangle(cr, x, y, w, h);
    cairo_clip(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, y, 0, y + h);
    const Rgb top = mix(base, rgb(255, 255, 255), 0.08);
    const Rgb bottom = mix(base, rgb(0, 0, 0), 0.18);
    cairo_pattern_add_color_stop_rgb(shade, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, shade);
    cairo_paint(cr);
    cairo_pattern_destroy(shade);
    // Horizontal grain: a slowly wandering brightness per row, fixed by the seed, so the
    // plate reads as brushed metal rather than as scan lines.
    unsigned state = seed * 2654435761u + 1u;
    double level = 0.0;
    cairo_set_line_width(cr, 1.0);
    for (double row = y + 0.5; row < y + h; row += 1.0) {
        state = state * 1664525u + 1013904223u;
        const double step = ((state >> 8) & 0xffff) / 65535.0 - 0.5;
        level = 0.6 * level + step;  // -1.25 ... 1.25
        setColour(cr, level > 0 ? rgb(255, 255, 255) : rgb(0, 0, 0), 0.018 * std::fabs(level));
        cairo_move_to(cr, x, row);
        cairo_line_to(cr, x + w, row);
        cairo_stroke(cr);
    }
    cairo_restore(cr);
}

void recess(cairo_t* cr, double x, double y, double w, double h, double radius, Rgb fill) {
    cairo_save(cr);
    roundedRect(cr, x - 0.5, y - 0.5, w + 1, h + 1, radius + 0.5);
    setColour(cr, rgb(0, 0, 0), 0.55);
    cairo_fill(cr);
    roundedRect(cr, x + 0.5, y + 0.5, w, h, radius);
    setColour(cr, rgb(255, 255, 255), 0.10);
    cairo_fill(cr);
    roundedRect(cr, x, y, w, h, radius);
    setColour(cr, fill);
    cairo_fill(cr);
    cairo_restore(cr);
}

void keyCap(cairo_t* cr, double x, double y, double w, double h, double radius, Rgb base, bool pressed) {
    cairo_save(cr);
    roundedRect(cr, x, y + 0.5, w, h, radius);
    setColour(cr, rgb(0, 0, 0), 0.6);
    cairo_fill(cr);
    cairo_pattern_t* shade = cairo_pattern_create_linear(0, y, 0, y + h);
    const Rgb top = mix(base, rgb(255, 255, 255), pressed ? 0.02 : 0.22);
    const Rgb bottom = mix(base, rgb(0, 0, 0), pressed ? 0.05 : 0.25);
    cairo_pattern_add_color_stop_rgb(shade, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(shade, 1, bottom.r, bottom.g, bottom.b);
    roundedRect(cr, x + 0.5, y, w - 1, h - 1, radius);
    cairo_set_source(cr, shade);
    cairo_fill(cr);
    cairo_pattern_destroy(shade);
    cairo_restore(cr);
}

void lamp(cairo_t* cr, double x, double y, double r, Rgb lit, double glow) {
    cairo_save(cr);
    if (glow > 0.0) {  // halo around a lit lamp
        cairo_pattern_t* halo = cairo_pattern_create_radial(x, y, r * 0.6, x, y, r * 1.9);
        cairo_pattern_add_color_stop_rgba(halo, 0, lit.r, lit.g, lit.b, 0.55 * glow);
        cairo_pattern_add_color_stop_rgba(halo, 1, lit.r, lit.g, lit.b, 0.0);
        cairo_set_source(cr, halo);
        cairo_arc(cr, x, y, r * 1.9, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(halo);
    }
    cairo_arc(cr, x, y, r + 1.0, 0, 2 * kPi);  // bezel
    setColour(cr, rgb(12, 11, 10));
    cairo_fill(cr);
    const Rgb dark = mix(lit, rgb(0, 0, 0), 0.78);
    const Rgb body = mix(dark, lit, glow);
    const Rgb centre = mix(body, rgb(255, 255, 240), 0.55 * glow);
    cairo_pattern_t* glass = cairo_pattern_create_radial(x - r * 0.3, y - r * 0.3, 0, x, y, r);
    cairo_pattern_add_color_stop_rgb(glass, 0, centre.r, centre.g, centre.b);
    cairo_pattern_add_color_stop_rgb(glass, 1, body.r * 0.8, body.g * 0.8, body.b * 0.8);
    cairo_set_source(cr, glass);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(glass);
    // Specular spot keeps even a dark lamp reading as glass.
    cairo_arc(cr, x - r * 0.35, y - r * 0.4, r * 0.28, 0, 2 * kPi);
    setColour(cr, rgb(255, 255, 255), 0.35);
    cairo_fill(cr);
    cairo_restore(cr);
}

void screw(cairo_t* cr, double x, double y, double r, double slotAngle) {
    cairo_save(cr);
    cairo_pattern_t* head = cairo_pattern_create_radial(x - r * 0.4, y - r * 0.4, 0, x, y, r);
    cairo_pattern_add_color_stop_rgb(head, 0, 0.75, 0.74, 0.72);
    cairo_pattern_add_color_stop_rgb(head, 1, 0.30, 0.29, 0.28);
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_set_source(cr, head);
    cairo_fill(cr);
    cairo_pattern_destroy(head);
    cairo_set_line_width(cr, 1.0);
    setColour(cr, rgb(20, 20, 20), 0.9);
    cairo_move_to(cr, x - r * 0.8 * std::cos(slotAngle), y - r * 0.8 * std::sin(slotAngle));
    cairo_line_to(cr, x + r * 0.8 * std::cos(slotAngle), y + r * 0.8 * std::sin(slotAngle));
    cairo_stroke(cr);
    cairo_restore(cr);
}

}  // namespace art
