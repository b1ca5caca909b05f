#include "editor/editor_fonts.h"

#include "editor/custom_font.h"
#include "editor/resource_font_platform.h"

CFontDesc* smallTextFont() {
    static CFontDesc* font = new CFontDesc("Arial Narrow", 11);
    return font;
}

CZEBCustomFont* resourceFont() {
    static CZEBCustomFont* font = [] {
        editor::prepareResourceFontForPlatform(38, toolkit::kNormalFace);
        return new CZEBCustomFont(38);
    }();
    return font;
}

CZEBCustomFont* labelFont() {
    static CZEBCustomFont* font = [] {
        resourceFont();  // the face is made ready for the platform with the first one
        return new CZEBCustomFont(22);
    }();
    return font;
}
