// The settings store on Windows: REG_BINARY values (and REG_SZ texts) under
// HKEY_CURRENT_USER\SOFTWARE\Kestrune\ZEBDIALS300.
#include "platform/settings_store.h"

#include "platform/setting_limits.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/windows/windows_lean.h"

#include "platform/windows/wide_text.h"

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

// The product key opened for writing, created when missing; null when that fails.
HKEY createKeyForWriting()
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
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

    HKEY key = createKeyForWriting();
    if (!key) return false;
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

bool writeSettingTexts(const SettingText* values, std::size_t count)
{
    try {
        if (!values || count == 0) return false;
        std::vector<std::wstring> names(count), texts(count);
        wchar_t wide[kMaxSettingNameLength + 1];
        for (std::size_t i = 0; i < count; ++i) {
            if (!wideName(values[i].name, wide) || !wideText(values[i].utf8, texts[i]) ||
                !isStorableSettingSize(texts[i].size() * sizeof(wchar_t)))
                return false;
            names[i] = wide;
        }
        HKEY key = createKeyForWriting();
        if (!key) return false;
        bool allWritten = true;
        for (std::size_t i = 0; i < count; ++i) {
            if (RegSetValueExW(key, names[i].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(texts[i].data()),
                               static_cast<DWORD>(texts[i].size() * sizeof(wchar_t))) != ERROR_SUCCESS)
                allWritten = false;
        }
        RegCloseKey(key);
        return allWritten;
    } catch (...) {
        return false;
    }
}

bool readSettingText(const char* name, std::string& utf8)
{
    try {
        wchar_t wide[kMaxSettingNameLength + 1];
        if (!wideName(name, wide)) return false;
        HKEY key = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
        // Zero-filled, so a value stored without its terminating zero still ends in the buffer.
        constexpr std::size_t kUnits = kMaxSettingTextBytes / sizeof(wchar_t);
        wchar_t text[kUnits] = {};
        DWORD size = sizeof text;
        LONG result = RegQueryValueExW(key, wide, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
        RegCloseKey(key);
        if (result != ERROR_SUCCESS) return false;

        std::string converted;
        if (!utf8Text(text, static_cast<int>(wcsnlen(text, kUnits)), converted)) return false;
        utf8 = std::move(converted);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace platform
