#include "toolkit/draw_context.h"

#include <cmath>
#include <string>

#include "model/display_scale.h"
#include "toolkit/bitmap.h"
#include "toolkit/utf8.h"

namespace {

CRect scaledExactly(CRect rect, double scale) {
    return CRect(rect.left * scale, rect.top * scale, rect.right * scale, rect.bottom * scale);
}

}  // namespace

CDrawContext::CDrawContext(toolkit::IDrawSurface& surface, double scale)
    : surface_(surface), scale_(display_scale::clamp(scale)) {
    state_.clip = CRect(0, 0, surface.width(), surface.height());
    state_.font = SharedPointer<CFontDesc>(defaultFont());
    saved_.reserve(16);
    surface_.setClip(state_.clip);
}

void CDrawContext::setClipRect(const CRect& clip) {
    state_.clip = isFinite(clip) ? toDevice(clip) : CRect();
    state_.clip.bound(CRect(0, 0, surface_.width(), surface_.height()));
    surface_.setClip(state_.clip);
}

CRect CDrawContext::getClipRect() const {
    CRect local = scale_ == 1 ? state_.clip : scaledExactly(state_.clip, 1 / scale_);
    return local.offset(-state_.offset.x, -state_.offset.y);
}

void CDrawContext::setGlobalAlpha(float alpha) {
    state_.globalAlpha = std::isfinite(alpha) ? std::clamp(alpha, 0.f, 1.f) : 1.f;
}

void CDrawContext::saveGlobalState() { saved_.push_back(state_); }

void CDrawContext::restoreGlobalState() {
    if (saved_.empty()) return;
    const bool clipChanged = !(saved_.back().clip == state_.clip);
    state_ = std::move(saved_.back());
    saved_.pop_back();
    if (clipChanged) surface_.setClip(state_.clip);
}

CColor CDrawContext::withGlobalAlpha(CColor color) const {
    color.alpha = static_cast<std::uint8_t>(std::lround(color.alpha * state_.globalAlpha));
    return color;
}

CRect CDrawContext::toDevice(const CRect& rect) const {
    CRect device = rect;
    device.offset(state_.offset.x, state_.offset.y);
    if (scale_ == 1) return device;
    return CRect(display_scale::edge(device.left, scale_), display_scale::edge(device.top, scale_),
                 display_scale::edge(device.right, scale_), display_scale::edge(device.bottom, scale_));
}

CPoint CDrawContext::toDevice(const CPoint& point) const {
    const CPoint moved = point + state_.offset;
    return CPoint(moved.x * scale_, moved.y * scale_);
}

void CDrawContext::drawLine(const CPoint& from, const CPoint& to) {
    if (state_.lineWidth <= 0 || state_.clip.isEmpty() || !isFinite(from) || !isFinite(to)) return;
    surface_.drawLine(toDevice(from), toDevice(to), state_.lineWidth * scale_, state_.lineCap,
                      withGlobalAlpha(state_.frameColor));
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    if (state_.clip.isEmpty() || !isFinite(rect)) return;
    if (style != kDrawStroked) surface_.fillRect(toDevice(rect), withGlobalAlpha(state_.fillColor));
    if (style != kDrawFilled && state_.lineWidth > 0)
        surface_.strokeRect(toDevice(rect), state_.lineWidth * scale_, withGlobalAlpha(state_.frameColor));
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
    if (state_.clip.isEmpty() || !isFinite(rect)) return;
    // Curves need no whole-pixel edges; exact scaling keeps small dots round.
    CRect moved = rect;
    const CRect device = scaledExactly(moved.offset(state_.offset.x, state_.offset.y), scale_);
    if (style != kDrawStroked) surface_.fillEllipse(device, withGlobalAlpha(state_.fillColor));
    if (style != kDrawFilled && state_.lineWidth > 0)
        surface_.strokeEllipse(device, state_.lineWidth * scale_, withGlobalAlpha(state_.frameColor));
}

