#pragma once
// The artwork of every image resource, grouped by where it appears.
#include <cairo.h>

#include "model/resource_table.h"

namespace art {

enum class Meter { Vu, Rms, Ppm };

// Draws image `info` at full size into `cr` (origin at its top-left corner).
// False for an id the artwork does not know.
bool drawImage(cairo_t* cr, const resources::ImageInfo& info);

// Meter dials (meter_faces.cpp). Each draws in the meter control's own coordinates.
void vuFace(cairo_t* cr, int backlightLevel);
void darkDial(cairo_t* cr, Meter meter);  // RMS or PPM dial printed on the front panel
void meterBezel(cairo_t* cr, double x, double y, double w, double h);
void overLed(cairo_t* cr, int state);     // 0 no over, 1 over since clear, 2 over now

// Panels and strips (panels.cpp).
void frontPanel(cairo_t* cr, Meter meter);
void settingsPanel(cairo_t* cr, Meter meter);
void filtersStrip(cairo_t* cr, Meter meter);
void labelStrip(cairo_t* cr, Meter meter);
void collapsedStrip(cairo_t* cr, Meter meter);

// Small controls (controls.cpp); each returns false for an id it does not draw.
bool drawControl(cairo_t* cr, const resources::ImageInfo& info);

}  // namespace art
