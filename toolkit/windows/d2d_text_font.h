#pragma once
// Windows platform fonts draw their own text into Direct2D targets, so a family can be
// served by a font that lays out text its own way (a face read straight from resources,
// say). Header-only: libraries beneath the toolkit register families without linking it.
#include <d2d1.h>
#include <dwrite.h>

#include <cctype>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "toolkit/backend.h"

namespace toolkit::windows {

// Every platform font on Windows is one of these; the Direct2D surface draws through it.
class D2DTextFont : public IPlatformFont {
public:
    // Draws `text` with its baseline starting at `baselineOrigin` (target pixels).
    virtual void drawText(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                          D2D1_POINT_2F baselineOrigin, ID2D1Brush* brush) const = 0;
    // Advance width of `text` in pixels; 0 when it cannot be laid out.
    virtual double textWidth(IDWriteFactory* factory, const wchar_t* text, UINT32 length) const = 0;
};

// Makes the font of one family at `size` pixels with FontStyle bits `style`, for drawing
// with `factory` (the toolkit's DirectWrite factory, never null); null lets the ordinary
// lookup answer instead.
using FamilyFontFactory = std::shared_ptr<D2DTextFont> (*)(IDWriteFactory* factory, double size, int style);

namespace detail {

struct FamilyFontFactories {
    std::mutex mutex;
    std::vector<std::pair<std::string, FamilyFontFactory>> entries;  // by lowercase family
};

inline FamilyFontFactories& familyFontFactories() {
    static auto* instance = new FamilyFontFactories();  // lives for the process
    return *instance;
}

inline std::string lowercaseAscii(const char* text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace detail

// From now on createFont answers `family` (any letter case) with what `factory` makes.
// The first factory registered for a family stays; false for an empty family or a null factory.
inline bool registerFamilyFontFactory(const char* family, FamilyFontFactory factory) {
    if (!family || !*family || !factory) return false;
    detail::FamilyFontFactories& all = detail::familyFontFactories();
    const std::string key = detail::lowercaseAscii(family);
    std::lock_guard<std::mutex> lock(all.mutex);
    for (const auto& entry : all.entries)
        if (entry.first == key) return entry.second == factory;
    all.entries.emplace_back(key, factory);
    return true;
}

// The factory registered for `family`, or null.
inline FamilyFontFactory familyFontFactory(const char* family) {
    if (!family || !*family) return nullptr;
    detail::FamilyFontFactories& all = detail::familyFontFactories();
    const std::string key = detail::lowercaseAscii(family);
    std::lock_guard<std::mutex> lock(all.mutex);
    for (const auto& entry : all.entries)
        if (entry.first == key) return entry.second;
    return nullptr;
}

}  // namespace toolkit::windows
