#include "core/parameter_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "core/trim_smoother.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string fixed(double value, int decimals)
{
    char text[kParameterTextSize];
    const std::size_t length = formatFixedDecimal(value, decimals, text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

std::string hertz(double hz)
{
    char text[kParameterTextSize];
    const std::size_t length = formatHertz(hz, text);
    EXPECT_EQ(length, std::strlen(text));
    return text;
}

std::string sweep(float x, double lowest)
{
    char text[kParameterTextSize];
    formatSweepHertz(x, lowest, text);
    return text;
}

struct FixedCase {
    double value;
    int decimals;
    const char* text;
};

void expectFixed(const std::vector<FixedCase>& cases)
{
    for (const FixedCase& c : cases) EXPECT_EQ(fixed(c.value, c.decimals), c.text) << c.value << ", " << c.decimals;
}

TEST(FixedDecimalText, WritesExactlyTheAskedDecimals)
{
    expectFixed({{0.0, 1, "0.0"}, {3.0, 2, "3.00"}, {42.0, 0, "42"}, {0.05, 3, "0.050"}, {999.0, 0, "999"},
                 {-7.25, 2, "-7.25"}});
}

TEST(FixedDecimalText, ShowsTheTrimRange)
{
    expectFixed({{trimLevelDecibels(0.5f), 1, "0.0"}, {trimLevelDecibels(0.0f), 1, "-20.0"},
                 {trimLevelDecibels(1.0f), 1, "20.0"}, {trimLevelDecibels(0.5f - 1.0f / 400.0f), 1, "-0.1"},
                 {trimLevelDecibels(0.3f), 1, "-8.0"}});
}

TEST(FixedDecimalText, RoundsAwayFromZeroFromJustUnderTheHalf)
{
    expectFixed({{2.449995, 1, "2.4"},    // remainder 0.49995 of a tenth stays
                 {2.4499995, 1, "2.5"},   // remainder 0.499995 moves up
                 {1.15, 1, "1.2"},        // stored as 1.14999..., written as 1.15
                 {0.5, 0, "1"}, {0.4999, 0, "0"}, {9.996, 2, "10.00"}, {-2.4499995, 1, "-2.5"},
                 {-2.449995, 1, "-2.4"}, {-0.5, 0, "-1"},
                 {-0.04, 1, "0.0"}, {-0.0, 2, "0.00"}});  // rounded to nothing, the sign goes as well
}

TEST(FixedDecimalText, NeverExceedsEightCharacters)
{
    expectFixed({{99999999.0, 0, "99999999"}, {-9999999.0, 0, "-9999999"}, {99999.9, 2, "99999.90"},
                 {100000000.0, 0, "oo"}, {-10000000.0, 0, "-oo"}, {123456.0, 2, "oo"}, {1e300, 3, "oo"},
                 {kInf, 1, "oo"}, {-kInf, 1, "-oo"}, {kNaN, 1, "UNDEF"},
                 {0.5, -4, "1"}, {0.5, 40, "oo"}});  // decimals beyond what fits are held to the range
}

TEST(FixedDecimalText, RespectsTheCallersBuffer)
{
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(formatFixedDecimal(-20.0, 1, small, sizeof small), 3u);
    EXPECT_STREQ(small, "-20");
    char single[1] = {'x'};
    EXPECT_EQ(formatFixedDecimal(5.0, 1, single, 1), 0u);
    EXPECT_EQ(single[0], '\0');
    EXPECT_EQ(formatFixedDecimal(5.0, 1, nullptr, 9), 0u);
    EXPECT_EQ(formatHertz(1500.0, nullptr), 0u);

    char guarded[kParameterTextSize + 1];
    std::memset(guarded, '#', sizeof guarded);
    formatFixedDecimal(-9999999.0, 0, guarded);
    EXPECT_EQ(guarded[kParameterTextSize], '#');
}

TEST(HertzText, UsesDecimalsBelowOneKilohertz)
{
    for (const auto& [hz, text] : std::vector<std::pair<double, const char*>>{
             {9.5, "9.50"}, {1.234, "1.23"}, {20.0, "20.0"}, {99.94, "99.9"}, {200.0, "200"}, {999.4, "999"}})
        EXPECT_EQ(hertz(hz), text) << hz;
}

TEST(HertzText, WritesKilohertzWithHundredsAndTens)
{
    for (const auto& [hz, text] : std::vector<std::pair<double, const char*>>{
             {2000.0, "2k"}, {1500.0, "1k5"}, {1250.0, "1k25"}, {1050.0, "1k05"},
             {1007.0, "1k"},     // below ten hertz of detail is dropped
             {1999.0, "1k99"},   // truncated, not rounded
             {12500.0, "12k5"},
             {12550.0, "12k5"},  // no tens from 10 kHz on
             {30000.0, "30k"}})
        EXPECT_EQ(hertz(hz), text) << hz;
}

TEST(HertzText, StaysShortForAbsurdFrequencies)
{
    for (const auto& [hz, text] : std::vector<std::pair<double, const char*>>{
             {kNaN, "UNDEF"}, {kInf, "oo"}, {-kInf, "-oo"}, {1e15, "oo"}, {-5.0, "-5.00"}, {99999000.0, "99999k"}})
        EXPECT_EQ(hertz(hz), text) << hz;
}

TEST(SweepText, ShowsTheFilterFrequencies)
{
    const struct {
        float x;
        double lowest;
        const char* text;
    } cases[] = {{0.0f, 20.0, "20.0"},  {0.5f, 20.0, "200"},   {1.0f, 20.0, "2k"},
                 {0.0f, 300.0, "300"},  {0.5f, 300.0, "3k"},   {1.0f, 300.0, "30k"},
                 {-0.01f, 20.0, "UNDEF"}, {1.01f, 300.0, "UNDEF"},
                 {std::numeric_limits<float>::quiet_NaN(), 300.0, "UNDEF"}};
    for (const auto& c : cases) EXPECT_EQ(sweep(c.x, c.lowest), c.text) << c.x << ", " << c.lowest;
}

TEST(SwitchText, NamesBothStatesAndFlagsOthers)
{
    const struct {
        int state;
        const char* on;
        const char* off;
        const char* text;
    } cases[] = {{1, "In", "Out", "In"}, {0, "12", "24", "24"}, {2, "In", "Out", "UNDEF"}, {-1, "6", "18", "UNDEF"}};
    for (const auto& c : cases) {
        char text[kParameterTextSize];
        formatSwitchText(c.state, c.on, c.off, text);
        EXPECT_STREQ(text, c.text) << c.state;
    }
}

}  // namespace
