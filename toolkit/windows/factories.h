#pragma once
// The process's DirectWrite and WIC factories, made on first use and kept for the life of
// the process (the objects made from them may be released late), and the Direct2D factory,
// shared only while some surface draws with it.
#include <d2d1.h>
#include <dwrite.h>
#include <wincodec.h>

#include <memory>

#include "toolkit/backend.h"

namespace toolkit::windows {

struct Factories {
    IDWriteFactory* dwrite = nullptr;
    IWICImagingFactory* wic = nullptr;
};

// Whichever factories could be made; members stay null when theirs failed.
const Factories& factories();

// A Direct2D factory keeps a graphics device for the targets made from it, and that device
// is large (a whole 3D context under Wine). Holding the factory only while a surface lives
// gives the device back when the editor closes, and leaves nothing behind when the host
// unloads this library.
class Direct2D {
public:
    // The factory in use, or a new one when nobody holds it; null when it cannot be made.
    static std::shared_ptr<const Direct2D> acquire();
    // Whether any holder is left (for tests).
    static bool held();

    ~Direct2D();
    Direct2D(const Direct2D&) = delete;
    Direct2D& operator=(const Direct2D&) = delete;

    ID2D1Factory* factory() const { return factory_; }
    // The stroke style for `cap` (null: Direct2D's default flat caps).
    ID2D1StrokeStyle* strokeStyleFor(LineCap cap) const;

private:
    Direct2D() = default;

    ID2D1Factory* factory_ = nullptr;
    ID2D1StrokeStyle* roundCaps_ = nullptr;
    ID2D1StrokeStyle* squareCaps_ = nullptr;
};

}  // namespace toolkit::windows
