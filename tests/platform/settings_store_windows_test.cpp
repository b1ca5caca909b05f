// The Windows store is the real registry key: values are REG_BINARY and only they are read as
// bytes; texts are REG_SZ, and read whatever their type.
#include "platform/settings_store.h"

#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/windows_lean.h"

using platform::readSettingBytes;
using platform::readSettingText;
using platform::SettingText;
using platform::writeSettingTexts;
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

// The raw registry value: its type and bytes; false when it is missing.
bool queryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kKeyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    data.assign(8192, 0);
    DWORD size = static_cast<DWORD>(data.size());
    LONG result = RegQueryValueExW(key, wide(name).c_str(), nullptr, &type, data.data(), &size);
    RegCloseKey(key);
    data.resize(size);
    return result == ERROR_SUCCESS;
}

TEST_F(WindowsSettingsStoreTest, TextsAreRegSzInUtf16WithTheirTerminator)
{
    struct Case {
        const char* utf8;
        std::wstring utf16;
    };
    const Case cases[] = {
        {"", L""},
        {"C:\\Manuals\\ZEB.pdf", L"C:\\Manuals\\ZEB.pdf"},
        {"Gr\xC3\xB6\xC3\x9F" "e \xF0\x9F\x8E\x9A", L"Gr\u00F6\u00DFe \U0001F39A"},
    };
    for (const Case& c : cases) {
        const std::string name = testName("Text");
        const SettingText value{name.c_str(), c.utf8};
        ASSERT_TRUE(writeSettingTexts(&value, 1));
        DWORD type = REG_NONE;
        std::vector<BYTE> data;
        ASSERT_TRUE(queryRaw(name, type, data));
        EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
        const std::wstring expected = c.utf16 + L'\0';
        ASSERT_EQ(data.size(), expected.size() * sizeof(wchar_t)) << c.utf8;
        EXPECT_EQ(std::memcmp(data.data(), expected.data(), data.size()), 0) << c.utf8;
    }
}

TEST_F(WindowsSettingsStoreTest, TextsAreReadWhateverTheirType)
{
    const wchar_t expandable[] = L"%APPDATA%\\ZEB.pdf";
    const wchar_t unterminated[] = {L'a', L'b', L'c'};
    const wchar_t multi[] = L"first\0second\0";
    const DWORD number = 0x00420041;  // the bytes of "AB" in UTF-16
    const wchar_t loneSurrogate[] = {L'x', 0xD800, L'y', 0};
    std::vector<wchar_t> fullBuffer(1025, L'z');    // 2050 bytes, no terminator
    std::vector<wchar_t> overlong(1026, L'z');
    struct Case {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
        bool readable;
        std::string utf8;
    };
    const Case cases[] = {
        {"Expand", REG_EXPAND_SZ, expandable, sizeof expandable, true, "%APPDATA%\\ZEB.pdf"},  // not expanded
        {"Binary", REG_BINARY, unterminated, sizeof unterminated, true, "abc"},
        {"Multi", REG_MULTI_SZ, multi, sizeof multi, true, "first"},
        {"Number", REG_DWORD, &number, sizeof number, true, "AB"},
        {"Surrogate", REG_SZ, loneSurrogate, sizeof loneSurrogate, true, "x\xEF\xBF\xBDy"},
        {"Full", REG_BINARY, fullBuffer.data(), 2050, true, std::string(1025, 'z')},
        {"Overlong", REG_SZ, overlong.data(), 2052, false, ""},
    };
    for (const Case& c : cases) {
        setRaw(testName(c.name), c.type, c.data, c.size);
        std::string read = "untouched";
        EXPECT_EQ(readSettingText(testName(c.name).c_str(), read), c.readable) << c.name;
        EXPECT_EQ(read, c.readable ? c.utf8 : "untouched") << c.name;
    }
}

TEST_F(WindowsSettingsStoreTest, TextThatIsNotUtf8WritesNothing)
{
    const std::string good = testName("Good"), bad = testName("Bad");
    const SettingText batch[] = {{good.c_str(), "fine"}, {bad.c_str(), "\xC3\x28 broken"}};
    EXPECT_FALSE(writeSettingTexts(batch, 2));
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
    EXPECT_FALSE(queryRaw(good, type, data));
    EXPECT_FALSE(queryRaw(bad, type, data));
}

}  // namespace
