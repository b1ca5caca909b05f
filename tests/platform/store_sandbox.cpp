#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <vector>
#include "platform/windows/windows_lean.h"
#else
#include <cstdlib>
#include <filesystem>
#include <system_error>
#endif

namespace platform_test {

#ifdef _WIN32

namespace {

constexpr wchar_t kParentPath[] = L"SOFTWARE\\Kestrune";
constexpr wchar_t kKeyPath[] = L"SOFTWARE\\Kestrune\\ZEBDIALS300";

bool keyExists(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

bool keyIsEmpty(const wchar_t* path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    LONG result = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                   nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && subkeys == 0 && values == 0;
}

// Deletes every value of the key whose name starts with the test prefix.
void deleteTestValues()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    std::wstring prefix;
    for (const char* c = kTestPrefix; *c; ++c) prefix += static_cast<wchar_t>(*c);
    std::vector<std::wstring> doomed;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD length = 16384;
        if (RegEnumValueW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        std::wstring value(name, length);
        if (value.compare(0, prefix.size(), prefix) == 0) doomed.push_back(value);
    }
    for (const std::wstring& name : doomed) RegDeleteValueW(key, name.c_str());
    RegCloseKey(key);
}

}  // namespace

StoreSandbox::StoreSandbox() : keyExisted_(keyExists(kKeyPath)), parentExisted_(keyExists(kParentPath))
{
    deleteTestValues();
}

StoreSandbox::~StoreSandbox()
{
    deleteTestValues();
    if (!keyExisted_ && keyIsEmpty(kKeyPath)) RegDeleteKeyW(HKEY_CURRENT_USER, kKeyPath);
    if (!parentExisted_ && keyIsEmpty(kParentPath)) RegDeleteKeyW(HKEY_CURRENT_USER, kParentPath);
}

#else

namespace {

void restore(const char* variable, bool had, const std::string& value)
{
    if (had)
        setenv(variable, value.c_str(), 1);
    else
        unsetenv(variable);
}

}  // namespace

StoreSandbox::StoreSandbox()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/aldermark-platform-XXXXXX";
    if (!mkdtemp(pattern.data())) {
        ADD_FAILURE() << "cannot create a temporary folder";
        pattern = "/nonexistent-aldermark-sandbox";  // writes fail rather than reach real settings
    }
    root_ = pattern;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME")) {
        hadXdg_ = true;
        savedXdg_ = xdg;
    }
    if (const char* home = std::getenv("HOME")) {
        hadHome_ = true;
        savedHome_ = home;
    }
    if (const char* dirs = std::getenv("XDG_CONFIG_DIRS")) {
        hadDirs_ = true;
        savedDirs_ = dirs;
    }
    setenv("XDG_CONFIG_HOME", configHome().c_str(), 1);
    setenv("XDG_CONFIG_DIRS", systemConfig().c_str(), 1);
    setenv("HOME", (root_ + "/home").c_str(), 1);
}

StoreSandbox::~StoreSandbox()
{
    restore("XDG_CONFIG_HOME", hadXdg_, savedXdg_);
    restore("XDG_CONFIG_DIRS", hadDirs_, savedDirs_);
    restore("HOME", hadHome_, savedHome_);
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

#endif

}  // namespace platform_test
