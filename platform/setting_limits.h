#pragma once
// Limits the settings store keeps on every system, so a name or value that works on one
// works on all of them. Internal to the platform layer.
#include <cstddef>
#include <string_view>

namespace platform {

inline constexpr std::size_t kMaxSettingNameLength = 255;        // bytes (UTF-8)
inline constexpr std::size_t kMaxSettingSize = 1024 * 1024;      // bytes of one value

// A storable name: 1 to 255 bytes, no spaces, no control characters (bytes of UTF-8
// sequences are allowed).
inline bool isStorableSettingName(std::string_view name)
{
    if (name.empty() || name.size() > kMaxSettingNameLength) return false;
    for (unsigned char c : name)
        if (c <= 0x20 || c == 0x7f) return false;
    return true;
}

inline bool isStorableSettingSize(std::size_t size)
{
    return size > 0 && size <= kMaxSettingSize;
}

}  // namespace platform
