#include "toolkit/windows/d2d_surface.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <mutex>
#include <set>

namespace toolkit::windows {
namespace {

std::uint64_t nextSerial() {
    static std::atomic<std::uint64_t> serial{0};
    return ++serial;
}

D2D1_COLOR_F toColorF(CColor color) {
    return D2D1::ColorF(color.red / 255.f, color.green / 255.f, color.blue / 255.f, color.alpha / 255.f);
}

D2D1_RECT_F toRectF(const CRect& rect) {
    return D2D1::RectF(static_cast<float>(rect.left), static_cast<float>(rect.top), static_cast<float>(rect.right),
                       static_cast<float>(rect.bottom));
}

D2D1_POINT_2F toPointF(const CPoint& point) {
    return D2D1::Point2F(static_cast<float>(point.x), static_cast<float>(point.y));
}

D2D1_ELLIPSE toEllipse(const CRect& bounds) {
    return D2D1::Ellipse(D2D1::Point2F(static_cast<float>((bounds.left + bounds.right) / 2),
                                       static_cast<float>((bounds.top + bounds.bottom) / 2)),
                         static_cast<float>(bounds.getWidth() / 2), static_cast<float>(bounds.getHeight() / 2));
}

}  // namespace

// ---- D2DBitmap

namespace {

// Every image alive, so that a target going away can take its copies with it.
struct LiveBitmaps {
    std::mutex mutex;
    std::set<const D2DBitmap*> bitmaps;
};

LiveBitmaps& liveBitmaps() {
    static LiveBitmaps* live = new LiveBitmaps;  // never destroyed: images may outlive statics
    return *live;
}

}  // namespace

D2DBitmap::D2DBitmap(int width, int height, std::vector<std::uint8_t> premultipliedBgra)
    : width_(width), height_(height), pixels_(std::move(premultipliedBgra)),
      opaque_(allPixelsOpaque(pixels_.data(), pixels_.size() / 4)) {
    LiveBitmaps& live = liveBitmaps();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.bitmaps.insert(this);
}

D2DBitmap::~D2DBitmap() {
    LiveBitmaps& live = liveBitmaps();
    std::lock_guard<std::mutex> lock(live.mutex);
    live.bitmaps.erase(this);
}

void D2DBitmap::releaseTarget(std::uint64_t targetSerial) {
    if (targetSerial == 0) return;
    LiveBitmaps& live = liveBitmaps();
    std::lock_guard<std::mutex> lock(live.mutex);
    for (const D2DBitmap* bitmap : live.bitmaps)
        for (Cached& entry : bitmap->cached_)
            if (entry.serial == targetSerial) {
                entry.bitmap.reset();
                entry.serial = 0;
            }
}

int D2DBitmap::targetCount() const {
    std::lock_guard<std::mutex> lock(liveBitmaps().mutex);
    return static_cast<int>(std::count_if(std::begin(cached_), std::end(cached_),
                                          [](const Cached& entry) { return entry.bitmap.get() != nullptr; }));
}

ID2D1Bitmap* D2DBitmap::forTarget(ID2D1RenderTarget* target, std::uint64_t targetSerial) const {
    std::lock_guard<std::mutex> lock(liveBitmaps().mutex);
    for (const Cached& entry : cached_)
        if (entry.serial == targetSerial && entry.bitmap) return entry.bitmap.get();
    const D2D1_BITMAP_PROPERTIES properties =
        D2D1::BitmapProperties(D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED));
    Cached& slot = cached_[nextSlot_];
    nextSlot_ = (nextSlot_ + 1) % kCachedTargets;
    slot.serial = 0;
    if (FAILED(target->CreateBitmap(D2D1::SizeU(static_cast<UINT32>(width_), static_cast<UINT32>(height_)),
                                    pixels_.data(), static_cast<UINT32>(width_) * 4, &properties, slot.bitmap.put())))
        return nullptr;
    slot.serial = targetSerial;
    return slot.bitmap.get();
}

// ---- D2DSurface

