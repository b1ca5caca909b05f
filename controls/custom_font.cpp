#include "controls/custom_font.h"

#include <cstring>
#include <mutex>

#include "controls/resource_font_platform.h"
#include "platform/resources.h"

namespace {

constexpr double kInitialSize = 38;  // the size the initial metrics belong to

}  // namespace

CZEBCustomFont::CZEBCustomFont(double size, int style)
    : CFontDesc("doesn't matter", size, style),
      ascent_(kInitialAscent * getSize() / kInitialSize),
      descent_(kInitialDescent * getSize() / kInitialSize),
      leading_(kInitialLeading),
      capHeight_(kInitialCapHeight * getSize() / kInitialSize) {
    // The platform's own font for the face is made with the first description.
    editor::prepareResourceFontForPlatform(getSize(), getStyle());
    registerResourceFace();
}

bool CZEBCustomFont::registerResourceFace() {
    static std::once_flag once;
    static bool registered = false;
    std::call_once(once, [] {
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        if (platform::findResource(platform::ResourceType::Font, kResourceId, &data, &size))
            registered = CFontDesc::registerFontFace(kFaceName, data, size);
    });
    return registered;
}

const toolkit::IPlatformFont* CZEBCustomFont::getPlatformFont() {
    if (!face_ || faceSize_ != getSize() || faceStyle_ != getStyle()) {
        face_.reset();
        face_ = createFace(getSize());
        faceSize_ = getSize();
        faceStyle_ = getStyle();
        if (face_) {
            ascent_ = face_->ascent();
            descent_ = face_->descent();
            capHeight_ = face_->capHeight();
        }
    }
    return face_.get();
}

std::shared_ptr<toolkit::IPlatformFont> CZEBCustomFont::createFace(double size) {
    // Without the resource face the toolkit picks a close system face, so text still shows.
    registerResourceFace();
    return toolkit::createFont(kFaceName, size, getStyle());
}

bool CZEBCustomFont::isTypeOf(const char* name) const {
    return (name && std::strcmp(name, "CZEBCustomFont") == 0) || CFontDesc::isTypeOf(name);
}
