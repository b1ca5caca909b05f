#pragma once
// The user's persistent settings: named binary values in one per-user place.
// Windows: registry values under HKEY_CURRENT_USER\SOFTWARE\Kestrune\ZEBDIALS300.
// Linux: a small file store of ours under $XDG_CONFIG_HOME (default ~/.config).
// Not for the audio thread: every call may touch the disk.
// Names are 1 to 255 bytes without spaces or control characters, matched exactly (the
// Windows registry ignores letter case); a value is 1 byte to 1 MiB. Calls outside these
// limits answer false and change nothing.
#include <cstddef>

namespace platform {

// Copies the value `name` into `out` when it exists, is binary and is exactly `size` bytes
// long; otherwise answers false and leaves `out` untouched.
bool readSettingBytes(const char* name, void* out, std::size_t size);

struct SettingBlob {
    const char* name;
    const void* data;
    std::size_t size;
};

// Writes the values in order (Windows: one registry write each; Linux: one atomic
// replacement of the store file, safe against another process writing at the same time).
// Other values already in the store are kept. Answers false when nothing could be written
// (an invalid entry in `values` or a store that cannot be opened: the store is unchanged) and
// also when a single registry write of several failed (the others are then in place).
bool writeSettings(const SettingBlob* values, std::size_t count);

}  // namespace platform
