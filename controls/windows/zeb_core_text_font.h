#pragma once
// The resource font on Windows: drawn with DirectWrite from a private collection read out
// of font resource 111 by the resource loaders, and made available to GDI for the process
// from the font file next to the manual.
#include <windows.h>
#include <d2d1.h>
#include <dwrite.h>

#include <memory>
#include <string>

#include "toolkit/backend.h"

namespace editor {

class ZEBCoreTextFont : public toolkit::IPlatformFont {
public:
    static constexpr std::uint32_t kFontResourceId = 111;
    static constexpr std::size_t kMaxFaceNameChars = 255;

    // `fontFilePath` names the font file for GDI; the face name is its file name without
    // the extension. Style bits: 0x1 bold (weight 700), 0x2 italic.
    ZEBCoreTextFont(const wchar_t* fontFilePath, double size, int style);
    ~ZEBCoreTextFont() override;
    ZEBCoreTextFont(const ZEBCoreTextFont&) = delete;
    ZEBCoreTextFont& operator=(const ZEBCoreTextFont&) = delete;

    // Draws `text` with its layout box at `origin`. The first call binds the font to
    // `factory` and registers the resource loaders with it; a failed registration is
    // answered by this and every later call without drawing.
    HRESULT drawString(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                       D2D1_POINT_2F origin, ID2D1Brush* brush);

    // Binds the font to `factory` as drawString does, makes the collection and reads the
    // face's metrics, so that they are known before the first drawing.
    HRESULT prepareFace(IDWriteFactory* factory);

    // Lays `text` out as drawString would and gives its advance width and the distance from
    // the top of the layout box to the baseline (pixels); binds the factory like drawString.
    HRESULT measureString(IDWriteFactory* factory, const wchar_t* text, UINT32 length, double* width,
                          double* baseline);

    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    double capHeight() const override { return capHeight_; }
    double leading() const { return leading_; }
    double size() const { return size_; }
    DWRITE_FONT_WEIGHT weight() const { return weight_; }
    bool italic() const { return italic_; }
    const std::wstring& faceName() const { return faceName_; }
    const std::wstring& fontFilePath() const { return path_; }
    HFONT gdiFont() const { return gdiFont_; }
    // Whether GDI took the font file for the process.
    bool gdiFileRegistered() const { return gdiFileRegistered_; }
    // Outcome of registering the loaders: S_FALSE while not tried yet.
    HRESULT loaderRegistration() const { return registration_; }

    // How often the loaders were registered with a factory in this process (for checks).
    static int loaderRegistrationCount();

private:
    HRESULT bindFactory(IDWriteFactory* factory);
    // The layout of `text` in the resource face; the caller releases it.
    HRESULT makeLayout(IDWriteFactory* factory, const wchar_t* text, UINT32 length, IDWriteTextLayout** layout);
    void measure();

    std::wstring path_;
    std::wstring faceName_;
    double size_;                         // pixels
    DWRITE_FONT_WEIGHT weight_;
    bool italic_;
    HFONT gdiFont_ = nullptr;
    bool gdiFileRegistered_ = false;
    double ascent_ = 34.96;               // pixels, measured once the face is prepared
    double descent_ = 8.74;
    double leading_ = 0;
    double capHeight_ = 25.12;
    IDWriteFactory* factory_ = nullptr;   // the factory the font was first used with
    HRESULT registration_ = S_FALSE;
    IDWriteFontCollection* collection_ = nullptr;
};

// Reads "ManualPath" (the manual's folder) from the user's settings key and creates the
// resource font for "ZEBAldermark.zft" there; a missing value leaves the bare file name.
std::unique_ptr<ZEBCoreTextFont> createResourceCoreTextFont(double size, int style);

// The process's resource font, made with the editor's resource font; null before that.
ZEBCoreTextFont* processResourceCoreTextFont();

}  // namespace editor
