// The JSON report writer: escaping of untrusted plug-in text and document structure.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/json_writer.h"

namespace {

std::string asJson(std::string_view text) {
    std::string out;
    aldermark::appendJsonString(out, text);
    return out;
}

TEST(JsonStrings, SpecialCharactersAreEscaped) {
    EXPECT_EQ(asJson("Say \"hi\""), R"("Say \"hi\"")");
    EXPECT_EQ(asJson("C:\\dir"), R"("C:\\dir")");
    EXPECT_EQ(asJson("a\nb\tc\r"), R"("a\nb\tc\r")");
    EXPECT_EQ(asJson(std::string("x\x01y\x1f\x7f", 5)), R"("x\u0001y\u001f\u007f")");
    EXPECT_EQ(asJson(std::string("nul\0in", 6)), R"("nul\u0000in")");
}

TEST(JsonStrings, OutputIsAsciiWhateverTheInput) {
    EXPECT_EQ(asJson("\xC2\xB5s"), R"("\u00b5s")") << "valid UTF-8 keeps its characters";
    EXPECT_EQ(asJson("\xE2\x82\xAC"), R"("\u20ac")");
    EXPECT_EQ(asJson("\xF0\x9F\x8E\x9A"), R"("\ud83c\udf9a")") << "beyond the BMP: surrogate pair";
    EXPECT_EQ(asJson("\xB5s"), R"("\u00b5s")") << "a lone Windows-1252 byte reads as Latin-1";
    EXPECT_EQ(asJson("\xE2\x82"), R"("\u00e2\u0082")") << "a cut sequence is not swallowed";
    EXPECT_EQ(asJson("\xC0\xAF"), R"("\u00c0\u00af")") << "overlong forms are not decoded";
    EXPECT_EQ(asJson("\xED\xA0\x80"), R"("\u00ed\u00a0\u0080")") << "encoded surrogates are invalid";
}

TEST(JsonDocument, NestingCommasAndNumbers) {
    aldermark::JsonWriter json;
    json.beginObject();
    json.member("name", "ZEB");
    json.member("count", 64);
    json.member("ratio", 0.1f);
    json.member("precise", 0.1);
    json.member("broken", std::numeric_limits<float>::quiet_NaN());
    json.member("on", true);
    json.key("list");
    json.beginArray();
    for (int i = 0; i < 2; ++i) {
        json.beginObject(true);
        json.member("index", i);
        json.key("empty");
        json.beginArray();
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.key("none");
    json.beginObject();
    json.endObject();
    json.endObject();

    const std::string& text = json.text();
    EXPECT_TRUE(host_test::JsonSyntax::valid(text)) << text;
    EXPECT_NE(text.find("\"ratio\": 0.1,"), std::string::npos) << "floats print as the float they are";
    EXPECT_NE(text.find("\"precise\": 0.1,"), std::string::npos);
    EXPECT_NE(text.find("\"broken\": null"), std::string::npos);
    EXPECT_NE(text.find("{\"index\": 1, \"empty\": []}"), std::string::npos) << text;
    EXPECT_NE(text.find("\"none\": {}"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');
}

TEST(JsonSyntaxCheck, RejectsMalformedDocuments) {
    // The checker guards the report tests; make sure it can fail.
    for (const char* bad : {"{\"a\": 1,}", "[1 2]", "{\"a\" 1}", "\"open", "01", "1.", "{'a': 1}", "[nan]", ""})
        EXPECT_FALSE(host_test::JsonSyntax::valid(bad)) << bad;
    EXPECT_TRUE(host_test::JsonSyntax::valid(R"( {"a": [1, -2.5e3, true, null, "\u00b5"]} )"));
}

}  // namespace
