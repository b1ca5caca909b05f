// The desktop icon of the standalone meter: a VU movement on its own, as the menu shows it
// (cream face in a dark bezel, the scale black up to 0 VU and red beyond, the needle near 0).
#include <cairo.h>

#include <cmath>
#include <numbers>

#include "canvas.h"
#include "icon.h"

namespace art {

void drawAppIcon(cairo_t* cr, int size) {
    const double s = size / 256.0, pi = std::numbers::pi;
    cairo_scale(cr, s, s);
    // Bezel and face.
    roundedRect(cr, 8, 24, 240, 208, 28);
    cairo_set_source_rgb(cr, 0.16, 0.15, 0.14);
    cairo_fill(cr);
    roundedRect(cr, 22, 38, 212, 180, 18);
    cairo_pattern_t* face = cairo_pattern_create_linear(0, 38, 0, 218);
    cairo_pattern_add_color_stop_rgb(face, 0, 0.99, 0.95, 0.80);
    cairo_pattern_add_color_stop_rgb(face, 1, 0.93, 0.86, 0.66);
    cairo_set_source(cr, face);
    cairo_fill(cr);
    cairo_pattern_destroy(face);
    // The scale: an arc round the pivot, black to 0 VU (at 70 degrees), red beyond.
    const double pivotX = 128, pivotY = 230, radius = 140;
    const double left = pi * 130 / 180, zero = pi * 70 / 180, right = pi * 50 / 180;
    cairo_set_line_width(cr, 7);
    cairo_set_source_rgb(cr, 0.1, 0.09, 0.08);
    cairo_arc(cr, pivotX, pivotY, radius, -left, -zero);
    cairo_stroke(cr);
    cairo_set_line_width(cr, 14);
    cairo_set_source_rgb(cr, 0.78, 0.10, 0.08);
    cairo_arc(cr, pivotX, pivotY, radius + 4, -zero, -right);
    cairo_stroke(cr);
    for (int mark = 0; mark <= 6; ++mark) {  // ticks along the arc
        const double theta = left - (left - right) * mark / 6.0;
        cairo_set_source_rgb(cr, theta < zero + 1e-6 ? 0.78 : 0.1, theta < zero + 1e-6 ? 0.10 : 0.09, 0.08);
        cairo_set_line_width(cr, 6);
        cairo_move_to(cr, pivotX + (radius + 2) * std::cos(theta), pivotY - (radius + 2) * std::sin(theta));
        cairo_line_to(cr, pivotX + (radius + 22) * std::cos(theta), pivotY - (radius + 22) * std::sin(theta));
        cairo_stroke(cr);
    }
    // The needle, a little below 0 VU, over the face up to its bottom edge.
    cairo_save(cr);
    roundedRect(cr, 22, 38, 212, 180, 18);
    cairo_clip(cr);
    const double needle = pi * 74 / 180;
    cairo_set_source_rgb(cr, 0.08, 0.07, 0.05);
    cairo_set_line_width(cr, 6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_move_to(cr, pivotX, pivotY);
    cairo_line_to(cr, pivotX + (radius + 16) * std::cos(needle), pivotY - (radius + 16) * std::sin(needle));
    cairo_stroke(cr);
    cairo_restore(cr);
    // "VU" under the scale, clear of the needle.
    cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(cr, 52);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, "VU", &extents);
    cairo_set_source_rgb(cr, 0.1, 0.09, 0.08);
    cairo_move_to(cr, 76 - extents.width / 2 - extents.x_bearing, 200);
    cairo_show_text(cr, "VU");
}

bool writeAppIcon(const std::string& path, int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    drawAppIcon(cr, size);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

}  // namespace art
