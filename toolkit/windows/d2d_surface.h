#pragma once
// Drawing with Direct2D into a WIC bitmap: the surface of off-screen images and the back
// buffer of windows. Decoded images and DirectWrite fonts for it. Every font handed to the
// surface is a D2DTextFont (createFont makes nothing else) and draws its own text.
#include <cstdint>
#include <memory>
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/windows/com_support.h"
#include "toolkit/windows/d2d_text_font.h"
#include "toolkit/windows/factories.h"

namespace toolkit::windows {

// A decoded image as premultiplied BGRA pixels. Direct2D bitmaps belong to one render
// target, so a few are kept per target and made again for a new one.
class D2DBitmap : public IPlatformBitmap {
public:
    D2DBitmap(int width, int height, std::vector<std::uint8_t> premultipliedBgra);
    ~D2DBitmap() override;
    D2DBitmap(const D2DBitmap&) = delete;
    D2DBitmap& operator=(const D2DBitmap&) = delete;
    int width() const override { return width_; }
    int height() const override { return height_; }
    bool isOpaque() const override { return opaque_; }
    // The bitmap for `target`, whose serial number tells targets apart; null on failure.
    ID2D1Bitmap* forTarget(ID2D1RenderTarget* target, std::uint64_t targetSerial) const;
    // Drops every image's copy for a target that is going away. The images live as long as
    // the process, and a copy keeps its target (with its device) alive.
    static void releaseTarget(std::uint64_t targetSerial);
    // How many targets this image holds a copy for.
    int targetCount() const;

private:
    struct Cached {
        std::uint64_t serial = 0;
        ComRef<ID2D1Bitmap> bitmap;
    };
    static constexpr int kCachedTargets = 4;

    int width_;                          // pixels
    int height_;                         // pixels
    std::vector<std::uint8_t> pixels_;   // premultiplied BGRA, rows of width_ * 4 bytes
    bool opaque_;                        // no pixel lets anything through
    mutable Cached cached_[kCachedTargets];
    mutable int nextSlot_ = 0;           // the slot to reuse next
};

// A DirectWrite text format: the font of families found by name.
class D2DFont : public D2DTextFont {
public:
    D2DFont(ComRef<IDWriteTextFormat> format, double ascent, double descent, double capHeight)
        : format_(std::move(format)), ascent_(ascent), descent_(descent), capHeight_(capHeight) {}
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    double capHeight() const override { return capHeight_; }
    IDWriteTextFormat* format() const { return format_.get(); }
    void drawText(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                  D2D1_POINT_2F baselineOrigin, ID2D1Brush* brush) const override;
    double textWidth(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const override;

private:
    ComRef<IDWriteTextLayout> layout(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const;

    ComRef<IDWriteTextFormat> format_;
    double ascent_;     // pixels
    double descent_;    // pixels
    double capHeight_;  // pixels
};

// Draws into a premultiplied BGRA WIC bitmap. Drawing starts with the first primitive and
// ends with flush(), which makes the pixels readable.
class D2DSurface : public IDrawSurface {
public:
    // Null when the size is unusable or Direct2D cannot draw here (no graphics device).
    static std::unique_ptr<D2DSurface> create(int width, int height);
    ~D2DSurface() override;
    D2DSurface(const D2DSurface&) = delete;
    D2DSurface& operator=(const D2DSurface&) = delete;

    int width() const override { return width_; }
    int height() const override { return height_; }
    void setClip(const CRect& clip) override;
    void drawLine(const CPoint& from, const CPoint& to, double width, LineCap cap, CColor color) override;
    void fillRect(const CRect& rect, CColor color) override;
    void strokeRect(const CRect& rect, double width, CColor color) override;
    void fillEllipse(const CRect& bounds, CColor color) override;
    void strokeEllipse(const CRect& bounds, double width, CColor color) override;
    void drawBitmapResampled(const IPlatformBitmap& bitmap, const CRect& dest, const CRect& source,
                             float alpha) override;
    void drawBitmap(const IPlatformBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                    float alpha) override;
    void drawText(const IPlatformFont& font, const char* utf8, const CPoint& origin, CColor color) override;
    double textWidth(const IPlatformFont& font, const char* utf8) override;

    // Sets every pixel to `color`, ignoring the clip.
    void clear(CColor color);
    // Ends the drawing in progress so that the bitmap holds every primitive.
    void flush();
    IWICBitmap* bitmap() const { return bitmap_.get(); }
    // Straight colour of one pixel; transparent black outside.
    CColor pixel(int x, int y);
    // Copies rows [top, bottom) of columns [left, right) as premultiplied BGRA into `out`
    // (a buffer of `outStride` bytes per row, same size as the surface).
    bool copyPixels(int left, int top, int right, int bottom, std::uint8_t* out, int outStride);

private:
    D2DSurface(int width, int height, std::shared_ptr<const Direct2D> direct2d, ComRef<IWICBitmap> bitmap);
    bool makeTarget();
    // Starts drawing when needed; false when there is nothing to draw with.
    bool begin();
    ID2D1SolidColorBrush* brush(CColor color);

    int width_;                             // pixels
    int height_;                            // pixels
    std::shared_ptr<const Direct2D> direct2d_;  // outlives the target made from it
    ComRef<IWICBitmap> bitmap_;
    ComRef<ID2D1RenderTarget> target_;
    ComRef<ID2D1SolidColorBrush> brush_;
    std::uint64_t serial_ = 0;              // tells this target apart from every other one
    CRect clip_;                            // device pixels, replayed at each begin
    bool drawing_ = false;                  // between BeginDraw and EndDraw
    bool clipPushed_ = false;
};

}  // namespace toolkit::windows
