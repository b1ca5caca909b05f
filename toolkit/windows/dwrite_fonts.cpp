// Fonts through DirectWrite: families with a font factory of their own (d2d_text_font.h)
// first, then faces registered from memory (each in a small collection of its own, read by
// the memory font loaders), then the system's families with metric-compatible stand-ins
// for missing ones. Faces are also made private to GDI so that native edit boxes can show
// them.
#include <cwctype>
#include <map>
#include <mutex>
#include <string>

#include "toolkit/backend.h"
#include "toolkit/windows/com_support.h"
#include "toolkit/windows/d2d_surface.h"
#include "toolkit/windows/d2d_text_font.h"
#include "toolkit/windows/factories.h"
#include "toolkit/windows/memory_font_loader.h"

namespace toolkit {
namespace {

using windows::ComRef;
using windows::D2DFont;
using windows::factories;

// ---- Family lookup

std::wstring lowercase(std::wstring text) {
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    return text;
}

std::wstring englishName(IDWriteFontFamily* family) {
    ComRef<IDWriteLocalizedStrings> names;
    if (FAILED(family->GetFamilyNames(names.put()))) return {};
    UINT32 index = 0;
    BOOL exists = FALSE;
    if (FAILED(names->FindLocaleName(L"en-us", &index, &exists)) || !exists) index = 0;
    UINT32 length = 0;
    if (FAILED(names->GetStringLength(index, &length))) return {};
    std::wstring name(length + 1, L'\0');
    if (FAILED(names->GetString(index, name.data(), length + 1))) return {};
    name.resize(length);
    return name;
}

// A family resolved in a collection, with the stretch asked of it.
struct Resolved {
    ComRef<IDWriteFontCollection> collection;
    ComRef<IDWriteFontFamily> family;
    std::wstring name;
    DWRITE_FONT_STRETCH stretch = DWRITE_FONT_STRETCH_NORMAL;
};

struct Registry {
    bool loadersTried = false;
    bool loadersRegistered = false;
    std::map<std::wstring, Resolved> registered;  // by lowercase family
};

std::mutex& registryMutex() {
    static std::mutex mutex;
    return mutex;
}

Registry& registry() {
    static auto* instance = new Registry();  // guarded by registryMutex(); lives for the process
    return *instance;
}

// Our factory is never released, so the loaders stay registered for the process.
bool ensureLoaders(Registry& r, IDWriteFactory* dwrite) {
    if (r.loadersTried) return r.loadersRegistered;
    r.loadersTried = true;
    IDWriteFontFileLoader* fileLoader = windows::memoryFontFileLoader();
    IDWriteFontCollectionLoader* collectionLoader = windows::memoryFontCollectionLoader();
    r.loadersRegistered = fileLoader && collectionLoader && SUCCEEDED(dwrite->RegisterFontFileLoader(fileLoader)) &&
                          SUCCEEDED(dwrite->RegisterFontCollectionLoader(collectionLoader));
    return r.loadersRegistered;
}

bool findSystemFamily(IDWriteFontCollection* system, const wchar_t* name, DWRITE_FONT_STRETCH stretch,
                      Resolved& out) {
    UINT32 index = 0;
    BOOL exists = FALSE;
    if (FAILED(system->FindFamilyName(name, &index, &exists)) || !exists) return false;
    if (FAILED(system->GetFontFamily(index, out.family.put()))) return false;
    out.collection.share(system);
    out.name = name;
    out.stretch = stretch;
    return true;
}

// The wanted family, else a stand-in of the same width class, else any sans face.
bool resolveSystem(IDWriteFactory* dwrite, const std::wstring& wanted, Resolved& out) {
    ComRef<IDWriteFontCollection> system;
    if (FAILED(dwrite->GetSystemFontCollection(system.put(), FALSE))) return false;
    if (!wanted.empty() && findSystemFamily(system.get(), wanted.c_str(), DWRITE_FONT_STRETCH_NORMAL, out))
        return true;
    const std::wstring key = lowercase(wanted);
    const bool wantsNarrow = key.empty() || key == L"arial narrow" || key == L"liberation sans narrow";
    struct Candidate {
        const wchar_t* name;
        DWRITE_FONT_STRETCH stretch;
    };
    static const Candidate narrowFaces[] = {
        {L"Arial Narrow", DWRITE_FONT_STRETCH_NORMAL},
        {L"Liberation Sans Narrow", DWRITE_FONT_STRETCH_NORMAL},
        // Some systems file the narrow faces under their wide family.
        {L"Liberation Sans", DWRITE_FONT_STRETCH_CONDENSED},
        {L"Arial", DWRITE_FONT_STRETCH_CONDENSED},
    };
    static const Candidate anyFaces[] = {
        {L"Arial", DWRITE_FONT_STRETCH_NORMAL},         {L"Liberation Sans", DWRITE_FONT_STRETCH_NORMAL},
        {L"Segoe UI", DWRITE_FONT_STRETCH_NORMAL},      {L"Tahoma", DWRITE_FONT_STRETCH_NORMAL},
        {L"DejaVu Sans", DWRITE_FONT_STRETCH_NORMAL},
    };
    if (wantsNarrow)
        for (const Candidate& c : narrowFaces)
            if (findSystemFamily(system.get(), c.name, c.stretch, out)) return true;
    for (const Candidate& c : anyFaces)
        if (findSystemFamily(system.get(), c.name, c.stretch, out)) return true;
    // Whatever the system has.
    if (system->GetFontFamilyCount() == 0 || FAILED(system->GetFontFamily(0, out.family.put()))) return false;
    out.collection = system;
    out.name = englishName(out.family.get());
    out.stretch = DWRITE_FONT_STRETCH_NORMAL;
    return !out.name.empty();
}

}  // namespace

bool registerFontFace(const char* family, const unsigned char* data, std::size_t size) {
    if (!family || !*family || !data || size == 0 || size > 0xFFFFFFFFu) return false;
    IDWriteFactory* dwrite = factories().dwrite;
    if (!dwrite) return false;
    const std::wstring key = lowercase(windows::widen(family));
    std::unique_lock<std::mutex> lock(registryMutex());
    Registry& r = registry();
    if (r.registered.count(key)) return true;  // first registration wins
    if (!ensureLoaders(r, dwrite)) return false;
    const std::uint32_t index = windows::addMemoryFace(data, static_cast<std::uint32_t>(size));
    lock.unlock();  // DirectWrite reads the face now, through the loaders
    Resolved face;
    const bool made = SUCCEEDED(dwrite->CreateCustomFontCollection(windows::memoryFontCollectionLoader(), &index,
                                                                   sizeof index,
                                                                   face.collection.put())) &&
                      face.collection->GetFontFamilyCount() > 0 &&
                      SUCCEEDED(face.collection->GetFontFamily(0, face.family.put()));
    if (!made) return false;  // the bytes are no face DirectWrite can read
    face.name = englishName(face.family.get());
    if (face.name.empty()) return false;
    // Private to this process for GDI as well (native edit boxes).
    DWORD installed = 0;
    AddFontMemResourceEx(const_cast<unsigned char*>(data), static_cast<DWORD>(size), nullptr, &installed);
    lock.lock();
    r.registered.emplace(key, std::move(face));
    return true;
}

std::shared_ptr<IPlatformFont> createFont(const char* family, double size, int style) {
    if (!(size > 0 && size < 10000)) return nullptr;
    IDWriteFactory* dwrite = factories().dwrite;
    if (!dwrite) return nullptr;
    if (windows::FamilyFontFactory make = windows::familyFontFactory(family))
        if (std::shared_ptr<IPlatformFont> own = make(dwrite, size, style)) return own;
    const std::wstring wanted = windows::widen(family && *family ? family : "Arial Narrow");
    Resolved face;
    {
        std::lock_guard<std::mutex> lock(registryMutex());
        auto found = registry().registered.find(lowercase(wanted));
        if (found != registry().registered.end()) face = found->second;
    }
    if (!face.family && !resolveSystem(dwrite, wanted, face)) return nullptr;

    const DWRITE_FONT_WEIGHT weight = (style & kBoldFace) ? DWRITE_FONT_WEIGHT_BOLD : DWRITE_FONT_WEIGHT_NORMAL;
    const DWRITE_FONT_STYLE slant = (style & kItalicFace) ? DWRITE_FONT_STYLE_ITALIC : DWRITE_FONT_STYLE_NORMAL;
    ComRef<IDWriteTextFormat> format;
    if (FAILED(dwrite->CreateTextFormat(face.name.c_str(), face.collection.get(), weight, slant, face.stretch,
                                        static_cast<float>(size), L"en-us", format.put())))
        return nullptr;
    format->SetWordWrapping(DWRITE_WORD_WRAPPING_NO_WRAP);
    format->SetTextAlignment(DWRITE_TEXT_ALIGNMENT_LEADING);
    format->SetParagraphAlignment(DWRITE_PARAGRAPH_ALIGNMENT_NEAR);

    // Metrics of the face DirectWrite will draw with.
    double ascent = size * 0.9, descent = size * 0.2, capHeight = size * 0.7;
    ComRef<IDWriteFont> font;
    if (SUCCEEDED(face.family->GetFirstMatchingFont(weight, face.stretch, slant, font.put()))) {
        DWRITE_FONT_METRICS metrics{};
        font->GetMetrics(&metrics);
        if (metrics.designUnitsPerEm > 0) {
            const double scale = size / metrics.designUnitsPerEm;
            ascent = metrics.ascent * scale;
            descent = metrics.descent * scale;
            if (metrics.capHeight > 0) capHeight = metrics.capHeight * scale;
        }
    }
    return std::make_shared<D2DFont>(std::move(format), ascent, descent, capHeight);
}

}  // namespace toolkit
