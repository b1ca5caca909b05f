// The settings store on Windows: REG_BINARY values under
// HKEY_CURRENT_USER\SOFTWARE\Kestrune\ZEBDIALS300.
#include "platform/settings_store.h"

#include "platform/setting_limits.h"

#include <cstring>
#include <memory>
#include <new>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace platform {
namespace {

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\Kestrune\\ZEBDIALS300";

// A storable name converted to UTF-16; false for names the store does not accept.
bool wideName(const char* name, wchar_t (&wide)[kMaxSettingNameLength + 1])
{
    if (!name || !isStorableSettingName(name)) return false;
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide,
                               static_cast<int>(kMaxSettingNameLength + 1)) > 1;
}

}  // namespace

bool readSettingBytes(const char* name, void* out, std::size_t size)
{
    wchar_t wide[kMaxSettingNameLength + 1];
    if (!out || !isStorableSettingSize(size) || !wideName(name, wide)) return false;
    // Read into a buffer of our own: a value of the wrong size or type must leave `out` as it was.
    std::unique_ptr<BYTE[]> buffer(new (std::nothrow) BYTE[size]);
    if (!buffer) return false;

    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    DWORD type = REG_NONE;
    DWORD length = static_cast<DWORD>(size);
    LONG result = RegQueryValueExW(key, wide, nullptr, &type, buffer.get(), &length);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_BINARY || length != size) return false;
    std::memcpy(out, buffer.get(), size);
    return true;
}

bool writeSettings(const SettingBlob* values, std::size_t count)
{
    if (!values || count == 0) return false;
    wchar_t wide[kMaxSettingNameLength + 1];
    for (std::size_t i = 0; i < count; ++i)
        if (!wideName(values[i].name, wide) || !values[i].data || !isStorableSettingSize(values[i].size))
            return false;

    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    bool allWritten = true;
    for (std::size_t i = 0; i < count; ++i) {
        wideName(values[i].name, wide);
        if (RegSetValueExW(key, wide, 0, REG_BINARY, static_cast<const BYTE*>(values[i].data),
                           static_cast<DWORD>(values[i].size)) != ERROR_SUCCESS)
            allWritten = false;
    }
    RegCloseKey(key);
    return allWritten;
}

}  // namespace platform
