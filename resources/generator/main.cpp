// Build-time generator of the plug-in's images. Draws every image of the resource table
// into <out>/png/<id>.png, and at each further display scale into <out>/png/<id>@<scale>x.png
// (the same vector artwork drawn at that resolution), and writes the two ways of compiling them (and the font) into
// the library: a resource script for Windows and an embedding source for Linux; and the
// standalone meter's desktop icon, <out>/aldermark-live.png.
//
//   aldermark_resource_generator --out DIR --regular TTF --bold TTF --font TTF [--sheet PNG]
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "artwork.h"
#include "canvas.h"
#include "icon.h"
#include "manifest.h"
#include "model/resource_table.h"
#include "preview.h"

namespace {

struct Options {
    std::string out, regular, bold, font, sheet;
};

bool parse(int argc, char** argv, Options& o) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        std::string* slot = key == "--out" ? &o.out
                            : key == "--regular" ? &o.regular
                            : key == "--bold"    ? &o.bold
                            : key == "--font"    ? &o.font
                            : key == "--sheet"   ? &o.sheet
                                                 : nullptr;
        if (!slot) return false;
        *slot = argv[i + 1];
    }
    return !o.out.empty() && !o.regular.empty() && !o.bold.empty() && !o.font.empty();
}

bool render(const resources::ImageInfo& info, int scaleIndex, const std::string& path) {
    const resources::ScaledImageSize size = resources::scaledImageSize(info, scaleIndex);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height);
    cairo_t* cr = cairo_create(surface);
    // Each axis by its own rounded ratio, so every frame of a strip fills whole pixels.
    cairo_scale(cr, static_cast<double>(size.width) / info.width, static_cast<double>(size.height) / info.height);
    const bool known = art::drawImage(cr, info);
    cairo_destroy(cr);
    const bool written = known && cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    if (!known) std::fprintf(stderr, "resource generator: no artwork for image %d\n", info.id);
    return written;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!parse(argc, argv, o)) {
        std::fprintf(stderr, "usage: %s --out DIR --regular TTF --bold TTF --font TTF [--sheet PNG]\n", argv[0]);
        return 2;
    }
    if (!art::loadFaces(o.regular, o.bold)) {
        std::fprintf(stderr, "resource generator: cannot load %s or %s\n", o.regular.c_str(), o.bold.c_str());
        return 1;
    }
    const std::filesystem::path pngDir = std::filesystem::path(o.out) / "png";
    std::filesystem::create_directories(pngDir);
    bool ok = true;
    for (const auto& info : resources::images) {
        if (info.height % info.frames != 0) {
            std::fprintf(stderr, "resource generator: image %d has a broken frame height\n", info.id);
            ok = false;
            continue;
        }
        for (int scale = 0; scale < resources::imageScaleCount; ++scale)
            ok = render(info, scale, (pngDir / imageFileName(info.id, scale)).string()) && ok;
    }
    if (ok && !o.sheet.empty()) {  // review pictures: all at 1:1, small controls enlarged, the editor
        const std::filesystem::path sheet(o.sheet);
        const std::filesystem::path zoomed = sheet.parent_path() / (sheet.stem().string() + "-controls.png");
        const std::filesystem::path editor = sheet.parent_path() / "editor-preview.png";
        ok = writeContactSheet(pngDir, sheet.string(), 1, 1000) &&
             writeContactSheet(pngDir, zoomed.string(), 3, 100) && writeEditorPreview(pngDir, editor.string());
    }
    art::releaseFaces();
    // The standalone meter's desktop icon, for the installers.
    ok = art::writeAppIcon((std::filesystem::path(o.out) / "aldermark-live.png").string(), 256) && ok;
    if (!ok) return 1;
    return writeManifests(o.out, pngDir, o.font) ? 0 : 1;
}
