#include "artwork.h"

#include "canvas.h"
#include "model/meter_scale.h"

namespace art {

bool drawImage(cairo_t* cr, const resources::ImageInfo& info) {
    switch (info.id) {
        case 10000: frontPanel(cr, Meter::Vu); return true;
        case 41001: frontPanel(cr, Meter::Rms); return true;
        case 42001: frontPanel(cr, Meter::Ppm); return true;
        case 40000: settingsPanel(cr, Meter::Vu); return true;
        case 41000: settingsPanel(cr, Meter::Rms); return true;
        case 42000: settingsPanel(cr, Meter::Ppm); return true;
        case 31000: filtersStrip(cr, Meter::Vu); return true;
        case 31100: filtersStrip(cr, Meter::Rms); return true;
        case 31200: filtersStrip(cr, Meter::Ppm); return true;
        case 34000: labelStrip(cr, Meter::Vu); return true;
        case 34100: labelStrip(cr, Meter::Rms); return true;
        case 34200: labelStrip(cr, Meter::Ppm); return true;
        case 40100: collapsedStrip(cr, Meter::Vu); return true;
        case 41100: collapsedStrip(cr, Meter::Rms); return true;
        case 42100: collapsedStrip(cr, Meter::Ppm); return true;
        case 40007:
        case 40008: {
            const double frameHeight = static_cast<double>(info.height) / info.frames;
            for (int f = 0; f < info.frames; ++f) {
                cairo_save(cr);
                cairo_translate(cr, 0, f * frameHeight);
                cairo_rectangle(cr, 0, 0, info.width, frameHeight);
                cairo_clip(cr);
                if (info.id == 40007)
                    vuFace(cr, f);
                else
                    overLed(cr, f);
                cairo_restore(cr);
            }
            return true;
        }
        default: return drawControl(cr, info);
    }
}

}  // namespace art
