// Stands in for the plug-in library: a shared library that carries the resources and
// looks them up from inside itself while a host program without resources calls it.
#include <cstddef>

#include "platform/resources.h"

#if defined(_WIN32)
#define PROBE_EXPORT __declspec(dllexport)
#else
#define PROBE_EXPORT __attribute__((visibility("default")))
#endif

extern "C" PROBE_EXPORT std::size_t probeImageSize(int id) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    return platform::findResource(platform::ResourceType::Png, id, &data, &size) && data ? size : 0;
}
