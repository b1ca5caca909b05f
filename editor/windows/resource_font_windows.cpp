// Windows: the resource font's DirectWrite face and its private GDI registration, made once
// with the process-wide resource font and released when the library unloads.
#include <memory>
#include <mutex>

#include "editor/resource_font_platform.h"
#include "editor/windows/zeb_core_text_font.h"

namespace editor {
namespace {

std::unique_ptr<ZEBCoreTextFont>& processFont() {
    static std::unique_ptr<ZEBCoreTextFont> font;
    return font;
}

}  // namespace

void prepareResourceFontForPlatform(double size, int style) {
    static std::once_flag once;
    std::call_once(once, [size, style] { processFont() = createResourceCoreTextFont(size, style); });
}

ZEBCoreTextFont* processResourceCoreTextFont() { return processFont().get(); }

}  // namespace editor
