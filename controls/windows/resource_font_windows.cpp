// Windows: the resource font's DirectWrite face and its private GDI registration, made once
// with the process-wide resource font and released when the library unloads. The toolkit
// draws the resource family through it.
#include <memory>
#include <mutex>

#include "controls/custom_font.h"
#include "controls/resource_font_platform.h"
#include "controls/windows/core_text_platform_font.h"

namespace editor {
namespace {

std::unique_ptr<ZEBCoreTextFont>& processFont() {
    static std::unique_ptr<ZEBCoreTextFont> font;
    return font;
}

bool matches(const ZEBCoreTextFont& font, double size, int style) {
    return font.size() == size && (font.weight() == DWRITE_FONT_WEIGHT_BOLD) == ((style & toolkit::kBoldFace) != 0) &&
           font.italic() == ((style & toolkit::kItalicFace) != 0);
}

}  // namespace

void prepareResourceFontForPlatform(double size, int style) {
    static std::once_flag once;
    std::call_once(once, [size, style] {
        processFont() = createResourceCoreTextFont(size, style);
        toolkit::windows::registerFamilyFontFactory(CZEBCustomFont::kFaceName, &makeResourcePlatformFont);
    });
}

ZEBCoreTextFont* processResourceCoreTextFont() { return processFont().get(); }

std::shared_ptr<toolkit::windows::D2DTextFont> makeResourcePlatformFont(IDWriteFactory* factory, double size,
                                                                        int style) {
    ZEBCoreTextFont* shared = processResourceCoreTextFont();
    if (!shared || !factory) return nullptr;
    // The process font is released at unload, not by the faces that draw with it.
    auto face = matches(*shared, size, style)
                    ? std::make_shared<CoreTextPlatformFont>(*shared)
                    : std::make_shared<CoreTextPlatformFont>(createResourceCoreTextFont(size, style));
    if (FAILED(face->coreFont().prepareFace(factory))) return nullptr;
    return face;
}

void CoreTextPlatformFont::drawText(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text,
                                    UINT32 length, D2D1_POINT_2F baselineOrigin, ID2D1Brush* brush) const {
    double width = 0;
    double baseline = 0;
    // The core font places its layout box by the top edge; the toolkit gives the baseline.
    if (FAILED(font_->measureString(factory, text, length, &width, &baseline))) return;
    const D2D1_POINT_2F topLeft{baselineOrigin.x, static_cast<FLOAT>(baselineOrigin.y - baseline)};
    if (SUCCEEDED(font_->drawString(target, factory, text, length, topLeft, brush))) ++stringsDrawn_;
}

double CoreTextPlatformFont::textWidth(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const {
    double width = 0;
    double baseline = 0;
    return SUCCEEDED(font_->measureString(factory, text, length, &width, &baseline)) ? width : 0;
}

}  // namespace editor