std::unique_ptr<D2DSurface> D2DSurface::create(int width, int height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    IWICImagingFactory* wic = factories().wic;
    std::shared_ptr<const Direct2D> direct2d = Direct2D::acquire();
    if (!direct2d || !wic) return nullptr;
    ComRef<IWICBitmap> bitmap;
    if (FAILED(wic->CreateBitmap(static_cast<UINT>(width), static_cast<UINT>(height),
                                   GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, bitmap.put())))
        return nullptr;
    std::unique_ptr<D2DSurface> surface(new D2DSurface(width, height, std::move(direct2d), std::move(bitmap)));
    if (!surface->makeTarget()) return nullptr;
    return surface;
}

D2DSurface::D2DSurface(int width, int height, std::shared_ptr<const Direct2D> direct2d, ComRef<IWICBitmap> bitmap)
    : width_(width), height_(height), direct2d_(std::move(direct2d)), bitmap_(std::move(bitmap)),
      clip_(0, 0, width, height) {}

D2DSurface::~D2DSurface() {
    flush();
    D2DBitmap::releaseTarget(serial_);
}

bool D2DSurface::makeTarget() {
    brush_.reset();
    target_.reset();
    D2DBitmap::releaseTarget(serial_);
    serial_ = 0;
    // Pixels are device pixels: 96 dots per inch makes one unit one pixel.
    const D2D1_RENDER_TARGET_PROPERTIES properties = D2D1::RenderTargetProperties(
        D2D1_RENDER_TARGET_TYPE_DEFAULT, D2D1::PixelFormat(DXGI_FORMAT_B8G8R8A8_UNORM, D2D1_ALPHA_MODE_PREMULTIPLIED),
        96.f, 96.f);
    if (FAILED(direct2d_->factory()->CreateWicBitmapRenderTarget(bitmap_.get(), &properties, target_.put()))) {
        target_.reset();
        return false;
    }
    target_->SetAntialiasMode(D2D1_ANTIALIAS_MODE_PER_PRIMITIVE);
    // The target may be transparent, where ClearType cannot blend.
    target_->SetTextAntialiasMode(D2D1_TEXT_ANTIALIAS_MODE_GRAYSCALE);
    if (FAILED(target_->CreateSolidColorBrush(D2D1::ColorF(0, 0, 0, 1), brush_.put()))) {
        brush_.reset();
        target_.reset();
        return false;
    }
    serial_ = nextSerial();
    return true;
}

bool D2DSurface::begin() {
    if (drawing_) return true;
    if (!target_ && !makeTarget()) return false;
    target_->BeginDraw();
    drawing_ = true;
    if (clip_ != CRect(0, 0, width_, height_)) {
        target_->PushAxisAlignedClip(toRectF(clip_), D2D1_ANTIALIAS_MODE_ALIASED);
        clipPushed_ = true;
    }
    return true;
}

void D2DSurface::flush() {
    if (!drawing_) return;
    if (clipPushed_) target_->PopAxisAlignedClip();
    clipPushed_ = false;
    drawing_ = false;
    // A lost device only takes the target with it: the pixels live in the WIC bitmap.
    if (target_->EndDraw() == static_cast<HRESULT>(D2DERR_RECREATE_TARGET)) target_.reset();
}

void D2DSurface::setClip(const CRect& clip) {
    CRect bounded = clip;
    bounded.bound(CRect(0, 0, width_, height_));
    clip_ = bounded;
    if (!drawing_) return;
    if (clipPushed_) target_->PopAxisAlignedClip();
    target_->PushAxisAlignedClip(toRectF(clip_), D2D1_ANTIALIAS_MODE_ALIASED);
    clipPushed_ = true;
}

ID2D1SolidColorBrush* D2DSurface::brush(CColor color) {
    brush_->SetColor(toColorF(color));
    return brush_.get();
}

void D2DSurface::drawLine(const CPoint& from, const CPoint& to, double width, LineCap cap, CColor color) {
    if (color.alpha == 0 || !(width > 0) || !begin()) return;
    target_->DrawLine(toPointF(from), toPointF(to), brush(color), static_cast<float>(width), direct2d_->strokeStyleFor(cap));
}

