// The Direct2D back end's resources: PNG decoding and encoding with WIC, and off-screen
// images.
#include <cstring>
#include <limits>

#include "toolkit/backend.h"
#include "toolkit/windows/com_support.h"
#include "toolkit/windows/d2d_surface.h"
#include "toolkit/windows/factories.h"

namespace toolkit {
namespace {

using windows::ComRef;
using windows::ComScope;
using windows::D2DBitmap;
using windows::D2DSurface;
using windows::factories;

// Writes `source` to `path` as a PNG with straight alpha.
bool writePng(IWICBitmapSource* source, const char* path) {
    IWICImagingFactory* wic = factories().wic;
    const std::wstring widePath = windows::widen(path);
    if (!wic || widePath.empty()) return false;
    ComRef<IWICFormatConverter> straight;
    if (FAILED(wic->CreateFormatConverter(straight.put())) ||
        FAILED(straight->Initialize(source, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                    WICBitmapPaletteTypeCustom)))
        return false;
    UINT width = 0, height = 0;
    if (FAILED(straight->GetSize(&width, &height))) return false;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapEncoder> encoder;
    ComRef<IWICBitmapFrameEncode> frame;
    if (FAILED(wic->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) ||
        FAILED(wic->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put())) ||
        FAILED(encoder->Initialize(stream.get(), WICBitmapEncoderNoCache)) ||
        FAILED(encoder->CreateNewFrame(frame.put(), nullptr)) || FAILED(frame->Initialize(nullptr)) ||
        FAILED(frame->SetSize(width, height)))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    if (FAILED(frame->SetPixelFormat(&format))) return false;
    if (format != GUID_WICPixelFormat32bppBGRA) return false;  // the encoder wants another layout
    return SUCCEEDED(frame->WriteSource(straight.get(), nullptr)) && SUCCEEDED(frame->Commit()) &&
           SUCCEEDED(encoder->Commit());
}

class D2DOffscreen : public IOffscreenSurface {
public:
    explicit D2DOffscreen(std::unique_ptr<D2DSurface> surface) : surface_(std::move(surface)) {}
    IDrawSurface& surface() override { return *surface_; }
    CColor pixel(int x, int y) const override { return surface_->pixel(x, y); }
    bool savePng(const char* path) override {
        if (!path || !*path) return false;
        surface_->flush();
        ComScope com;
        return com.usable() && writePng(surface_->bitmap(), path);
    }
    void clear(CColor color) override { surface_->clear(color); }

private:
    std::unique_ptr<D2DSurface> surface_;
};

}  // namespace

std::shared_ptr<IPlatformBitmap> decodePng(const unsigned char* data, std::size_t size) {
    // WIC reads its stream size as 32 bits.
    if (!data || size < 8 || size > std::numeric_limits<DWORD>::max()) return nullptr;
    ComScope com;
    IWICImagingFactory* wic = factories().wic;
    if (!com.usable() || !wic) return nullptr;
    ComRef<IWICStream> stream;
    ComRef<IWICBitmapDecoder> decoder;
    ComRef<IWICBitmapFrameDecode> frame;
    ComRef<IWICFormatConverter> converter;
    // The stream reads the caller's bytes in place: they outlive this call's decoding.
    if (FAILED(wic->CreateStream(stream.put())) ||
        FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size))) ||
        FAILED(wic->CreateDecoderFromStream(stream.get(), &GUID_ContainerFormatPng, WICDecodeMetadataCacheOnDemand,
                                            decoder.put())) ||
        FAILED(decoder->GetFrame(0, frame.put())) || FAILED(wic->CreateFormatConverter(converter.put())) ||
        FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;
    UINT width = 0, height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 16384 ||
        height > 16384)
        return nullptr;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    if (FAILED(converter->CopyPixels(nullptr, width * 4, static_cast<UINT>(pixels.size()), pixels.data())))
        return nullptr;
    return std::make_shared<D2DBitmap>(static_cast<int>(width), static_cast<int>(height), std::move(pixels));
}

std::unique_ptr<IOffscreenSurface> createOffscreen(int width, int height) {
    ComScope com;
    auto surface = D2DSurface::create(width, height);
    if (!surface) return nullptr;
    return std::make_unique<D2DOffscreen>(std::move(surface));
}

}  // namespace toolkit
