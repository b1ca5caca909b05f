#include "platform/working_directory.h"

namespace platform {

void cutUtf8(std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) return;
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the lead byte of the character that does not fit,
    // but never further back than a sequence can be long.
    for (std::size_t back = 0; back < 3 && end > 0; ++back) {
        const auto byte = static_cast<unsigned char>(text[end]);
        if ((byte & 0xC0) != 0x80) break;
        --end;
    }
    if ((static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) end = maxBytes;  // not UTF-8 here
    text.resize(end);
}

}  // namespace platform
