#include "preview.h"

#include <cairo.h>

#include <cmath>

#include "canvas.h"
#include "model/editor_size.h"
#include "model/meter_scale.h"
#include "model/resource_table.h"

namespace {

namespace fs = std::filesystem;

struct Sheet {
    cairo_t* cr;
    const fs::path& dir;

    // Frame `frame` of image `id` with its top-left corner at (x, y).
    void place(int id, int frame, double x, double y) const {
        const resources::ImageInfo* info = resources::findImage(id);
        if (!info) return;
        cairo_surface_t* image = cairo_image_surface_create_from_png((dir / (std::to_string(id) + ".png")).c_str());
        const double frameHeight = static_cast<double>(info->height) / info->frames;
        cairo_save(cr);
        cairo_rectangle(cr, x, y, info->width, frameHeight);
        cairo_clip(cr);
        cairo_set_source_surface(cr, image, x, y - frame * frameHeight);
        cairo_paint(cr);
        cairo_restore(cr);
        cairo_surface_destroy(image);
    }
};

void needle(cairo_t* cr, double x0, double y0, const meter_scale::MeterGeometry& g, double theta, art::Rgb c) {
    const auto a = meter_scale::pointAt(g, theta, g.needleStart);
    const auto b = meter_scale::pointAt(g, theta, g.needleEnd);
    cairo_save(cr);
    cairo_rectangle(cr, x0, y0, g.width, g.height);
    cairo_clip(cr);
    art::setColour(cr, c);
    cairo_set_line_width(cr, 2.4);
    cairo_move_to(cr, x0 + a.x, y0 + a.y);
    cairo_line_to(cr, x0 + b.x, y0 + b.y);
    cairo_stroke(cr);
    cairo_restore(cr);
}

}  // namespace

bool writeEditorPreview(const fs::path& pngDir, const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, editor_size::kWidth,
                                                          editor_size::kSettingsPanelHeight);
    cairo_t* cr = cairo_create(surface);
    const Sheet s{cr, pngDir};
    const auto& vu = meter_scale::vuGeometry;
    s.place(10000, 0, 0, 0);
    const double levels[2] = {1.0, meter_scale::valueFromDb(-7)};  // 0 VU left, -7 VU right
    const int meterX[2] = {meter_scale::leftMeterX, meter_scale::rightMeterX};
    for (int ch = 0; ch < 2; ++ch) {
        const double x = meterX[ch], y = meter_scale::meterY;
        s.place(40007, 2, x, y);
        s.place(40008, ch == 0 ? 2 : 1, x + vu.ledLeft, y + vu.ledTop);
        needle(cr, x, y, vu, meter_scale::vuAngle(levels[ch]), art::rgb(50, 45, 30));
        cairo_save(cr);  // the base overlay goes over the needle
        cairo_rectangle(cr, x, y + vu.height - meter_scale::vuOverlayRows, vu.width, meter_scale::vuOverlayRows);
        cairo_clip(cr);
        s.place(40007, 2, x, y);
        cairo_restore(cr);
    }
    s.place(10010, 1, 0, 1);
    s.place(10013, 0, 96, 1);
    art::text(cr, "-18.0 dBFS", (96 + 81 + 96 + 198) / 2.0, 11, 9, art::rgb(200, 193, 193));
    art::text(cr, "Click and drag to adjust VU reference level", 400, 11, 8.5, art::rgb(200, 193, 193));
    s.place(989, 0, 505, 0);
    s.place(10002, 1, 531, 1);
    s.place(10025, 1, 574, 1);
    s.place(10001, 0, 538, 17 + (126 - 16) / 2);
    art::text(cr, "0.0dB", 554, 157.5, 9, art::rgb(200, 193, 193));
    s.place(10015, 2, 195, 144);
    s.place(10005, 0, 8, 144 - 7);
    s.place(40011, 0, 104, 146);
    s.place(40012, 0, 369, 146);
    s.place(10006, 2, meter_scale::holdSwitchX, meter_scale::holdSwitchY);
    // Filters strip, open.
    const double strip = editor_size::kMeterAreaHeight;
    s.place(31000, 0, 0, strip);
    s.place(10020, 2, 541, strip + 4);
    s.place(10025, 1, 574, strip);
    s.place(10021, 1, 16, strip + 20);
    s.place(10021, 0, 281, strip + 20);
    s.place(10024, 0, 58 + 0.35 * 143, strip + 10);
    s.place(10024, 0, 323 + 1.0 * 143, strip + 10);
    s.place(31001, 1, 223, strip + 8);
    s.place(31001, 0, 489, strip + 8);
    art::text(cr, "100", 0.35 * 144 + 66, strip + 11, 9, art::rgb(170, 170, 170));
    art::text(cr, "30k", 1.0 * 144 + 331, strip + 11, 9, art::rgb(170, 170, 170));
    // Label strip, open.
    const double label = strip + editor_size::kFiltersStripHeight;
    s.place(34000, 0, 0, label);
    s.place(10025, 1, 574, label);
    s.place(34001, 0, 541, label + 1);
    art::text(cr, "Master Track", 270, label + 24, 16, art::rgb(4, 45, 85), art::Align::Centre, art::Weight::Bold,
              205 / 255.0);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}
