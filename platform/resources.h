#pragma once
// Resources compiled into the plug-in library (PNG images and the font), looked up by id.
// Windows: resources of the DLL (type "PNG", and RT_FONT for the font); Linux: a table
// embedded in the shared object.
#include <cstddef>

namespace platform {

enum class ResourceType { Png, Font };

// Points `data`/`size` at the bytes of resource `id`; false (outputs untouched) when absent.
bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size);

}  // namespace platform
