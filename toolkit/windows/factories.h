#pragma once
// The process's Direct2D, DirectWrite and WIC factories, made on first use and kept for
// the life of the process (the objects made from them may be released late).
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

#include "toolkit/backend.h"

namespace toolkit::windows {

struct Factories {
    ID2D1Factory* d2d = nullptr;
    IDWriteFactory* dwrite = nullptr;
    IWICImagingFactory* wic = nullptr;
    ID2D1StrokeStyle* roundCaps = nullptr;
    ID2D1StrokeStyle* squareCaps = nullptr;
};

// Whichever factories could be made; members stay null when theirs failed.
const Factories& factories();

// The stroke style for `cap` (null: Direct2D's default flat caps).
ID2D1StrokeStyle* strokeStyleFor(LineCap cap);

}  // namespace toolkit::windows