void D2DSurface::fillRect(const CRect& rect, CColor color) {
    if (color.alpha == 0 || rect.isEmpty() || !begin()) return;
    target_->FillRectangle(toRectF(rect), brush(color));
}

void D2DSurface::strokeRect(const CRect& rect, double width, CColor color) {
    if (color.alpha == 0 || rect.isEmpty() || !(width > 0) || !begin()) return;
    target_->DrawRectangle(toRectF(rect), brush(color), static_cast<float>(width));
}

void D2DSurface::fillEllipse(const CRect& bounds, CColor color) {
    if (color.alpha == 0 || bounds.isEmpty() || !begin()) return;
    target_->FillEllipse(toEllipse(bounds), brush(color));
}

void D2DSurface::strokeEllipse(const CRect& bounds, double width, CColor color) {
    if (color.alpha == 0 || bounds.isEmpty() || !(width > 0) || !begin()) return;
    target_->DrawEllipse(toEllipse(bounds), brush(color), static_cast<float>(width));
}

void D2DSurface::drawBitmap(const IPlatformBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                            float alpha) {
    if (dest.isEmpty() || !(alpha > 0) || !begin()) return;
    const auto& image = static_cast<const D2DBitmap&>(bitmap);
    // Where the whole image lands; only its part inside `dest` is drawn, so source
    // rectangles never reach past the image's edges.
    const double originX = dest.left - sourceOffset.x;
    const double originY = dest.top - sourceOffset.y;
    CRect visible = dest;
    visible.bound(CRect(originX, originY, originX + image.width(), originY + image.height()));
    if (visible.isEmpty()) return;
    ID2D1Bitmap* d2dBitmap = image.forTarget(target_.get(), serial_);
    if (!d2dBitmap) return;
    CRect source = visible;
    source.offset(-originX, -originY);
    // Whole-pixel placement copies pixels 1:1; nearest filtering keeps frame edges sharp.
    const bool whole = originX == std::floor(originX) && originY == std::floor(originY);
    const D2D1_RECT_F sourceRect = toRectF(source);
    target_->DrawBitmap(d2dBitmap, toRectF(visible), std::min(alpha, 1.f),
                        whole ? D2D1_BITMAP_INTERPOLATION_MODE_NEAREST_NEIGHBOR : D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                        &sourceRect);
}

void D2DSurface::drawBitmapResampled(const IPlatformBitmap& bitmap, const CRect& dest, const CRect& source,
                                     float alpha) {
    if (dest.isEmpty() || source.isEmpty() || !(alpha > 0) || !begin()) return;
    const auto& image = static_cast<const D2DBitmap&>(bitmap);
    CRect inside = source;
    inside.bound(CRect(0, 0, image.width(), image.height()));
    if (inside.isEmpty()) return;
    ID2D1Bitmap* d2dBitmap = image.forTarget(target_.get(), serial_);
    if (!d2dBitmap) return;
    const D2D1_RECT_F sourceRect = toRectF(inside);
    target_->DrawBitmap(d2dBitmap, toRectF(dest), std::min(alpha, 1.f), D2D1_BITMAP_INTERPOLATION_MODE_LINEAR,
                        &sourceRect);
}

