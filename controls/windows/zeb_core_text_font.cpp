#include "controls/windows/zeb_core_text_font.h"

#include <mutex>
#include <vector>

#include "controls/windows/resource_font_loaders.h"

namespace editor {
namespace {

template <class T>
void releaseAndClear(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// The loaders are registered once per factory; fonts that share a factory share the
// registration, and the last one to go unregisters them.
struct FactoryRegistration {
    IDWriteFactory* factory;
    HRESULT outcome;
    int users;
};

std::mutex registrationMutex;
std::vector<FactoryRegistration> registrations;
int registrationCount = 0;

HRESULT acquireRegistration(IDWriteFactory* factory) {
    std::lock_guard<std::mutex> lock(registrationMutex);
    for (FactoryRegistration& entry : registrations) {
        if (entry.factory == factory) {
            ++entry.users;
            return entry.outcome;
        }
    }
    ++registrationCount;
    HRESULT outcome = factory->RegisterFontFileLoader(ResourceFontFileLoader::instance());
    if (SUCCEEDED(outcome)) {
        outcome = factory->RegisterFontCollectionLoader(ResourceFontCollectionLoader::instance());
        if (FAILED(outcome)) factory->UnregisterFontFileLoader(ResourceFontFileLoader::instance());
    }
    registrations.push_back({factory, outcome, 1});
    return outcome;
}

void releaseRegistration(IDWriteFactory* factory) {
    std::lock_guard<std::mutex> lock(registrationMutex);
    for (auto it = registrations.begin(); it != registrations.end(); ++it) {
        if (it->factory != factory) continue;
        if (--it->users == 0) {
            if (SUCCEEDED(it->outcome)) {
                factory->UnregisterFontCollectionLoader(ResourceFontCollectionLoader::instance());
                factory->UnregisterFontFileLoader(ResourceFontFileLoader::instance());
            }
            registrations.erase(it);
        }
        return;
    }
}

std::wstring faceNameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    if (name.size() > ZEBCoreTextFont::kMaxFaceNameChars) name.resize(ZEBCoreTextFont::kMaxFaceNameChars);
    return name;
}

}  // namespace

int ZEBCoreTextFont::loaderRegistrationCount() {
    std::lock_guard<std::mutex> lock(registrationMutex);
    return registrationCount;
}

ZEBCoreTextFont::ZEBCoreTextFont(const wchar_t* fontFilePath, double size, int style)
    : path_(fontFilePath ? fontFilePath : L""),
      faceName_(faceNameOf(path_)),
      size_(size > 0 && size < 10000 ? size : 12),
      weight_((style & 0x1) ? DWRITE_FONT_WEIGHT_BOLD : DWRITE_FONT_WEIGHT_NORMAL),
      italic_((style & 0x2) != 0) {
    if (!path_.empty()) gdiFileRegistered_ = AddFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr) > 0;
    LOGFONTW font{};
    font.lfHeight = -static_cast<LONG>(size_ + 0.5);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    font.lfQuality = ANTIALIASED_QUALITY;
    faceName_.copy(font.lfFaceName, LF_FACESIZE - 1);
    gdiFont_ = CreateFontIndirectW(&font);
}

ZEBCoreTextFont::~ZEBCoreTextFont() {
    if (gdiFont_) DeleteObject(gdiFont_);
    if (gdiFileRegistered_) RemoveFontResourceExW(path_.c_str(), FR_PRIVATE, nullptr);
    releaseAndClear(collection_);
    if (factory_) {
        releaseRegistration(factory_);
        factory_->Release();
    }
}

HRESULT ZEBCoreTextFont::bindFactory(IDWriteFactory* factory) {
    if (factory_) return registration_;
    factory_ = factory;
    factory_->AddRef();
    registration_ = acquireRegistration(factory_);
    return registration_;
}

void ZEBCoreTextFont::measure() {
    IDWriteFontFamily* family = nullptr;
    IDWriteFont* font = nullptr;
    if (SUCCEEDED(collection_->GetFontFamily(0, &family)) && SUCCEEDED(family->GetFont(0, &font))) {
        DWRITE_FONT_METRICS metrics{};
        font->GetMetrics(&metrics);
        if (metrics.designUnitsPerEm > 0) {
            const double scale = size_ / metrics.designUnitsPerEm;
            ascent_ = metrics.ascent * scale;
            descent_ = metrics.descent * scale;
            leading_ = metrics.lineGap * scale;
            capHeight_ = metrics.capHeight * scale;
        }
    }
    releaseAndClear(font);
    releaseAndClear(family);
}

