#pragma once
// Resources compiled into the plug-in library (PNG images and the font), looked up by id.
// Windows: resources of the DLL (type "PNG", "PNG1_5X", "PNG2X" and "PNG3X" for the images
// drawn at 1:1 and at the three display scales, and RT_FONT for the font); Linux: a table
// embedded in the shared object.
#include <cstddef>

namespace platform {

enum class ResourceType { Png, Font, Png1_5x, Png2x, Png3x };

// Points `data`/`size` at the bytes of resource `id`; false (outputs untouched) when absent.
bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size);

}  // namespace platform
