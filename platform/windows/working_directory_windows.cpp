#include "platform/working_directory.h"

#include <vector>

#include "platform/windows/windows_lean.h"

#include "platform/windows/wide_text.h"

namespace platform {

std::string workingDirectory(std::size_t maxBytes)
{
    try {
        // The directory may change between the two calls; ask again while it grows.
        std::vector<wchar_t> wide(MAX_PATH + 1);
        for (;;) {
            DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(wide.size()), wide.data());
            if (length == 0) return {};
            if (length < wide.size()) {
                wide.resize(length);
                break;
            }
            wide.assign(length + 1, L'\0');
        }
        std::string text;
        if (!utf8Text(wide.data(), static_cast<int>(wide.size()), text)) return {};
        cutUtf8(text, maxBytes);
        return text;
    } catch (...) {
        return {};
    }
}

}  // namespace platform
