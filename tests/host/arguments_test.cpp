// Command-line options: known options only, values in both spellings, strict numbers.
#include <gtest/gtest.h>

#include "tools/aldermark/arguments.h"

namespace {

using aldermark::OptionSpec;
using aldermark::ParsedOptions;

constexpr OptionSpec kSpecs[] = {{"--input", true, false}, {"--set", true, true}, {"--json", false, false}};

bool parse(std::vector<std::string> args, ParsedOptions& options, std::string& error) {
    return aldermark::parseOptions(args, kSpecs, options, error);
}

TEST(ParseOptions, ValuesInBothSpellingsAndRepeatsInOrder) {
    ParsedOptions options;
    std::string error;
    ASSERT_TRUE(parse({"--set", "1=0.5", "--input=a b.wav", "--set=2=1", "--json"}, options, error)) << error;
    ASSERT_NE(options.value("--input"), nullptr);
    EXPECT_EQ(*options.value("--input"), "a b.wav");
    EXPECT_EQ(options.all("--set"), (std::vector<std::string>{"1=0.5", "2=1"}));
    EXPECT_TRUE(options.has("--json"));
    EXPECT_EQ(options.value("--output"), nullptr);
    ParsedOptions dashed;
    EXPECT_TRUE(parse({"--input=--odd.wav"}, dashed, error)) << "a dashed value needs the = spelling";
    EXPECT_EQ(*dashed.value("--input"), "--odd.wav");
}

TEST(ParseOptions, MistakesAreNamed) {
    const struct {
        std::vector<std::string> args;
        const char* expected;  // part of the message
    } cases[] = {
        {{"--inptu", "x"}, "unknown option '--inptu'"},
        {{"--input"}, "--input needs a value"},
        {{"--input", "--json"}, "--input needs a value"},
        {{"--input", "a", "--input", "b"}, "--input given more than once"},
        {{"--json=yes"}, "--json takes no value"},
        {{"stray.wav"}, "unexpected argument 'stray.wav'"},
        {{"-i", "x"}, "unexpected argument '-i'"},
        {{"--"}, "unexpected argument '--'"},
    };
    for (const auto& c : cases) {
        ParsedOptions options;
        std::string error;
        EXPECT_FALSE(parse(c.args, options, error)) << c.expected;
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    }
}

TEST(StrictNumbers, WholeTextMustBeTheNumber) {
    long long integer = 0;
    EXPECT_TRUE(aldermark::parseInteger("512", integer));
    EXPECT_EQ(integer, 512);
    EXPECT_TRUE(aldermark::parseInteger("-3", integer));
    EXPECT_EQ(integer, -3);
    for (const char* bad : {"", " 1", "1 ", "1.0", "0x10", "12a", "+5", "99999999999999999999"})
        EXPECT_FALSE(aldermark::parseInteger(bad, integer)) << "'" << bad << "'";

    float value = 0.0f;
    EXPECT_TRUE(aldermark::parseFloat("0.25", value));
    EXPECT_EQ(value, 0.25f);
    EXPECT_TRUE(aldermark::parseFloat("1e-3", value));
    EXPECT_FLOAT_EQ(value, 0.001f);
    EXPECT_TRUE(aldermark::parseFloat("-1.7", value)) << "range is the plug-in's business";
    value = 0.5f;
    for (const char* bad : {"", "abc", "0.5x", " 0.5", "nan", "NaN", "inf", "-inf", "1e999", "0,5", "--1"})
        EXPECT_FALSE(aldermark::parseFloat(bad, value)) << "'" << bad << "'";
    EXPECT_EQ(value, 0.5f) << "a failed parse leaves the value alone";
}

TEST(ParameterAssignments, IndexAndValueAreChecked) {
    aldermark::ParameterAssignment assignment{};
    std::string error;
    ASSERT_TRUE(aldermark::parseAssignment("63=0.75", assignment, error)) << error;
    EXPECT_EQ(assignment.index, 63);
    EXPECT_EQ(assignment.value, 0.75f);
    ASSERT_TRUE(aldermark::parseAssignment("0=1", assignment, error));
    EXPECT_EQ(assignment.index, 0);

    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"64=0.5", "outside 0..63"},       {"-1=0.5", "outside 0..63"},   {"3", "expects INDEX=VALUE"},
        {"x=0.5", "not a whole number"},   {"=0.5", "not a whole number"}, {"3=", "is not a number"},
        {"3=loud", "'loud' is not a number"}, {"3=0.5=1", "is not a number"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(aldermark::parseAssignment(c.text, assignment, error)) << c.text;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.text << ": " << error;
    }

    std::vector<aldermark::ParameterAssignment> list;
    ASSERT_TRUE(aldermark::parseAssignments({"2=0.1", "2=0.9"}, list, error));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].value, 0.9f) << "order is kept so that the last one wins";
}

}  // namespace
