#pragma once
// The user's persistent settings: named binary values in one per-user place.
// Windows: registry values under HKEY_CURRENT_USER\SOFTWARE\Kestrune\ZEBDIALS300.
// Linux: a small file store of ours under $XDG_CONFIG_HOME (default ~/.config); values it lacks
// are read from the system's defaults under $XDG_CONFIG_DIRS (default /etc/xdg).
// Not for the audio thread: every call may touch the disk.
// Names are 1 to 255 bytes without spaces or control characters, matched exactly (the
// Windows registry ignores letter case); a value is 1 byte to 1 MiB. Calls outside these
// limits answer false and change nothing.
#include <cstddef>
#include <string>

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

// Text values (paths the editor remembers or is given). Windows keeps them as REG_SZ in
// UTF-16 with the terminating zero; Linux as the UTF-8 bytes with a terminating zero, so an
// empty text is a value too.
struct SettingText {
    const char* name;
    const char* utf8;  // zero-terminated, may be empty
};

// Writes the texts in order, with writeSettings' rules and answers. On Windows a text that
// is not valid UTF-8 makes the whole call invalid (nothing is written).
bool writeSettingTexts(const SettingText* values, std::size_t count);

// The largest text value read, in bytes of the stored form (Windows: 1025 UTF-16 units).
inline constexpr std::size_t kMaxSettingTextBytes = 2050;

// Reads the value `name` as text whatever type it was stored with, up to its first zero
// character, into `utf8` (Windows: the stored bytes taken as UTF-16). Answers false and
// leaves `utf8` untouched when the value is missing or longer than kMaxSettingTextBytes.
bool readSettingText(const char* name, std::string& utf8);

}  // namespace platform
