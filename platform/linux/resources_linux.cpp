// Linux: the resources are linked into the library as data; a table maps ids to bytes.
#include "platform/resources.h"

#include "platform/embedded_resources.h"

namespace platform {

bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    if (!data || !size) return false;
    for (std::size_t i = 0; i < resources::embeddedCount; ++i) {
        const resources::EmbeddedResource& entry = resources::embedded[i];
        if (entry.type == type && entry.id == id) {
            *data = entry.data;
            *size = entry.size;
            return true;
        }
    }
    return false;
}

}  // namespace platform
