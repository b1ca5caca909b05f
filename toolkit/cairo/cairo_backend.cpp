// The cairo back end's resources: PNG decoding, fonts (faces registered from memory, then
// fontconfig's system fonts) and off-screen images.
#include <cairo-ft.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "toolkit/backend.h"
#include "toolkit/cairo/cairo_surface.h"

namespace toolkit {
namespace {

using cairo::CairoBitmap;
using cairo::CairoFont;
using cairo::CairoSurface;

// ---- PNG

struct MemoryReader {
    const unsigned char* data;
    std::size_t size;
    std::size_t position;
};

cairo_status_t readFromMemory(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<MemoryReader*>(closure);
    if (length > reader->size - reader->position) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data + reader->position, length);
    reader->position += length;
    return CAIRO_STATUS_SUCCESS;
}

// ---- Fonts

std::string lowercase(const char* text) {
    std::string out(text ? text : "");
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Faces live for the process: cairo caches fonts made from them and may use them late.
struct FaceRecord {
    FT_Face face = nullptr;
    cairo_font_face_t* cairoFace = nullptr;
};

struct FontRegistry {
    std::mutex mutex;
    FT_Library library = nullptr;
    bool fontconfigReady = false;
    std::map<std::string, FaceRecord> registered;  // by lowercase family
    std::map<std::string, FaceRecord> system;      // by lowercase family + style
};

FontRegistry& registry() {
    static auto* instance = new FontRegistry();  // never destroyed: see FaceRecord
    return *instance;
}

bool ensureLibrary(FontRegistry& r) {
    if (!r.library && FT_Init_FreeType(&r.library) != 0) r.library = nullptr;
    return r.library != nullptr;
}

FaceRecord makeRecord(FT_Face face) {
    FaceRecord record;
    record.face = face;
    record.cairoFace = cairo_ft_font_face_create_for_ft_face(face, 0);
    if (cairo_font_face_status(record.cairoFace) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(record.cairoFace);
        FT_Done_Face(face);
        return {};
    }
    return record;
}

// Metric-compatible stand-ins for common Windows faces.
const char* substituteFor(const std::string& family) {
    static const std::pair<const char*, const char*> table[] = {
        {"arial narrow", "Liberation Sans Narrow"},
        {"arial", "Liberation Sans"},
        {"times new roman", "Liberation Serif"},
        {"courier new", "Liberation Mono"},
    };
    for (const auto& [name, substitute] : table)
        if (family == name) return substitute;
    return nullptr;
}

// Asks fontconfig for `family`; answers the file and face index and the family it found.
bool matchFont(const char* family, int style, std::string& file, int& index, std::string& foundFamily) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    FcPatternAddInteger(pattern, FC_WEIGHT, (style & kBoldFace) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (style & kItalicFace) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match) return false;
    FcChar8* path = nullptr;
    FcChar8* name = nullptr;
    bool found = FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path;
    if (found) {
        file = reinterpret_cast<const char*>(path);
        if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
        foundFamily = FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch && name
                          ? reinterpret_cast<const char*>(name)
                          : "";
    }
    FcPatternDestroy(match);
    return found;
}

cairo_font_face_t* systemFace(FontRegistry& r, const char* family, int style) {
    const std::string wanted = lowercase(family);
    const std::string key = wanted + '\n' + std::to_string(style & (kBoldFace | kItalicFace));
    auto cached = r.system.find(key);
    if (cached != r.system.end()) return cached->second.cairoFace;
    if (!r.fontconfigReady) r.fontconfigReady = FcInit() == FcTrue;
    if (!r.fontconfigReady || !ensureLibrary(r)) return nullptr;

    std::string file, foundFamily;
    int index = 0;
    bool found = matchFont(family, style, file, index, foundFamily);
    // fontconfig answers with some face for any name; prefer a metric-compatible one.
    if (!found || lowercase(foundFamily.c_str()) != wanted) {
        if (const char* substitute = substituteFor(wanted)) {
            std::string subFile, subFamily;
            int subIndex = 0;
            if (matchFont(substitute, style, subFile, subIndex, subFamily) &&
                lowercase(subFamily.c_str()) == lowercase(substitute)) {
                file = subFile;
                index = subIndex;
                found = true;
            }
        }
    }
    if (!found) return nullptr;
    FT_Face face = nullptr;
    if (FT_New_Face(r.library, file.c_str(), index, &face) != 0) return nullptr;
    FaceRecord record = makeRecord(face);
    if (!record.cairoFace) return nullptr;
    r.system.emplace(key, record);
    return record.cairoFace;
}

double capHeightOf(FT_Face face, double size) {
    if (face && face->units_per_EM > 0) {
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        if (os2 && os2->version >= 2 && os2->sCapHeight > 0) return os2->sCapHeight * size / face->units_per_EM;
        return face->ascender * size / face->units_per_EM * 0.7;
    }
    return size * 0.7;
}

// ---- Off-screen images

class CairoOffscreen : public IOffscreenSurface {
public:
    CairoOffscreen(cairo_surface_t* image, int width, int height)
        : image_(image), cr_(cairo_create(image)), surface_(cr_, width, height) {}
    ~CairoOffscreen() override {
        cairo_destroy(cr_);
        cairo_surface_destroy(image_);
    }
    CairoOffscreen(const CairoOffscreen&) = delete;
    CairoOffscreen& operator=(const CairoOffscreen&) = delete;

