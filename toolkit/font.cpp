#include "toolkit/font.h"

#include <cmath>

CFontDesc::CFontDesc(const char* name, double size, int style)
    : name_(name ? name : ""), size_(std::isfinite(size) && size > 0 ? size : 12), style_(style) {}

void CFontDesc::setName(const char* name) {
    name_ = name ? name : "";
    platformFont_.reset();
}

void CFontDesc::setSize(double size) {
    if (!std::isfinite(size) || size <= 0) return;
    size_ = size;
    platformFont_.reset();
}

void CFontDesc::setStyle(int style) {
    style_ = style;
    platformFont_.reset();
}

const toolkit::IPlatformFont* CFontDesc::getPlatformFont() {
    if (!platformFont_) platformFont_ = createFace(size_);
    return platformFont_.get();
}

std::shared_ptr<toolkit::IPlatformFont> CFontDesc::createFace(double size) {
    return toolkit::createFont(name_.c_str(), size, style_);
}

const toolkit::IPlatformFont* CFontDesc::getScaledPlatformFont(double scale) {
    if (!(std::isfinite(scale) && scale > 0) || scale == 1) return getPlatformFont();
    const double size = size_ * scale;
    if (!scaledFont_ || scaledSize_ != size || scaledStyle_ != style_ || scaledName_ != name_) {
        scaledFont_ = createFace(size);
        scaledSize_ = size;
        scaledStyle_ = style_;
        scaledName_ = name_;
    }
    return scaledFont_.get();
}

bool CFontDesc::registerFontFace(const char* family, const unsigned char* data, std::size_t size) {
    if (!family || !*family || !data || size == 0) return false;
    return toolkit::registerFontFace(family, data, size);
}

CFontDesc* defaultFont() {
    // Lives for the process; never released, so views may keep pointers to it.
    static CFontDesc* font = new CFontDesc("Arial Narrow", 12);
    return font;
}
