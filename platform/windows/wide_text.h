#pragma once
// UTF-8 and UTF-16 for the Windows parts of the platform layer. Include after windows.h.
#include <string>

namespace platform {

// `utf8` as UTF-16 with its terminating zero counted in the size (as REG_SZ wants it); false
// for null or text that is not valid UTF-8.
inline bool wideText(const char* utf8, std::wstring& wide)
{
    if (!utf8) return false;
    int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (units <= 0) return false;
    wide.assign(static_cast<std::size_t>(units), L'\0');
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), units) == units;
}

// `units` UTF-16 units from `wide` as UTF-8 (a lone surrogate becomes U+FFFD); false when the
// conversion fails.
inline bool utf8Text(const wchar_t* wide, int units, std::string& utf8)
{
    utf8.clear();
    if (units <= 0) return units == 0;
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, units, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return false;
    utf8.assign(static_cast<std::size_t>(bytes), '\0');
    return WideCharToMultiByte(CP_UTF8, 0, wide, units, utf8.data(), bytes, nullptr, nullptr) == bytes;
}

}  // namespace platform