HRESULT ZEBCoreTextFont::prepareFace(IDWriteFactory* factory) {
    if (!factory) return E_POINTER;
    HRESULT result = bindFactory(factory);
    if (FAILED(result) || collection_) return result;
    const std::uint32_t key = kFontResourceId;
    result = factory_->CreateCustomFontCollection(ResourceFontCollectionLoader::instance(), &key, sizeof key,
                                                  &collection_);
    if (FAILED(result)) {
        collection_ = nullptr;
        return result;
    }
    measure();
    return S_OK;
}

HRESULT ZEBCoreTextFont::makeLayout(IDWriteFactory* factory, const wchar_t* text, UINT32 length,
                                    IDWriteTextLayout** layout) {
    *layout = nullptr;
    HRESULT result = prepareFace(factory);
    if (FAILED(result)) return result;
    IDWriteTextFormat* format = nullptr;
    result = factory_->CreateTextFormat(faceName_.c_str(), collection_, weight_,
                                        italic_ ? DWRITE_FONT_STYLE_ITALIC : DWRITE_FONT_STYLE_NORMAL,
                                        DWRITE_FONT_STRETCH_NORMAL, static_cast<FLOAT>(size_), L"en-us", &format);
    if (FAILED(result)) return result;
    result = factory_->CreateTextLayout(text ? text : L"", length, format, 10000.f, 1000.f, layout);
    if (FAILED(result)) *layout = nullptr;
    releaseAndClear(format);
    return result;
}

HRESULT ZEBCoreTextFont::drawString(ID2D1RenderTarget* target, IDWriteFactory* factory, const wchar_t* text,
                                    UINT32 length, D2D1_POINT_2F origin, ID2D1Brush* brush) {
    if (!target || !factory || !brush || (!text && length > 0)) return E_POINTER;
    IDWriteTextLayout* layout = nullptr;
    const HRESULT result = makeLayout(factory, text, length, &layout);
    if (SUCCEEDED(result)) {
        target->DrawTextLayout(origin, layout, brush, D2D1_DRAW_TEXT_OPTIONS_NONE);
        measure();
    }
    releaseAndClear(layout);
    return result;
}

HRESULT ZEBCoreTextFont::measureString(IDWriteFactory* factory, const wchar_t* text, UINT32 length, double* width,
                                       double* baseline) {
    if (!factory || !width || !baseline || (!text && length > 0)) return E_POINTER;
    IDWriteTextLayout* layout = nullptr;
    HRESULT result = makeLayout(factory, text, length, &layout);
    DWRITE_TEXT_METRICS metrics{};
    if (SUCCEEDED(result)) result = layout->GetMetrics(&metrics);
    DWRITE_LINE_METRICS line{};
    UINT32 lines = 0;
    // An empty text may report no line; its baseline is still the face's ascent.
    if (SUCCEEDED(result) && (FAILED(layout->GetLineMetrics(&line, 1, &lines)) || lines < 1))
        line.baseline = static_cast<FLOAT>(ascent_);
    if (SUCCEEDED(result)) {
        *width = metrics.widthIncludingTrailingWhitespace;
        *baseline = line.baseline;
    }
    releaseAndClear(layout);
    return result;
}

std::unique_ptr<ZEBCoreTextFont> createResourceCoreTextFont(double size, int style) {
    wchar_t folder[1026] = {};
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"SOFTWARE\\Kestrune\\ZEBDIALS300", 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD type = 0;
        DWORD bytes = sizeof folder - sizeof(wchar_t);  // keeps room for the terminator
        if (RegQueryValueExW(key, L"ManualPath", nullptr, &type, reinterpret_cast<BYTE*>(folder), &bytes) !=
                ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ))
            folder[0] = 0;
        folder[sizeof folder / sizeof folder[0] - 1] = 0;
        RegCloseKey(key);
    }
    std::wstring path = folder;
    if (!path.empty() && path.back() != L'\\' && path.back() != L'/') path += L'\\';
    path += L"ZEBAldermark.zft";
    return std::make_unique<ZEBCoreTextFont>(path.c_str(), size, style);
}

}  // namespace editor