void CDrawContext::drawBitmap(CBitmap* bitmap, const CRect& dest, const CPoint& sourceOffset, float alpha) {
    if (!bitmap || !bitmap->getPlatformBitmap() || state_.clip.isEmpty()) return;
    if (!std::isfinite(alpha) || !isFinite(dest) || !isFinite(sourceOffset)) return;
    const float opacity = std::clamp(alpha, 0.f, 1.f) * state_.globalAlpha;
    if (opacity <= 0) return;
    if (scale_ == 1) {
        surface_.drawBitmap(*bitmap->getPlatformBitmap(), toDevice(dest), sourceOffset, opacity);
        return;
    }
    // The variant's own pixels per logical pixel (its sizes are rounded, so not quite the
    // scale); frame offsets land on its frame starts.
    const toolkit::IPlatformBitmap& image = *bitmap->getPlatformBitmap(scale_);
    const double ratioX = image.width() / bitmap->getWidth();
    const double ratioY = image.height() / bitmap->getHeight();
    const CRect device = toDevice(dest);
    const CRect source(sourceOffset.x * ratioX, sourceOffset.y * ratioY, (sourceOffset.x + dest.getWidth()) * ratioX,
                       (sourceOffset.y + dest.getHeight()) * ratioY);
    const CPoint wholeSource(std::round(source.left), std::round(source.top));
    if (std::abs(source.getWidth() - device.getWidth()) < 1 && std::abs(source.getHeight() - device.getHeight()) < 1)
        surface_.drawBitmap(image, device, wholeSource, opacity);
    else
        surface_.drawBitmapResampled(image, device, source, opacity);
}

const toolkit::IPlatformFont* CDrawContext::currentFont() {
    CFontDesc* font = state_.font.get();
    return font ? font->getScaledPlatformFont(scale_) : nullptr;
}

namespace {
// Back ends get well-formed UTF-8 only (cairo stops drawing on a malformed string).
const char* wellFormed(const char* text, std::string& repaired) {
    if (toolkit::isValidUtf8(text)) return text;
    repaired = toolkit::repairUtf8(text);
    return repaired.c_str();
}
}  // namespace

void CDrawContext::drawString(const char* text, const CPoint& origin) {
    if (!text || !*text || state_.clip.isEmpty() || !isFinite(origin)) return;
    std::string repaired;
    const char* utf8 = wellFormed(text, repaired);
    if (const toolkit::IPlatformFont* font = currentFont())
        surface_.drawText(*font, utf8, toDevice(origin), withGlobalAlpha(state_.fontColor));
}

void CDrawContext::drawString(const char* text, const CRect& rect, CHoriTxtAlign align) {
    if (!text || !*text || state_.clip.isEmpty() || !isFinite(rect)) return;
    std::string repaired;
    const char* utf8 = wellFormed(text, repaired);
    const toolkit::IPlatformFont* font = currentFont();
    if (!font) return;
    // Placed in device pixels with the metrics of the face at the scaled size.
    const CRect device = toDevice(rect);
    double x = device.left;
    if (align != kLeftText) {
        const double width = surface_.textWidth(*font, utf8);
        x = align == kCenterText ? device.left + (device.getWidth() - width) / 2 : device.right - width;
    }
    // Centre the ink between ascent and descent on the rectangle's middle.
    const double baseline = device.top + (device.getHeight() + font->ascent() - font->descent()) / 2;
    surface_.drawText(*font, utf8, CPoint(x, std::round(baseline)), withGlobalAlpha(state_.fontColor));
}

double CDrawContext::getStringWidth(const char* text) {
    if (!text || !*text) return 0;
    std::string repaired;
    const char* utf8 = wellFormed(text, repaired);
    const toolkit::IPlatformFont* font = currentFont();
    return font ? surface_.textWidth(*font, utf8) / scale_ : 0;
}
