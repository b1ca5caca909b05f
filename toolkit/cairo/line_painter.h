#pragma once
// Anti-aliased straight lines painted straight into the 32-bit pixels of a cairo image
// (ARGB32 premultiplied or RGB24). The meter needles are a handful of short, thin lines
// redrawn on every frame; cairo's general stroker supersamples each one 15 times per row
// and costs several times what the needle's few hundred pixels need.
#include <cstdint>

#include "toolkit/backend.h"

namespace toolkit::cairo {

struct PixelImage {
    unsigned char* data = nullptr;
    int stride = 0;  // bytes per row
    int width = 0;   // pixels
    int height = 0;  // pixels
    bool hasAlpha = true;  // ARGB32; false: RGB24, whose top byte is unused
};

// Paints the line from `from` to `to` (pixel coordinates, pixel centres at +0.5) of `width`
// pixels with the given ends, blended over what is there, inside `clip` only. Each pixel's
// coverage is the area a one-pixel box shares with the line's outline across its nearest
// edge, so the ink of a line of width w over length l adds up to w × l (plus its ends).
void paintLine(const PixelImage& image, const CRect& clip, const CPoint& from, const CPoint& to, double width,
               LineCap cap, CColor color);

}  // namespace toolkit::cairo
