// The settings store as its callers see it, the same on every system.
#include "platform/settings_store.h"

#include "tests/platform/child_process.h"
#include "tests/platform/store_sandbox.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

using platform::readSettingBytes;
using platform::SettingBlob;
using platform::writeSettings;
using platform_test::testName;

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    platform_test::StoreSandbox sandbox;

    static bool writeFloat(const std::string& name, float value)
    {
        SettingBlob blob{name.c_str(), &value, sizeof value};
        return writeSettings(&blob, 1);
    }
    // Reads a float into a buffer preset with `preset`; answers the read's result.
    static bool readFloat(const std::string& name, float& value) { return readSettingBytes(name.c_str(), &value, sizeof value); }
};

std::uint32_t bitsOf(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

TEST_F(SettingsStoreTest, SeveralFloatsRoundTripBitForBit)
{
    const std::array<std::string, 5> names = {testName("Armsreference"), testName("Armsintegration"),
                                              testName("Avureference"), testName("Appmprecise"),
                                              testName("Negative")};
    const std::array<float, 5> values = {0.667f, 0.5f, 0.25f, 0.0f, -1.0e-30f};
    std::vector<SettingBlob> blobs;
    for (std::size_t i = 0; i < names.size(); ++i) blobs.push_back({names[i].c_str(), &values[i], sizeof(float)});
    ASSERT_TRUE(writeSettings(blobs.data(), blobs.size()));

    for (std::size_t i = 0; i < names.size(); ++i) {
        float read = 123.0f;
        ASSERT_TRUE(readFloat(names[i], read)) << names[i];
        EXPECT_EQ(bitsOf(read), bitsOf(values[i])) << names[i];
    }
}

TEST_F(SettingsStoreTest, MissingValueAnswersFalseAndLeavesBufferUntouched)
{
    float value = 0.75f;
    EXPECT_FALSE(readFloat(testName("NeverWritten"), value));  // nothing stored at all yet
    EXPECT_EQ(value, 0.75f);

    ASSERT_TRUE(writeFloat(testName("Other"), 0.1f));
    EXPECT_FALSE(readFloat(testName("NeverWritten"), value));
    EXPECT_EQ(value, 0.75f);
}

TEST_F(SettingsStoreTest, ReadOfAnotherSizeAnswersFalseAndLeavesBufferUntouched)
{
    ASSERT_TRUE(writeFloat(testName("Four"), 0.5f));
    const std::uint64_t eight = 0x0102030405060708ull;
    const std::string eightName = testName("Eight");
    SettingBlob blob{eightName.c_str(), &eight, sizeof eight};
    ASSERT_TRUE(writeSettings(&blob, 1));

    unsigned char buffer[8];
    std::memset(buffer, 0xAB, sizeof buffer);
    EXPECT_FALSE(readSettingBytes(testName("Four").c_str(), buffer, 2));
    EXPECT_FALSE(readSettingBytes(testName("Four").c_str(), buffer, 8));
    EXPECT_FALSE(readSettingBytes(eightName.c_str(), buffer, 4));
    for (unsigned char b : buffer) EXPECT_EQ(b, 0xAB);

    std::uint64_t readBack = 0;
    EXPECT_TRUE(readSettingBytes(eightName.c_str(), &readBack, sizeof readBack));
    EXPECT_EQ(readBack, eight);
}

TEST_F(SettingsStoreTest, WritingASubsetKeepsTheOtherValues)
{
    ASSERT_TRUE(writeFloat(testName("A"), 0.1f));
    ASSERT_TRUE(writeFloat(testName("B"), 0.2f));
    ASSERT_TRUE(writeFloat(testName("C"), 0.3f));
    ASSERT_TRUE(writeFloat(testName("B"), 0.9f));

    float a = 0, b = 0, c = 0;
    ASSERT_TRUE(readFloat(testName("A"), a));
    ASSERT_TRUE(readFloat(testName("B"), b));
    ASSERT_TRUE(readFloat(testName("C"), c));
    EXPECT_EQ(a, 0.1f);
    EXPECT_EQ(b, 0.9f);
    EXPECT_EQ(c, 0.3f);
}

TEST_F(SettingsStoreTest, ValuesOfOneCallAreWrittenInOrder)
{
    const std::string name = testName("Twice");
    const float first = 0.25f, second = 0.75f;
    SettingBlob blobs[] = {{name.c_str(), &first, sizeof first}, {name.c_str(), &second, sizeof second}};
    ASSERT_TRUE(writeSettings(blobs, 2));
    float value = 0;
    ASSERT_TRUE(readFloat(name, value));
    EXPECT_EQ(value, second);
}

TEST_F(SettingsStoreTest, NamesMatchWholeNamesOnly)
{
    ASSERT_TRUE(writeFloat(testName("Armsreference"), 0.667f));
    float value = 2.0f;
    EXPECT_FALSE(readFloat(testName("Armsreferenc"), value));
    EXPECT_FALSE(readFloat(testName("Armsreference2"), value));
    EXPECT_FALSE(readFloat(testName("Armsreference "), value));
    EXPECT_EQ(value, 2.0f);
}

TEST_F(SettingsStoreTest, EveryByteValueAndLargeValuesSurvive)
{
    std::vector<unsigned char> all(256);
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = static_cast<unsigned char>(i);  // zero, newline, space...
    std::vector<unsigned char> large(64 * 1024);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 7 + 3);
    const std::string allName = testName("AllBytes"), largeName = testName("Large");
    SettingBlob blobs[] = {{allName.c_str(), all.data(), all.size()}, {largeName.c_str(), large.data(), large.size()}};
    ASSERT_TRUE(writeSettings(blobs, 2));

    std::vector<unsigned char> readAll(all.size()), readLarge(large.size());
    ASSERT_TRUE(readSettingBytes(allName.c_str(), readAll.data(), readAll.size()));
    ASSERT_TRUE(readSettingBytes(largeName.c_str(), readLarge.data(), readLarge.size()));
    EXPECT_EQ(readAll, all);
    EXPECT_EQ(readLarge, large);
}

