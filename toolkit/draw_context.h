#pragma once
// Drawing state and primitives in view coordinates. Keeps an offset (the origin of the
// view being drawn), a clip rectangle, line and colour settings, a font and a global
// alpha, with save/restore; the pixels are the back end's (toolkit::IDrawSurface).
// Primitives with coordinates that are not finite are skipped.
//
// Display scale: views draw in logical pixels (the 100 % layout); the context maps them to
// device pixels of the surface, logical x to x × scale. Rectangle edges are rounded to whole
// device pixels each on its own, so neighbouring parts meet without seams; line widths
// scale with the rest; text is set at scale × its size by the platform's font engine and
// bitmaps draw the variant made for the scale 1:1.
#include <vector>

#include "toolkit/backend.h"
#include "toolkit/base_object.h"
#include "toolkit/font.h"

class CBitmap;

enum CHoriTxtAlign { kLeftText = 0, kCenterText, kRightText };
enum CDrawStyle { kDrawStroked = 0, kDrawFilled, kDrawFilledAndStroked };

class CDrawContext {
public:
    // `scale` is clamped to display_scale::kMin ... kMax (anything not finite gives 1).
    explicit CDrawContext(toolkit::IDrawSurface& surface, double scale = 1);

    toolkit::IDrawSurface& surface() { return surface_; }
    double getScale() const { return scale_; }

    // Where the local origin lies in logical pixels of the surface.
    void setOffset(const CPoint& offset) { if (isFinite(offset)) state_.offset = offset; }
    const CPoint& getOffset() const { return state_.offset; }
    void offsetBy(double dx, double dy) {
        if (std::isfinite(dx) && std::isfinite(dy)) state_.offset.offset(dx, dy);
    }

    // Clip in local coordinates; replaces the current clip.
    void setClipRect(const CRect& clip);
    CRect getClipRect() const;

    void setLineWidth(double width) { state_.lineWidth = width > 0 && width < 1e4 ? width : 0; }
    double getLineWidth() const { return state_.lineWidth; }
    void setLineCap(toolkit::LineCap cap) { state_.lineCap = cap; }
    void setFrameColor(CColor color) { state_.frameColor = color; }
    CColor getFrameColor() const { return state_.frameColor; }
    void setFillColor(CColor color) { state_.fillColor = color; }
    CColor getFillColor() const { return state_.fillColor; }
    void setFontColor(CColor color) { state_.fontColor = color; }
    CColor getFontColor() const { return state_.fontColor; }
    void setFont(CFontDesc* font) { state_.font = SharedPointer<CFontDesc>(font); }
    CFontDesc* getFont() const { return state_.font.get(); }
    // Opacity applied on top of every colour and bitmap alpha, 0 to 1.
    void setGlobalAlpha(float alpha);
    float getGlobalAlpha() const { return state_.globalAlpha; }

    void saveGlobalState();
    void restoreGlobalState();

    void drawLine(const CPoint& from, const CPoint& to);
    void drawRect(const CRect& rect, CDrawStyle style = kDrawStroked);
    void drawEllipse(const CRect& rect, CDrawStyle style = kDrawStroked);
    // Draws the bitmap's part starting at `sourceOffset` into `dest`, with opacity `alpha`.
    void drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& sourceOffset = CPoint(), float alpha = 1.f);
    // Text is UTF-8; bytes that do not form UTF-8 are shown as Latin-1 letters.
    // Text vertically centred in `rect`, aligned horizontally.
    void drawString(const char* utf8, const CRect& rect, CHoriTxtAlign align = kCenterText);
    // Text with its baseline starting at `origin`.
    void drawString(const char* utf8, const CPoint& origin);
    double getStringWidth(const char* utf8);

private:
    struct State {
        CPoint offset;                    // logical pixels of the local origin
        CRect clip;                       // device pixels
        double lineWidth = 1;             // logical pixels
        toolkit::LineCap lineCap = toolkit::LineCap::Butt;
        CColor frameColor = kBlackCColor;
        CColor fillColor = kWhiteCColor;
        CColor fontColor = kBlackCColor;
        SharedPointer<CFontDesc> font;
        float globalAlpha = 1;            // 0 to 1
    };

    CColor withGlobalAlpha(CColor color) const;
    // Local logical coordinates to device pixels: rectangles with rounded edges, points exact.
    CRect toDevice(const CRect& rect) const;
    CPoint toDevice(const CPoint& point) const;
    const toolkit::IPlatformFont* currentFont();

    toolkit::IDrawSurface& surface_;
    double scale_ = 1;
    State state_;
    std::vector<State> saved_;
};
