#include "plugin/parameter_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "plugin/trim_smoother.h"

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

TEST(FixedDecimalText, WritesExactlyTheAskedDecimals)
{
    EXPECT_EQ(fixed(0.0, 1), "0.0");
    EXPECT_EQ(fixed(3.0, 2), "3.00");
    EXPECT_EQ(fixed(42.0, 0), "42");
    EXPECT_EQ(fixed(0.05, 3), "0.050");
    EXPECT_EQ(fixed(999.0, 0), "999");
    EXPECT_EQ(fixed(-7.25, 2), "-7.25");
}

TEST(FixedDecimalText, ShowsTheTrimRange)
{
    EXPECT_EQ(fixed(trimLevelDecibels(0.5f), 1), "0.0");
    EXPECT_EQ(fixed(trimLevelDecibels(0.0f), 1), "-20.0");
    EXPECT_EQ(fixed(trimLevelDecibels(1.0f), 1), "20.0");
    EXPECT_EQ(fixed(trimLevelDecibels(0.5f - 1.0f / 400.0f), 1), "-0.1");
    EXPECT_EQ(fixed(trimLevelDecibels(0.3f), 1), "-8.0");
}

TEST(FixedDecimalText, RoundsAwayFromZeroFromJustUnderTheHalf)
{
    EXPECT_EQ(fixed(2.449995, 1), "2.4");   // remainder 0.49995 of a tenth stays
    EXPECT_EQ(fixed(2.4499995, 1), "2.5");  // remainder 0.499995 moves up
    EXPECT_EQ(fixed(1.15, 1), "1.2");       // stored as 1.14999..., written as 1.15
    EXPECT_EQ(fixed(0.5, 0), "1");
    EXPECT_EQ(fixed(0.4999, 0), "0");
    EXPECT_EQ(fixed(9.996, 2), "10.00");
    EXPECT_EQ(fixed(-2.4499995, 1), "-2.5");
    EXPECT_EQ(fixed(-2.449995, 1), "-2.4");
    EXPECT_EQ(fixed(-0.5, 0), "-1");
    // Rounded to nothing, the sign goes as well.
    EXPECT_EQ(fixed(-0.04, 1), "0.0");
    EXPECT_EQ(fixed(-0.0, 2), "0.00");
}

TEST(FixedDecimalText, NeverExceedsEightCharacters)
{
    EXPECT_EQ(fixed(99999999.0, 0), "99999999");
    EXPECT_EQ(fixed(-9999999.0, 0), "-9999999");
    EXPECT_EQ(fixed(99999.9, 2), "99999.90");
    EXPECT_EQ(fixed(100000000.0, 0), "oo");
    EXPECT_EQ(fixed(-10000000.0, 0), "-oo");
    EXPECT_EQ(fixed(123456.0, 2), "oo");
    EXPECT_EQ(fixed(1e300, 3), "oo");
    EXPECT_EQ(fixed(kInf, 1), "oo");
    EXPECT_EQ(fixed(-kInf, 1), "-oo");
    EXPECT_EQ(fixed(kNaN, 1), "UNDEF");
    // Decimals beyond what fits are held to the range.
    EXPECT_EQ(fixed(0.5, -4), "1");
    EXPECT_EQ(fixed(0.5, 40), "oo");
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
    EXPECT_EQ(hertz(9.5), "9.50");
    EXPECT_EQ(hertz(1.234), "1.23");
    EXPECT_EQ(hertz(20.0), "20.0");
    EXPECT_EQ(hertz(99.94), "99.9");
    EXPECT_EQ(hertz(200.0), "200");
    EXPECT_EQ(hertz(999.4), "999");
}

TEST(HertzText, WritesKilohertzWithHundredsAndTens)
{
    EXPECT_EQ(hertz(2000.0), "2k");
    EXPECT_EQ(hertz(1500.0), "1k5");
    EXPECT_EQ(hertz(1250.0), "1k25");
    EXPECT_EQ(hertz(1050.0), "1k05");
    EXPECT_EQ(hertz(1007.0), "1k");     // below ten hertz of detail is dropped
    EXPECT_EQ(hertz(1999.0), "1k99");   // truncated, not rounded
    EXPECT_EQ(hertz(12500.0), "12k5");
    EXPECT_EQ(hertz(12550.0), "12k5");  // no tens from 10 kHz on
    EXPECT_EQ(hertz(30000.0), "30k");
}

TEST(HertzText, StaysShortForAbsurdFrequencies)
{
    EXPECT_EQ(hertz(kNaN), "UNDEF");
    EXPECT_EQ(hertz(kInf), "oo");
    EXPECT_EQ(hertz(-kInf), "-oo");
    EXPECT_EQ(hertz(1e15), "oo");
    EXPECT_EQ(hertz(-5.0), "-5.00");
    EXPECT_EQ(hertz(99999000.0), "99999k");
}

TEST(SweepText, ShowsTheFilterFrequencies)
{
    EXPECT_EQ(sweep(0.0f, 20.0), "20.0");
    EXPECT_EQ(sweep(0.5f, 20.0), "200");
    EXPECT_EQ(sweep(1.0f, 20.0), "2k");
    EXPECT_EQ(sweep(0.0f, 300.0), "300");
    EXPECT_EQ(sweep(0.5f, 300.0), "3k");
    EXPECT_EQ(sweep(1.0f, 300.0), "30k");
    EXPECT_EQ(sweep(-0.01f, 20.0), "UNDEF");
    EXPECT_EQ(sweep(1.01f, 300.0), "UNDEF");
    EXPECT_EQ(sweep(std::numeric_limits<float>::quiet_NaN(), 300.0), "UNDEF");
}

TEST(SwitchText, NamesBothStatesAndFlagsOthers)
{
    char text[kParameterTextSize];
    formatSwitchText(1, "In", "Out", text);
    EXPECT_STREQ(text, "In");
    formatSwitchText(0, "12", "24", text);
    EXPECT_STREQ(text, "24");
    formatSwitchText(2, "In", "Out", text);
    EXPECT_STREQ(text, "UNDEF");
    formatSwitchText(-1, "6", "18", text);
    EXPECT_STREQ(text, "UNDEF");
}

}  // namespace