ComRef<IDWriteTextLayout> D2DFont::layout(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const {
    ComRef<IDWriteTextLayout> made;
    if (!factory || !text || length == 0) return made;
    if (FAILED(factory->CreateTextLayout(text, length, format_.get(), 10000.f, 1000.f, made.put()))) made.reset();
    return made;
}

void D2DFont::drawText(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                       D2D1_POINT_2F baselineOrigin, ID2D1Brush* brush) const {
    if (!target || !brush) return;
    ComRef<IDWriteTextLayout> textLayout = layout(factory, text, length);
    if (!textLayout) return;
    // Layouts are placed by their top edge; the caller gives the baseline.
    DWRITE_LINE_METRICS line{};
    UINT32 lines = 0;
    double baseline = ascent_;
    if (SUCCEEDED(textLayout->GetLineMetrics(&line, 1, &lines)) && lines >= 1) baseline = line.baseline;
    target->DrawTextLayout(D2D1::Point2F(baselineOrigin.x, static_cast<float>(baselineOrigin.y - baseline)),
                           textLayout.get(), brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
}

double D2DFont::textWidth(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const {
    ComRef<IDWriteTextLayout> textLayout = layout(factory, text, length);
    DWRITE_TEXT_METRICS metrics{};
    if (!textLayout || FAILED(textLayout->GetMetrics(&metrics))) return 0;
    return metrics.widthIncludingTrailingWhitespace;
}

void D2DSurface::drawText(const IPlatformFont& font, const char* utf8, const CPoint& origin, CColor color) {
    if (!utf8 || !*utf8 || color.alpha == 0 || !begin()) return;
    const std::wstring text = widen(utf8);
    if (text.empty()) return;
    static_cast<const D2DTextFont&>(font).drawText(
        target_.get(), factories().dwrite, text.c_str(), static_cast<UINT32>(text.size()),
        D2D1::Point2F(static_cast<float>(origin.x), static_cast<float>(origin.y)), brush(color));
}

double D2DSurface::textWidth(const IPlatformFont& font, const char* utf8) {
    if (!utf8 || !*utf8) return 0;
    const std::wstring text = widen(utf8);
    if (text.empty()) return 0;
    return static_cast<const D2DTextFont&>(font).textWidth(factories().dwrite, text.c_str(),
                                                           static_cast<UINT32>(text.size()));
}

void D2DSurface::clear(CColor color) {
    if (!begin()) return;
    if (clipPushed_) target_->PopAxisAlignedClip();
    clipPushed_ = false;
    target_->Clear(toColorF(color));
    if (clip_ != CRect(0, 0, width_, height_)) {
        target_->PushAxisAlignedClip(toRectF(clip_), D2D1_ANTIALIAS_MODE_ALIASED);
        clipPushed_ = true;
    }
}

bool D2DSurface::copyPixels(int left, int top, int right, int bottom, std::uint8_t* out, int outStride) {
    flush();
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (!out || left >= right || top >= bottom) return false;
    const WICRect area{left, top, right - left, bottom - top};
    ComRef<IWICBitmapLock> lock;
    if (FAILED(bitmap_->Lock(&area, WICBitmapLockRead, lock.put()))) return false;
    UINT stride = 0, bufferSize = 0;
    BYTE* data = nullptr;
    if (FAILED(lock->GetStride(&stride)) || FAILED(lock->GetDataPointer(&bufferSize, &data)) || !data) return false;
    for (int y = top; y < bottom; ++y)
        std::memcpy(out + static_cast<std::size_t>(y) * static_cast<std::size_t>(outStride) +
                        static_cast<std::size_t>(left) * 4,
                    data + static_cast<std::size_t>(y - top) * stride, static_cast<std::size_t>(right - left) * 4);
    return true;
}

CColor D2DSurface::pixel(int x, int y) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CColor{0, 0, 0, 0};
    flush();
    const WICRect area{x, y, 1, 1};
    ComRef<IWICBitmapLock> lock;
    if (FAILED(bitmap_->Lock(&area, WICBitmapLockRead, lock.put()))) return CColor{0, 0, 0, 0};
    UINT bufferSize = 0;
    BYTE* data = nullptr;
    if (FAILED(lock->GetDataPointer(&bufferSize, &data)) || !data || bufferSize < 4) return CColor{0, 0, 0, 0};
    const unsigned alpha = data[3];
    if (alpha == 0) return CColor{0, 0, 0, 0};
    auto straight = [alpha](unsigned premultiplied) {
        return static_cast<std::uint8_t>(std::min(255u, (premultiplied * 255 + alpha / 2) / alpha));
    };
    return CColor{straight(data[2]), straight(data[1]), straight(data[0]), static_cast<std::uint8_t>(alpha)};
}

}  // namespace toolkit::windows
