#include "toolkit/windows/factories.h"

#include <mutex>

#include "toolkit/windows/com_support.h"

namespace toolkit::windows {
namespace {

ID2D1StrokeStyle* makeStrokeStyle(ID2D1Factory* factory, D2D1_CAP_STYLE cap) {
    ID2D1StrokeStyle* style = nullptr;
    const D2D1_STROKE_STYLE_PROPERTIES properties =
        D2D1::StrokeStyleProperties(cap, cap, cap, D2D1_LINE_JOIN_MITER, 10.f, D2D1_DASH_STYLE_SOLID, 0.f);
    if (FAILED(factory->CreateStrokeStyle(&properties, nullptr, 0, &style))) return nullptr;
    return style;
}

Factories makeFactories() {
    Factories made;
    // Several threads may decode images; the factory serialises its own work.
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory), nullptr,
                                 reinterpret_cast<void**>(&made.d2d))))
        made.d2d = nullptr;
    if (made.d2d) {
        made.roundCaps = makeStrokeStyle(made.d2d, D2D1_CAP_STYLE_ROUND);
        made.squareCaps = makeStrokeStyle(made.d2d, D2D1_CAP_STYLE_SQUARE);
    }
    // Our own factory, not the process's shared one: it holds our font loaders, which must
    // never be called by others once this library is gone.
    if (FAILED(DWriteCreateFactory(DWRITE_FACTORY_TYPE_ISOLATED, __uuidof(IDWriteFactory),
                                   reinterpret_cast<IUnknown**>(&made.dwrite))))
        made.dwrite = nullptr;
    ComScope com;
    if (com.usable() && FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                                __uuidof(IWICImagingFactory), reinterpret_cast<void**>(&made.wic))))
        made.wic = nullptr;
    if (made.wic) {
        // The factory outlives any COM initialisation of ours: keep its library loaded.
        HMODULE pinned = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"windowscodecs.dll", &pinned);
    }
    return made;
}

}  // namespace

const Factories& factories() {
    static std::once_flag once;
    static Factories* made = nullptr;  // never released: see the header
    std::call_once(once, [] { made = new Factories(makeFactories()); });
    return *made;
}

ID2D1StrokeStyle* strokeStyleFor(LineCap cap) {
    switch (cap) {
        case LineCap::Round: return factories().roundCaps;
        case LineCap::Square: return factories().squareCaps;
        default: return nullptr;
    }
}

}  // namespace toolkit::windows
