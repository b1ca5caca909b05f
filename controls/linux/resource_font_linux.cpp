// Linux: FreeType draws the resource face straight from the bytes the toolkit registered.
#include "controls/resource_font_platform.h"

namespace editor {

void prepareResourceFontForPlatform(double, int) {}

}  // namespace editor
