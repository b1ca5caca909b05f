// Text values of the settings store as their callers see them, the same on every system.
#include "platform/settings_store.h"

#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using platform::readSettingText;
using platform::SettingText;
using platform::writeSettingTexts;
using platform_test::testName;

namespace {

class SettingTextsTest : public ::testing::Test {
protected:
    platform_test::StoreSandbox sandbox;

    static bool writeText(const std::string& name, const std::string& text)
    {
        SettingText value{name.c_str(), text.c_str()};
        return writeSettingTexts(&value, 1);
    }
};

TEST_F(SettingTextsTest, TextsOfOneCallRoundTrip)
{
    const std::vector<std::string> texts = {
        "",
        "C:\\Users\\Zeb\\Documents",
        "/home/zeb/Manuals/ZEB Aldermark.pdf",
        "Gr\xC3\xB6\xC3\x9F" "e \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\x9A",  // 2-, 3- and 4-byte characters
        std::string(1000, 'x'),
    };
    std::vector<std::string> names;
    std::vector<SettingText> values;
    for (std::size_t i = 0; i < texts.size(); ++i) names.push_back(testName("Text" + std::to_string(i)));
    for (std::size_t i = 0; i < texts.size(); ++i) values.push_back({names[i].c_str(), texts[i].c_str()});
    ASSERT_TRUE(writeSettingTexts(values.data(), values.size()));

    for (std::size_t i = 0; i < texts.size(); ++i) {
        std::string read = "untouched";
        ASSERT_TRUE(readSettingText(names[i].c_str(), read)) << names[i];
        EXPECT_EQ(read, texts[i]) << names[i];
    }
    // A shorter text replaces a longer one completely.
    ASSERT_TRUE(writeText(names.back(), ""));
    std::string read;
    ASSERT_TRUE(readSettingText(names.back().c_str(), read));
    EXPECT_EQ(read, "");
}

TEST_F(SettingTextsTest, MissingAndOverlongValuesAnswerFalseAndLeaveTheTextUntouched)
{
    std::string read = "untouched";
    EXPECT_FALSE(readSettingText(testName("NeverWritten").c_str(), read));
    ASSERT_TRUE(writeText(testName("Other"), "x"));
    EXPECT_FALSE(readSettingText(testName("NeverWritten").c_str(), read));
    // Stored, but more than a reader takes (Windows: 4202 bytes; Linux: 2101).
    ASSERT_TRUE(writeText(testName("Long"), std::string(2100, 'y')));
    EXPECT_FALSE(readSettingText(testName("Long").c_str(), read));
    EXPECT_EQ(read, "untouched");
}

TEST_F(SettingTextsTest, InvalidCallsAnswerFalseAndWriteNothing)
{
    const std::string good = testName("Good"), spaced = testName("Has space");
    EXPECT_FALSE(writeSettingTexts(nullptr, 1));
    const SettingText one{good.c_str(), "text"};
    EXPECT_FALSE(writeSettingTexts(&one, 0));
    const SettingText badBatches[][2] = {
        {{good.c_str(), "text"}, {nullptr, "text"}},
        {{good.c_str(), "text"}, {good.c_str(), nullptr}},
        {{good.c_str(), "text"}, {"", "text"}},
        {{good.c_str(), "text"}, {spaced.c_str(), "text"}},
    };
    for (const auto& batch : badBatches) EXPECT_FALSE(writeSettingTexts(batch, 2));
    std::string read = "untouched";
    EXPECT_FALSE(readSettingText(good.c_str(), read));
    EXPECT_FALSE(readSettingText(nullptr, read));
    EXPECT_FALSE(readSettingText("", read));
    EXPECT_EQ(read, "untouched");
}

}  // namespace
