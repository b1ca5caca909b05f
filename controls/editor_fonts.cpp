#include "controls/editor_fonts.h"

#include "controls/custom_font.h"
#include "controls/resource_font_platform.h"

namespace {

// Holds a font from first use until the library is unloaded (a host that unloads and loads
// the plug-in again gets no second copy left behind).
template <class Font>
struct KeptFont {
    Font* font;
    ~KeptFont() { font->forget(); }
};

}  // namespace

CFontDesc* smallTextFont() {
    static const KeptFont<CFontDesc> kept{new CFontDesc("Arial Narrow", 11)};
    return kept.font;
}

CZEBCustomFont* resourceFont() {
    static const KeptFont<CZEBCustomFont> kept{[] {
        editor::prepareResourceFontForPlatform(38, toolkit::kNormalFace);
        return new CZEBCustomFont(38);
    }()};
    return kept.font;
}

CZEBCustomFont* labelFont() {
    static const KeptFont<CZEBCustomFont> kept{[] {
        resourceFont();  // the face is made ready for the platform with the first one
        return new CZEBCustomFont(22);
    }()};
    return kept.font;
}
