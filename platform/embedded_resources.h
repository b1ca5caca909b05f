#pragma once
// The table of resources embedded in the Linux library (filled in by a generated source).
#include <cstddef>

#include "platform/resources.h"

namespace resources {

struct EmbeddedResource {
    platform::ResourceType type;
    int id;
    const unsigned char* data;
    std::size_t size;  // bytes
};

extern const EmbeddedResource embedded[];
extern const std::size_t embeddedCount;

}  // namespace resources
