#pragma once
// Drawing on any cairo target: windows (through an image back buffer) and off-screen images.
#include <cairo.h>

#include "toolkit/backend.h"
#include "toolkit/cairo/line_painter.h"

namespace toolkit::cairo {

// An image decoded from PNG, kept as a cairo image surface.
class CairoBitmap : public IPlatformBitmap {
public:
    explicit CairoBitmap(cairo_surface_t* image);  // takes the reference
    ~CairoBitmap() override;
    CairoBitmap(const CairoBitmap&) = delete;
    CairoBitmap& operator=(const CairoBitmap&) = delete;
    int width() const override;
    int height() const override;
    bool isOpaque() const override { return opaque_; }
    cairo_surface_t* image() const { return image_; }

private:
    cairo_surface_t* image_;
    bool opaque_;
};

// A face at one size, ready for cairo's text calls.
class CairoFont : public IPlatformFont {
public:
    CairoFont(cairo_scaled_font_t* font, double capHeight);  // takes the reference
    ~CairoFont() override;
    CairoFont(const CairoFont&) = delete;
    CairoFont& operator=(const CairoFont&) = delete;
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    double capHeight() const override { return capHeight_; }
    cairo_scaled_font_t* scaledFont() const { return font_; }

private:
    cairo_scaled_font_t* font_;
    double ascent_;     // pixels
    double descent_;    // pixels
    double capHeight_;  // pixels
};

class CairoSurface : public IDrawSurface {
public:
    // Draws through `context` (not owned) onto a target of the given size.
    CairoSurface(cairo_t* context, int width, int height);

    int width() const override { return width_; }
    int height() const override { return height_; }
    void setClip(const CRect& clip) override;
    void drawLine(const CPoint& from, const CPoint& to, double width, LineCap cap, CColor color) override;
    void fillRect(const CRect& rect, CColor color) override;
    void strokeRect(const CRect& rect, double width, CColor color) override;
    void fillEllipse(const CRect& bounds, CColor color) override;
    void strokeEllipse(const CRect& bounds, double width, CColor color) override;
    void drawBitmap(const IPlatformBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                    float alpha) override;
    void drawBitmapResampled(const IPlatformBitmap& bitmap, const CRect& dest, const CRect& source,
                             float alpha) override;
    void drawText(const IPlatformFont& font, const char* utf8, const CPoint& origin, CColor color) override;
    double textWidth(const IPlatformFont& font, const char* utf8) override;

private:
    void setColor(CColor color);
    void ellipsePath(const CRect& bounds);
    bool directPixels(PixelImage& image) const;

    cairo_t* cr_;
    int width_;   // pixels
    int height_;  // pixels
    CRect clip_;  // pixels, the last clip set
};

}  // namespace toolkit::cairo
