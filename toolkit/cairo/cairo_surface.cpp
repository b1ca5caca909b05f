#include "toolkit/cairo/cairo_surface.h"

#include <cmath>
#include <numbers>

namespace toolkit::cairo {

namespace {

bool imageIsOpaque(cairo_surface_t* image) {
    if (cairo_image_surface_get_format(image) == CAIRO_FORMAT_RGB24) return true;
    if (cairo_image_surface_get_format(image) != CAIRO_FORMAT_ARGB32) return false;
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int stride = cairo_image_surface_get_stride(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    for (int y = 0; data && y < cairo_image_surface_get_height(image); ++y)
        if (!toolkit::allPixelsOpaque(data + static_cast<std::ptrdiff_t>(y) * stride, static_cast<std::size_t>(width)))
            return false;
    return data != nullptr;
}

}  // namespace

CairoBitmap::CairoBitmap(cairo_surface_t* image) : image_(image), opaque_(imageIsOpaque(image)) {}
CairoBitmap::~CairoBitmap() { cairo_surface_destroy(image_); }
int CairoBitmap::width() const { return cairo_image_surface_get_width(image_); }
int CairoBitmap::height() const { return cairo_image_surface_get_height(image_); }

CairoFont::CairoFont(cairo_scaled_font_t* font, double capHeight) : font_(font), capHeight_(capHeight) {
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(font_, &extents);
    ascent_ = extents.ascent;
    descent_ = extents.descent;
}

CairoFont::~CairoFont() { cairo_scaled_font_destroy(font_); }

CairoSurface::CairoSurface(cairo_t* context, int width, int height)
    : cr_(context), width_(width), height_(height), clip_(0, 0, width, height) {}

void CairoSurface::setColor(CColor color) {
    cairo_set_source_rgba(cr_, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
}

void CairoSurface::setClip(const CRect& clip) {
    cairo_reset_clip(cr_);
    cairo_new_path(cr_);
    cairo_rectangle(cr_, clip.left, clip.top, std::max(0.0, clip.getWidth()), std::max(0.0, clip.getHeight()));
    cairo_clip(cr_);
    clip_ = clip;
}

// The target's pixels when lines can be painted into them directly: an image in one of the
// two 32-bit formats, drawn without a transform, clipped to whole pixels.
bool CairoSurface::directPixels(PixelImage& image) const {
    cairo_surface_t* target = cairo_get_target(cr_);
    if (cairo_surface_get_type(target) != CAIRO_SURFACE_TYPE_IMAGE) return false;
    const cairo_format_t format = cairo_image_surface_get_format(target);
    if (format != CAIRO_FORMAT_ARGB32 && format != CAIRO_FORMAT_RGB24) return false;
    cairo_matrix_t matrix;
    cairo_get_matrix(cr_, &matrix);
    double offsetX = 0, offsetY = 0;
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    if (matrix.xx != 1 || matrix.yy != 1 || matrix.xy != 0 || matrix.yx != 0 || matrix.x0 != 0 || matrix.y0 != 0 ||
        offsetX != 0 || offsetY != 0)
        return false;
    for (double edge : {clip_.left, clip_.top, clip_.right, clip_.bottom})
        if (edge != std::floor(edge)) return false;
    cairo_surface_flush(target);
    image = PixelImage{cairo_image_surface_get_data(target), cairo_image_surface_get_stride(target),
                       cairo_image_surface_get_width(target), cairo_image_surface_get_height(target),
                       format == CAIRO_FORMAT_ARGB32};
    return image.data != nullptr;
}

void CairoSurface::drawLine(const CPoint& from, const CPoint& to, double width, LineCap cap, CColor color) {
    if (color.alpha == 0) return;
    PixelImage image;
    if (cairo_get_operator(cr_) == CAIRO_OPERATOR_OVER && directPixels(image)) {
        paintLine(image, clip_, from, to, width, cap, color);
        cairo_surface_mark_dirty(cairo_get_target(cr_));
        return;
    }
    cairo_set_line_width(cr_, width);
    cairo_set_line_cap(cr_, cap == LineCap::Round    ? CAIRO_LINE_CAP_ROUND
                            : cap == LineCap::Square ? CAIRO_LINE_CAP_SQUARE
                                                     : CAIRO_LINE_CAP_BUTT);
    setColor(color);
    cairo_move_to(cr_, from.x, from.y);
    cairo_line_to(cr_, to.x, to.y);
    cairo_stroke(cr_);
}

void CairoSurface::fillRect(const CRect& rect, CColor color) {
    if (color.alpha == 0 || rect.isEmpty()) return;
    setColor(color);
    cairo_rectangle(cr_, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_fill(cr_);
}

void CairoSurface::strokeRect(const CRect& rect, double width, CColor color) {
    if (color.alpha == 0 || rect.isEmpty()) return;
    setColor(color);
    cairo_set_line_width(cr_, width);
    cairo_rectangle(cr_, rect.left, rect.top, rect.getWidth(), rect.getHeight());
    cairo_stroke(cr_);
}

void CairoSurface::ellipsePath(const CRect& bounds) {
    cairo_save(cr_);
    cairo_translate(cr_, (bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2);
    cairo_scale(cr_, bounds.getWidth() / 2, bounds.getHeight() / 2);
    cairo_new_path(cr_);
    cairo_arc(cr_, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(cr_);  // keeps the path, restores the unscaled matrix for the stroke width
}

void CairoSurface::fillEllipse(const CRect& bounds, CColor color) {
    if (color.alpha == 0 || bounds.isEmpty()) return;
    setColor(color);
    ellipsePath(bounds);
    cairo_fill(cr_);
}

void CairoSurface::strokeEllipse(const CRect& bounds, double width, CColor color) {
    if (color.alpha == 0 || bounds.isEmpty()) return;
    setColor(color);
    cairo_set_line_width(cr_, width);
    ellipsePath(bounds);
    cairo_stroke(cr_);
}

void CairoSurface::drawBitmap(const IPlatformBitmap& bitmap, const CRect& dest, const CPoint& sourceOffset,
                              float alpha) {
    if (dest.isEmpty() || !(alpha > 0)) return;
    const auto& image = static_cast<const CairoBitmap&>(bitmap);
    const double x = dest.left - sourceOffset.x;
    const double y = dest.top - sourceOffset.y;
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr_);
    cairo_set_source_surface(cr_, image.image(), x, y);
    // Whole-pixel placement copies pixels 1:1; nearest filtering keeps frame edges sharp.
    if (x == std::floor(x) && y == std::floor(y))
        cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
    if (alpha >= 1) cairo_paint(cr_);
    else cairo_paint_with_alpha(cr_, alpha);
    cairo_restore(cr_);
}

void CairoSurface::drawBitmapResampled(const IPlatformBitmap& bitmap, const CRect& dest, const CRect& source,
                                       float alpha) {
    if (dest.isEmpty() || source.isEmpty() || !(alpha > 0)) return;
    const auto& image = static_cast<const CairoBitmap&>(bitmap);
    // The part alone, copied into an image of its own and its edges padded outwards, so
    // neighbouring frames of a strip never bleed into the filtering. (Padding a view into the
    // whole image instead lets pixman read past the image's memory.)
    const int width = static_cast<int>(std::ceil(source.getWidth())), height = static_cast<int>(std::ceil(source.getHeight()));
    cairo_surface_t* part = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(part) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(part);
        return;
    }
    cairo_t* copy = cairo_create(part);
    cairo_set_operator(copy, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(copy, image.image(), -source.left, -source.top);
    cairo_paint(copy);
    cairo_destroy(copy);
    cairo_save(cr_);
    cairo_rectangle(cr_, dest.left, dest.top, dest.getWidth(), dest.getHeight());
    cairo_clip(cr_);
    cairo_translate(cr_, dest.left, dest.top);
    cairo_scale(cr_, dest.getWidth() / source.getWidth(), dest.getHeight() / source.getHeight());
    cairo_set_source_surface(cr_, part, 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    if (alpha >= 1) cairo_paint(cr_);
    else cairo_paint_with_alpha(cr_, alpha);
    cairo_restore(cr_);
    cairo_surface_destroy(part);
}

void CairoSurface::drawText(const IPlatformFont& font, const char* utf8, const CPoint& origin, CColor color) {
    if (!utf8 || !*utf8 || color.alpha == 0) return;
    cairo_set_scaled_font(cr_, static_cast<const CairoFont&>(font).scaledFont());
    setColor(color);
    cairo_move_to(cr_, origin.x, origin.y);
    cairo_show_text(cr_, utf8);
    cairo_new_path(cr_);
}

double CairoSurface::textWidth(const IPlatformFont& font, const char* utf8) {
    if (!utf8 || !*utf8) return 0;
    cairo_text_extents_t extents;
    cairo_scaled_font_text_extents(static_cast<const CairoFont&>(font).scaledFont(), utf8, &extents);
    return extents.x_advance;
}

}  // namespace toolkit::cairo
