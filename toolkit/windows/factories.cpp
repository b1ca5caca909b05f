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

struct SharedDirect2D {
    std::mutex mutex;
    std::weak_ptr<const Direct2D> current;
};

SharedDirect2D& sharedDirect2D() {
    static SharedDirect2D shared;
    return shared;
}

}  // namespace

const Factories& factories() {
    static std::once_flag once;
    static Factories* made = nullptr;  // never released: see the header
    std::call_once(once, [] { made = new Factories(makeFactories()); });
    return *made;
}

std::shared_ptr<const Direct2D> Direct2D::acquire() {
    SharedDirect2D& shared = sharedDirect2D();
    std::lock_guard<std::mutex> lock(shared.mutex);
    if (auto current = shared.current.lock()) return current;
    std::shared_ptr<Direct2D> made(new Direct2D);
    // Several threads may draw off-screen images; the factory serialises its own work.
    if (FAILED(D2D1CreateFactory(D2D1_FACTORY_TYPE_MULTI_THREADED, __uuidof(ID2D1Factory), nullptr,
                                 reinterpret_cast<void**>(&made->factory_))) ||
        !made->factory_) {
        made->factory_ = nullptr;
        return nullptr;
    }
    made->roundCaps_ = makeStrokeStyle(made->factory_, D2D1_CAP_STYLE_ROUND);
    made->squareCaps_ = makeStrokeStyle(made->factory_, D2D1_CAP_STYLE_SQUARE);
    shared.current = made;
    return made;
}

bool Direct2D::held() {
    SharedDirect2D& shared = sharedDirect2D();
    std::lock_guard<std::mutex> lock(shared.mutex);
    return !shared.current.expired();
}

Direct2D::~Direct2D() {
    if (roundCaps_) roundCaps_->Release();
    if (squareCaps_) squareCaps_->Release();
    if (factory_) factory_->Release();
}

ID2D1StrokeStyle* Direct2D::strokeStyleFor(LineCap cap) const {
    switch (cap) {
        case LineCap::Round: return roundCaps_;
        case LineCap::Square: return squareCaps_;
        default: return nullptr;
    }
}

}  // namespace toolkit::windows
