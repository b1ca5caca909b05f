#pragma once
// The toolkit's face for the resource font family on Windows: text drawn and measured by a
// ZEBCoreTextFont, in the Direct2D target the toolkit draws into.
#include <memory>

#include "controls/windows/zeb_core_text_font.h"
#include "toolkit/windows/d2d_text_font.h"

namespace editor {

class CoreTextPlatformFont : public toolkit::windows::D2DTextFont {
public:
    // Draws with `font`, which must outlive this object (the process's resource font).
    explicit CoreTextPlatformFont(ZEBCoreTextFont& font) : font_(&font) {}
    // Draws with a font of its own (other sizes or styles).
    explicit CoreTextPlatformFont(std::unique_ptr<ZEBCoreTextFont> font)
        : owned_(std::move(font)), font_(owned_.get()) {}

    void drawText(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                  D2D1_POINT_2F baselineOrigin, ID2D1Brush* brush) const override;
    double textWidth(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const override;
    // The font's metrics, measured from the face once it is prepared.
    double ascent() const override { return font_->ascent(); }
    double descent() const override { return font_->descent(); }
    double capHeight() const override { return font_->capHeight(); }

    ZEBCoreTextFont& coreFont() const { return *font_; }
    // How many strings this face has drawn (GUI thread only).
    int stringsDrawn() const { return stringsDrawn_; }

private:
    std::unique_ptr<ZEBCoreTextFont> owned_;
    ZEBCoreTextFont* font_;            // never null
    mutable int stringsDrawn_ = 0;     // counts drawString calls that succeeded
};

// The toolkit face for the resource family at `size` and FontStyle bits `style`: the process
// font when they match it, else a font of its own, prepared on `factory` so that its metrics
// are the face's; null before the process font exists or when the face cannot be read.
std::shared_ptr<toolkit::windows::D2DTextFont> makeResourcePlatformFont(IDWriteFactory* factory, double size,
                                                                        int style);

}  // namespace editor
