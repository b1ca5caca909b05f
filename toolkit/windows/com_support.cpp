#include "toolkit/windows/com_support.h"

#include <objbase.h>

namespace toolkit::windows {

ComScope::ComScope() {
    const HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (result == S_OK || result == S_FALSE) {
        // Our own initialisation (S_FALSE: a nested one on an apartment that exists); both
        // must be balanced.
        mustUninitialise_ = true;
        usable_ = true;
    } else if (result == RPC_E_CHANGED_MODE) {
        usable_ = true;  // the host runs this thread in the multithreaded apartment
    }
}

ComScope::~ComScope() {
    if (mustUninitialise_) CoUninitialize();
}

std::wstring widen(const char* utf8) {
    if (!utf8 || !*utf8) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring out(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), length);
    out.resize(static_cast<std::size_t>(length - 1));  // drop the terminator
    return out;
}

std::string narrow(const wchar_t* text, int length) {
    if (!text || length == 0) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

}  // namespace toolkit::windows
