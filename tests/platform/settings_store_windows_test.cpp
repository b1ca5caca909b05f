// The Windows store is the real registry key: values are REG_BINARY and only they are read.
#include "platform/settings_store.h"

#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

using platform::readSettingBytes;
using platform::SettingBlob;
using platform::writeSettings;
using platform_test::testName;

namespace {

constexpr wchar_t kKeyPath[] = L"SOFTWARE\\Kestrune\\ZEBDIALS300";

std::wstring wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

class WindowsSettingsStoreTest : public ::testing::Test {
protected:
    platform_test::StoreSandbox sandbox;

    // Writes a value of any type straight into the key, as another program could.
    static void setRaw(const std::string& name, DWORD type, const void* data, DWORD size)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, wide(name).c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
};

TEST_F(WindowsSettingsStoreTest, WritesRegBinaryValuesUnderTheProductKey)
{
    const float value = 0.667f;
    const std::string name = testName("Armsreference");
    SettingBlob blob{name.c_str(), &value, sizeof value};
    ASSERT_TRUE(writeSettings(&blob, 1));

    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    DWORD type = REG_NONE;
    BYTE data[16] = {};
    DWORD size = sizeof data;
    LONG result = RegQueryValueExW(key, wide(name).c_str(), nullptr, &type, data, &size);
    RegCloseKey(key);
    ASSERT_EQ(result, ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    ASSERT_EQ(size, sizeof value);
    EXPECT_EQ(std::memcmp(data, &value, sizeof value), 0);
}

TEST_F(WindowsSettingsStoreTest, OnlyBinaryValuesOfTheRightSizeAreRead)
{
    const float binary = 0.25f;
    const DWORD number = 0x3f000000;  // the bits of 0.5f, but typed as a number
    const wchar_t text[] = L"a";      // 4 bytes with its terminator
    setRaw(testName("Binary"), REG_BINARY, &binary, sizeof binary);
    setRaw(testName("Number"), REG_DWORD, &number, sizeof number);
    setRaw(testName("Text"), REG_SZ, text, sizeof text);

    float value = 9.0f;
    EXPECT_FALSE(readSettingBytes(testName("Number").c_str(), &value, sizeof value));
    EXPECT_FALSE(readSettingBytes(testName("Text").c_str(), &value, sizeof value));
    EXPECT_EQ(value, 9.0f);
    ASSERT_TRUE(readSettingBytes(testName("Binary").c_str(), &value, sizeof value));
    EXPECT_EQ(value, 0.25f);
}

}  // namespace
