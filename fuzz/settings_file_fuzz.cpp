// Any text as the Linux settings file: the good lines read, and the file written from them
// reads back to the same values.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/linux/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    namespace file = platform::settings_file;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const file::Entries entries = file::parse(text);
    if (file::parse(file::format(entries)) != entries) std::abort();
    for (const auto& [name, bytes] : entries) {
        const std::string_view hex = file::findHex(text, name);
        if (hex.size() != bytes.size() * 2) std::abort();
    }
    return 0;
}
