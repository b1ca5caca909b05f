#pragma once
// Pixels read back from a device context (a window's, or the screen's) as RGBA.
#include <windows.h>

#include "tools/aldermark/png_writer.h"

namespace aldermark_windows {

// Copies width x height pixels of `source` from (x, y) on; false when GDI refuses.
bool copyPixels(HDC source, int x, int y, int width, int height, aldermark::RgbaImage& image);

}  // namespace aldermark_windows
