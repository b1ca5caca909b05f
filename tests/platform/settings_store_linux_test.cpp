// The Linux file store: where it lives, its text form, and reading damaged files safely.
#include "platform/settings_store.h"

#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>

using platform::readSettingBytes;
using platform::readSettingText;
using platform::SettingText;
using platform::writeSettingTexts;
using platform::SettingBlob;
using platform::writeSettings;
using platform_test::testName;
namespace fs = std::filesystem;

namespace {

class LinuxSettingsStoreTest : public ::testing::Test {
protected:
    platform_test::StoreSandbox sandbox;

    void writeStoreFile(const std::string& content) const
    {
        fs::create_directories(fs::path(sandbox.storeFile()).parent_path());
        std::ofstream(sandbox.storeFile(), std::ios::binary | std::ios::trunc) << content;
    }
    static std::string fileText(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    static bool writeBytes(const std::string& name, const void* data, std::size_t size)
    {
        SettingBlob blob{name.c_str(), data, size};
        return writeSettings(&blob, 1);
    }
    static bool writeFloat(const std::string& name, float value) { return writeBytes(name, &value, sizeof value); }
    static bool readFloat(const std::string& name, float& value) { return readSettingBytes(name.c_str(), &value, sizeof value); }
};

TEST_F(LinuxSettingsStoreTest, StoreIsOneTextFileUnderXdgConfigHome)
{
    const unsigned char bytes[] = {0x0a, 0x0b, 0xc0, 0xff};
    ASSERT_TRUE(writeBytes("Probe", bytes, sizeof bytes));
    ASSERT_TRUE(writeBytes("Another", bytes, 2));

    const std::string text = fileText(sandbox.storeFile());
    EXPECT_NE(text.find("\nProbe 0a0bc0ff\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nAnother 0a0b\n"), std::string::npos) << text;
    EXPECT_EQ(fs::status(sandbox.storeFile()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    // Nothing but the store and its writers' lock file is left in the folder (no temporary files).
    int files = 0;
    for (const auto& entry : fs::directory_iterator(fs::path(sandbox.storeFile()).parent_path())) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "ZEBDIALS300" || name == "ZEBDIALS300.lock") << name;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(LinuxSettingsStoreTest, UnsetEmptyOrRelativeXdgConfigHomeFallsBackToHomeConfig)
{
    const std::string homeStore = sandbox.root() + "/home/.config/Kestrune/ZEBDIALS300";
    const char* settings[] = {nullptr, "", "relative-config"};
    for (const char* xdg : settings) {
        SCOPED_TRACE(xdg ? xdg : "(unset)");
        if (xdg)
            setenv("XDG_CONFIG_HOME", xdg, 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        std::error_code ignored;
        fs::remove(homeStore, ignored);

        ASSERT_TRUE(writeFloat("Home", 0.5f));
        EXPECT_TRUE(fs::exists(homeStore));
        float value = 0;
        EXPECT_TRUE(readFloat("Home", value));
        EXPECT_EQ(value, 0.5f);
    }
    EXPECT_FALSE(fs::exists("relative-config"));
    EXPECT_FALSE(fs::exists(sandbox.storeFile()));
}

TEST_F(LinuxSettingsStoreTest, DamagedLinesAreSkippedAndGoodLinesStillRead)
{
    const std::string hugeLine = "Huge " + std::string(3 * 1024 * 1024, 'a') + "\n";
    std::string content = "this line is not an entry\n"
                          "Good1 0000803f\n"         // 1.0f
                          "OddHex 0000803\n"
                          "NotHex 0000zz3f\n"
                          "NoValue\n"
                          "NoValueButBlank \n"
                          " LeadingBlank 0000803f\n" +
                          hugeLine +
                          "Spaced Out 0000803f\n"
                          "CrLf 0000003f\r\n"        // 0.5f: Windows line ends are tolerated
                          "Upper 0000C03F\n"         // 1.5f: either case of hex digits
                          "Two 00000040 00000040\n";
    content += std::string("Nul\0Name 0000803f\n", 18);
    content += std::string(1000, '\0') + "\n";
    content += "Good2 00002040\n";  // 2.5f
    content += "CutOff 00004040";   // no newline: the file ended mid-write

    writeStoreFile(content);
    float value = 0;
    ASSERT_TRUE(readFloat("Good1", value));
    EXPECT_EQ(value, 1.0f);
    ASSERT_TRUE(readFloat("Good2", value));
    EXPECT_EQ(value, 2.5f);
    ASSERT_TRUE(readFloat("CrLf", value));
    EXPECT_EQ(value, 0.5f);
    ASSERT_TRUE(readFloat("Upper", value));
    EXPECT_EQ(value, 1.5f);

    const char* bad[] = {"OddHex", "NotHex", "NoValue", "NoValueButBlank", "LeadingBlank", "Huge", "Spaced",
                         "Two", "Nul", "CutOff", "this"};
    value = 9.0f;
    for (const char* name : bad) EXPECT_FALSE(readFloat(name, value)) << name;
    EXPECT_EQ(value, 9.0f);
    std::vector<unsigned char> huge(1536 * 1024);
    EXPECT_FALSE(readSettingBytes("Huge", huge.data(), huge.size()));

    // The next write keeps the good values and leaves a clean file behind.
    ASSERT_TRUE(writeFloat("New", 3.0f));
    ASSERT_TRUE(readFloat("Good1", value));
    EXPECT_EQ(value, 1.0f);
    ASSERT_TRUE(readFloat("Good2", value));
    EXPECT_EQ(value, 2.5f);
    ASSERT_TRUE(readFloat("New", value));
    EXPECT_EQ(value, 3.0f);
    for (const char* name : bad) EXPECT_FALSE(readFloat(name, value)) << name;
    const std::string cleaned = fileText(sandbox.storeFile());
    EXPECT_LT(cleaned.size(), 300u);
    EXPECT_EQ(cleaned.find('\0'), std::string::npos);
}

TEST_F(LinuxSettingsStoreTest, BinaryGarbageFilesNeverBreakReadingOrWriting)
{
    std::mt19937 random(20240601);
    std::string noise(256 * 1024, '\0');
    for (char& c : noise) c = static_cast<char>(random() % 4 == 0 ? '\n' : random() & 0xff);
    const std::string garbageFiles[] = {noise, std::string(4096, '\0'), std::string(70000, '\n'), ""};

    for (const std::string& garbage : garbageFiles) {
        writeStoreFile(garbage);
        float value = 4.0f;
        EXPECT_FALSE(readFloat(testName("Value"), value));
        EXPECT_EQ(value, 4.0f);
        ASSERT_TRUE(writeFloat(testName("Value"), 0.25f));
        ASSERT_TRUE(readFloat(testName("Value"), value));
        EXPECT_EQ(value, 0.25f);
    }
}

TEST_F(LinuxSettingsStoreTest, LastOfRepeatedLinesCountsAndNamesAreCaseSensitive)
{
    writeStoreFile("Heading\nRepeat 0000803f\nRepeat 00000040\nRepeat 0000\nCase 0000803f\n");
    float value = 0;
    // The last valid line for a name counts; a later line that is damaged is skipped.
    EXPECT_FALSE(readFloat("Repeat", value));
    unsigned char two[2] = {1, 1};
    ASSERT_TRUE(readSettingBytes("Repeat", two, 2));
    EXPECT_EQ(two[0], 0);
    EXPECT_EQ(two[1], 0);

    writeStoreFile("Heading\nRepeat 0000803f\nRepeat 00000040\nRepeat 00zz\nCase 0000803f\n");
    ASSERT_TRUE(readFloat("Repeat", value));
    EXPECT_EQ(value, 2.0f);
    value = 5.0f;
    EXPECT_FALSE(readFloat("case", value));
    EXPECT_FALSE(readFloat("CASE", value));
    EXPECT_EQ(value, 5.0f);
}

TEST_F(LinuxSettingsStoreTest, StorePlacesThatAreNotFilesFailSafely)
{
    float value = 6.0f;
    // The store path is a folder.
    fs::create_directories(sandbox.storeFile());
    EXPECT_FALSE(readFloat("Any", value));
    EXPECT_FALSE(writeFloat("Any", 1.0f));
    fs::remove(sandbox.storeFile());

    // A pipe at the store path must stall neither reader nor writer, and is not replaced.
    ASSERT_EQ(mkfifo(sandbox.storeFile().c_str(), 0600), 0);
    EXPECT_FALSE(readFloat("Any", value));
    EXPECT_FALSE(writeFloat("Any", 1.0f));
    EXPECT_TRUE(fs::is_fifo(sandbox.storeFile()));
    EXPECT_EQ(value, 6.0f);

    // The store's folder cannot be created because a file has its name.
    fs::remove_all(fs::path(sandbox.storeFile()).parent_path());
    std::ofstream(fs::path(sandbox.storeFile()).parent_path()) << "in the way";
    value = 6.0f;
    EXPECT_FALSE(writeFloat("Any", 1.0f));
    EXPECT_FALSE(readFloat("Any", value));
    EXPECT_EQ(value, 6.0f);
}

TEST_F(LinuxSettingsStoreTest, TextsAreTheirBytesWithATerminatingZero)
{
    const SettingText values[] = {{"Empty", ""}, {"Spaced", "a b"}, {"Latin1", "\xE9t\xE9"}};  // bytes, as Linux paths are
    ASSERT_TRUE(writeSettingTexts(values, 3));
    const std::string text = fileText(sandbox.storeFile());
    EXPECT_NE(text.find("\nEmpty 00\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nSpaced 61206200\n"), std::string::npos) << text;
    std::string read;
    ASSERT_TRUE(readSettingText("Latin1", read));
    EXPECT_EQ(read, "\xE9t\xE9");
}

TEST_F(LinuxSettingsStoreTest, TextsAreReadFromAnyValueUpToTheFirstZero)
{
    const std::string withZero("path\0tail", 9);
    const std::string full(2050, 'p');
    const std::string overlong(2051, 'p');
    struct Case {
        const char* name;
        const std::string& bytes;
        bool readable;
        std::string utf8;
    };
    const Case cases[] = {
        {"WithZero", withZero, true, "path"},
        {"Full", full, true, full},  // no terminator, exactly the most a reader takes
        {"Overlong", overlong, false, ""},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(writeBytes(c.name, c.bytes.data(), c.bytes.size()));
        std::string read = "untouched";
        EXPECT_EQ(readSettingText(c.name, read), c.readable) << c.name;
        EXPECT_EQ(read, c.readable ? c.utf8 : "untouched") << c.name;
    }
}

}  // namespace

namespace {

// A package installed for every user keeps its values under XDG_CONFIG_DIRS; the user's own
// value wins, the first folder that has the value counts, and writes never go there.
TEST_F(LinuxSettingsStoreTest, ValuesTheUserLacksComeFromTheSystemsDefaults)
{
    const std::string first = sandbox.systemConfig(), second = sandbox.root() + "/system2";
    auto writeSystem = [](const std::string& folder, const std::string& content) {
        fs::create_directories(folder + "/Kestrune");
        std::ofstream(folder + "/Kestrune/ZEBDIALS300", std::ios::binary | std::ios::trunc) << content;
    };
    writeSystem(first, "# heading\nManualPath 2f612f6200\n");     // "/a/b"
    writeSystem(second, "# heading\nManualPath 2f7800\nOnlyHere 2f7900\n");  // "/x", "/y"
    struct Case {
        const char* dirs;       // XDG_CONFIG_DIRS; null: unset
        const char* userValue;  // the user's own ManualPath; null: none
        const char* manual;     // what reading ManualPath answers; null: nothing
        const char* onlyHere;
    };
    const std::string both = first + ":relative:" + second, reversed = second + ":" + first;
    const Case cases[] = {
        {both.c_str(), nullptr, "/a/b", "/y"},
        {reversed.c_str(), nullptr, "/x", "/y"},
        {both.c_str(), "/mine", "/mine", "/y"},
        {"relative", nullptr, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dirs);
        setenv("XDG_CONFIG_DIRS", c.dirs, 1);
        std::error_code ignored;
        fs::remove(sandbox.storeFile(), ignored);
        if (c.userValue) {
            const SettingText mine{"ManualPath", c.userValue};
            ASSERT_TRUE(writeSettingTexts(&mine, 1));
        }
        std::string manual = "<none>", onlyHere = "<none>";
        EXPECT_EQ(readSettingText("ManualPath", manual), c.manual != nullptr);
        EXPECT_EQ(manual, c.manual ? c.manual : "<none>");
        EXPECT_EQ(readSettingText("OnlyHere", onlyHere), c.onlyHere != nullptr);
        EXPECT_EQ(onlyHere, c.onlyHere ? c.onlyHere : "<none>");
    }
    const SettingText written{"Written", "1"};
    ASSERT_TRUE(writeSettingTexts(&written, 1));
    EXPECT_EQ(fileText(first + "/Kestrune/ZEBDIALS300"), "# heading\nManualPath 2f612f6200\n");
}

}  // namespace
