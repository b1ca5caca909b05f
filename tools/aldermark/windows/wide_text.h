#pragma once
// UTF-8 to and from the UTF-16 text of the Windows API.
#include <windows.h>

#include <string>

namespace aldermark_windows {

inline std::wstring widen(const std::string& text) {
    if (text.empty()) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// `length` in UTF-16 units, or -1 for a terminated text.
inline std::string narrow(const wchar_t* text, int length = -1) {
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    if (length < 0) utf8.pop_back();  // the converted terminator
    return utf8;
}

}  // namespace aldermark_windows
