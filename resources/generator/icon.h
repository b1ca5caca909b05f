#pragma once
// The standalone meter's desktop icon, drawn at any size (the menu's is 256 x 256).
#include <cairo.h>

#include <string>

namespace art {

void drawAppIcon(cairo_t* cr, int size);
bool writeAppIcon(const std::string& path, int size);

}  // namespace art