TEST_F(SettingsStoreTest, InvalidCallsAnswerFalseAndWriteNothing)
{
    const float value = 0.5f;
    const std::string good = testName("Good"), spaced = testName("Has space");
    const std::string tooLong = testName(std::string(300, 'x'));
    float out = 7.0f;

    EXPECT_FALSE(writeSettings(nullptr, 1));
    SettingBlob one{good.c_str(), &value, sizeof value};
    EXPECT_FALSE(writeSettings(&one, 0));
    // One bad entry stops the whole call before anything is written.
    const SettingBlob badBatches[][2] = {
        {{good.c_str(), &value, sizeof value}, {nullptr, &value, sizeof value}},
        {{good.c_str(), &value, sizeof value}, {good.c_str(), nullptr, sizeof value}},
        {{good.c_str(), &value, sizeof value}, {good.c_str(), &value, 0}},
        {{good.c_str(), &value, sizeof value}, {"", &value, sizeof value}},
        {{good.c_str(), &value, sizeof value}, {spaced.c_str(), &value, sizeof value}},
        {{good.c_str(), &value, sizeof value}, {tooLong.c_str(), &value, sizeof value}},
        {{good.c_str(), &value, sizeof value}, {"Tab\tName", &value, sizeof value}},
    };
    for (const auto& batch : badBatches) EXPECT_FALSE(writeSettings(batch, 2));
    EXPECT_FALSE(readFloat(good, out));
    EXPECT_EQ(out, 7.0f);

    ASSERT_TRUE(writeSettings(&one, 1));
    EXPECT_FALSE(readSettingBytes(nullptr, &out, sizeof out));
    EXPECT_FALSE(readSettingBytes(good.c_str(), nullptr, sizeof out));
    EXPECT_FALSE(readSettingBytes(good.c_str(), &out, 0));
    EXPECT_FALSE(readSettingBytes("", &out, sizeof out));
    EXPECT_EQ(out, 7.0f);
}

TEST_F(SettingsStoreTest, AFreshProcessReadsWhatThisOneStored)
{
    constexpr int count = 27;
    std::vector<std::string> names;
    std::vector<float> values;
    for (int i = 0; i < count; ++i) {
        names.push_back(testName("Fresh." + std::to_string(i)));
        values.push_back(platform_test::freshValue(i));
    }
    std::vector<SettingBlob> blobs;
    for (int i = 0; i < count; ++i) blobs.push_back({names[i].c_str(), &values[i], sizeof(float)});
    ASSERT_TRUE(writeSettings(blobs.data(), blobs.size()));

    platform_test::ChildProcess reader("verify " + std::to_string(count));
    ASSERT_TRUE(reader.started());
    EXPECT_EQ(reader.wait(), 0) << "2: a value was missing, 3: a value differed";
}

TEST_F(SettingsStoreTest, TwoProcessesWritingAtOnceKeepEachOthersValues)
{
    constexpr int writes = 100;
    platform_test::ChildProcess first("write 1 " + std::to_string(writes));
    platform_test::ChildProcess second("write 2 " + std::to_string(writes));
    ASSERT_TRUE(first.started());
    ASSERT_TRUE(second.started());
    ASSERT_EQ(first.wait(), 0);
    ASSERT_EQ(second.wait(), 0);

    // Each write added a new name, so any write lost to the other process leaves a gap.
    int missing = 0;
    for (int writer = 1; writer <= 2; ++writer) {
        for (int i = 0; i < writes; ++i) {
            float value = -1.0f;
            std::string name = testName("Writer" + std::to_string(writer) + "." + std::to_string(i));
            if (!readFloat(name, value) || value != platform_test::writerValue(writer, i)) ++missing;
        }
        float last = -1.0f;
        EXPECT_TRUE(readFloat(testName("Writer" + std::to_string(writer) + ".last"), last));
        EXPECT_EQ(last, platform_test::writerValue(writer, writes - 1));
    }
    EXPECT_EQ(missing, 0);
}

TEST_F(SettingsStoreTest, TwoThreadsWritingAtOnceKeepEachOthersValues)
{
    constexpr int writes = 40;
    bool allWritten[2] = {true, true};
    auto writer = [&](int id) {
        for (int i = 0; i < writes; ++i)
            if (!writeFloat(testName("Thread" + std::to_string(id) + "." + std::to_string(i)), float(i)))
                allWritten[id] = false;
    };
    std::thread first(writer, 0), second(writer, 1);
    first.join();
    second.join();
    EXPECT_TRUE(allWritten[0]);
    EXPECT_TRUE(allWritten[1]);

    int missing = 0;
    for (int id = 0; id < 2; ++id)
        for (int i = 0; i < writes; ++i) {
            float value = -1.0f;
            if (!readFloat(testName("Thread" + std::to_string(id) + "." + std::to_string(i)), value) ||
                value != float(i))
                ++missing;
        }
    EXPECT_EQ(missing, 0);
}

}  // namespace
