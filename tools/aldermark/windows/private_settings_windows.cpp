// The private settings store on Windows: a key of ours under the user's
// SOFTWARE\Kestrune stands in for HKEY_CURRENT_USER in this process, so the plug-in's
// SOFTWARE\Kestrune\ZEBDIALS300 opens below it. The user's key is never opened.
#include <windows.h>

#include "tools/aldermark/private_settings.h"

#include <cwchar>
#include <iterator>
#include <string>

namespace aldermark {
namespace {

constexpr wchar_t kParent[] = L"SOFTWARE\\Kestrune";
constexpr wchar_t kPrefix[] = L"aldermark-private-";

// Keys of runs that ended before they could remove them: their process is gone.
void removeAbandonedKeys(HKEY parent) {
    for (DWORD index = 0;;) {
        wchar_t name[256];
        DWORD length = static_cast<DWORD>(std::size(name));
        if (RegEnumKeyExW(parent, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
        const std::wstring key(name, length);
        const std::size_t prefix = std::wstring(kPrefix).size();
        bool abandoned = false;
        if (key.compare(0, prefix, kPrefix) == 0 && key.size() > prefix) {
            const DWORD pid = static_cast<DWORD>(std::wcstoul(key.c_str() + prefix, nullptr, 10));
            HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
            DWORD code = 0;
            // A process we may not look at is alive; only a missing or ended one left its key.
            abandoned = process ? GetExitCodeProcess(process, &code) && code != STILL_ACTIVE
                                : GetLastError() == ERROR_INVALID_PARAMETER;
            if (process) CloseHandle(process);
        }
        if (abandoned && RegDeleteTreeW(parent, key.c_str()) == ERROR_SUCCESS) continue;  // the index names the next key now
        ++index;
    }
}

}  // namespace

struct PrivateSettingsStore::Saved {
    HKEY key = nullptr;    // the private key, HKEY_CURRENT_USER's stand-in
    std::wstring name;     // below kParent
};

PrivateSettingsStore::PrivateSettingsStore() = default;

PrivateSettingsStore::~PrivateSettingsStore() {
    if (!active_) return;
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(saved_->key);
    HKEY parent = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kParent, 0, KEY_ALL_ACCESS, &parent) != ERROR_SUCCESS) return;
    RegDeleteTreeW(parent, saved_->name.c_str());
    RegCloseKey(parent);
}

bool PrivateSettingsStore::begin(std::string& error) {
    if (active_) return true;
    HKEY parent = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kParent, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &parent, nullptr) != ERROR_SUCCESS) {
        error = "cannot open HKEY_CURRENT_USER\\SOFTWARE\\Kestrune for a private settings key";
        return false;
    }
    removeAbandonedKeys(parent);
    auto saved = std::make_unique<Saved>();
    saved->name = kPrefix + std::to_wstring(GetCurrentProcessId());
    RegDeleteTreeW(parent, saved->name.c_str());  // a key of an earlier process with our id
    const LSTATUS made = RegCreateKeyExW(parent, saved->name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_ALL_ACCESS, nullptr, &saved->key, nullptr);
    RegCloseKey(parent);
    const std::string where = "HKEY_CURRENT_USER\\SOFTWARE\\Kestrune\\aldermark-private-" +
                              std::to_string(GetCurrentProcessId());
    if (made != ERROR_SUCCESS) {
        error = "cannot make the private settings key " + where;
        return false;
    }
    if (RegOverridePredefKey(HKEY_CURRENT_USER, saved->key) != ERROR_SUCCESS) {
        RegCloseKey(saved->key);
        RegDeleteKeyW(HKEY_CURRENT_USER, (std::wstring(kParent) + L"\\" + saved->name).c_str());
        error = "cannot put the private settings key " + where + " in place of HKEY_CURRENT_USER";
        return false;
    }
    saved_ = std::move(saved);
    location_ = where;
    active_ = true;
    return true;
}

}  // namespace aldermark