    bool valid() const { return cairo_status(cr_) == CAIRO_STATUS_SUCCESS; }
    IDrawSurface& surface() override { return surface_; }

    CColor pixel(int x, int y) const override {
        if (x < 0 || y < 0 || x >= surface_.width() || y >= surface_.height()) return CColor{0, 0, 0, 0};
        cairo_surface_flush(image_);
        const unsigned char* row = cairo_image_surface_get_data(image_) +
                                   static_cast<std::size_t>(y) * cairo_image_surface_get_stride(image_);
        std::uint32_t argb;
        std::memcpy(&argb, row + static_cast<std::size_t>(x) * 4, 4);
        const unsigned alpha = argb >> 24;
        if (alpha == 0) return CColor{0, 0, 0, 0};
        auto straight = [alpha](unsigned premultiplied) {
            return static_cast<std::uint8_t>(std::min(255u, (premultiplied * 255 + alpha / 2) / alpha));
        };
        return CColor{straight((argb >> 16) & 0xFF), straight((argb >> 8) & 0xFF), straight(argb & 0xFF),
                      static_cast<std::uint8_t>(alpha)};
    }

    bool savePng(const char* path) override {
        if (!path) return false;
        cairo_surface_flush(image_);
        return cairo_surface_write_to_png(image_, path) == CAIRO_STATUS_SUCCESS;
    }

    void clear(CColor color) override {
        cairo_save(cr_);
        cairo_reset_clip(cr_);
        cairo_set_operator(cr_, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr_, color.red / 255.0, color.green / 255.0, color.blue / 255.0, color.alpha / 255.0);
        cairo_paint(cr_);
        cairo_restore(cr_);
    }

private:
    cairo_surface_t* image_;
    cairo_t* cr_;
    CairoSurface surface_;
};

}  // namespace

std::shared_ptr<IPlatformBitmap> decodePng(const unsigned char* data, std::size_t size) {
    if (!data || size < 8) return nullptr;
    MemoryReader reader{data, size, 0};
    cairo_surface_t* image = cairo_image_surface_create_from_png_stream(readFromMemory, &reader);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(image) <= 0 ||
        cairo_image_surface_get_height(image) <= 0) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    return std::make_shared<CairoBitmap>(image);
}

bool registerFontFace(const char* family, const unsigned char* data, std::size_t size) {
    if (!family || !*family || !data || size == 0) return false;
    FontRegistry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    if (!ensureLibrary(r)) return false;
    const std::string key = lowercase(family);
    if (r.registered.count(key)) return true;  // first registration wins
    FT_Face face = nullptr;
    if (FT_New_Memory_Face(r.library, data, static_cast<FT_Long>(size), 0, &face) != 0) return false;
    FaceRecord record = makeRecord(face);
    if (!record.cairoFace) return false;
    r.registered.emplace(key, record);
    return true;
}

std::shared_ptr<IPlatformFont> createFont(const char* family, double size, int style) {
    if (!(size > 0 && size < 10000)) return nullptr;
    FontRegistry& r = registry();
    std::lock_guard<std::mutex> lock(r.mutex);
    cairo_font_face_t* face = nullptr;
    FT_Face ftFace = nullptr;
    auto registered = r.registered.find(lowercase(family));
    if (registered != r.registered.end()) {
        face = registered->second.cairoFace;
        ftFace = registered->second.face;
        // A single registered face serves every style; let cairo embolden or slant it.
        cairo_ft_font_face_set_synthesize(face, ((style & kBoldFace) ? CAIRO_FT_SYNTHESIZE_BOLD : 0) |
                                                    ((style & kItalicFace) ? CAIRO_FT_SYNTHESIZE_OBLIQUE : 0));
    } else {
        face = systemFace(r, family && *family ? family : "Arial Narrow", style);
        if (!face) face = systemFace(r, "sans-serif", style);
        if (face) {
            for (const auto& entry : r.system)
                if (entry.second.cairoFace == face) ftFace = entry.second.face;
        }
    }
    if (!face) return nullptr;
    cairo_matrix_t fontMatrix, identity;
    cairo_matrix_init_scale(&fontMatrix, size, size);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* scaled = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
    cairo_font_options_destroy(options);
    if (cairo_scaled_font_status(scaled) != CAIRO_STATUS_SUCCESS) {
        cairo_scaled_font_destroy(scaled);
        return nullptr;
    }
    return std::make_shared<CairoFont>(scaled, capHeightOf(ftFace, size));
}

std::unique_ptr<IOffscreenSurface> createOffscreen(int width, int height) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return nullptr;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(image);
        return nullptr;
    }
    auto offscreen = std::make_unique<CairoOffscreen>(image, width, height);
    if (!offscreen->valid()) return nullptr;
    return offscreen;
}

}  // namespace toolkit
