// Cutting UTF-8 at a character boundary (the editor's remembered working directory; the
// directory itself is checked with the editor).
#include "platform/working_directory.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CutUtf8Test, CutsAtTheLastWholeCharacter) {
    struct Case {
        std::string text;
        std::size_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {"abc", 5, "abc"},
        {"abc", 3, "abc"},
        {"abc", 2, "ab"},
        {"a\xC3\xB6", 2, "a"},                 // inside a 2-byte character
        {"a\xE2\x9C\x93", 3, "a"},             // inside a 3-byte one
        {"a\xF0\x9F\x8E\x9A", 4, "a"},         // inside a 4-byte one
        {"a\xF0\x9F\x8E\x9A" "b", 5, "a\xF0\x9F\x8E\x9A"},
        {"\xC3\xB6", 1, ""},
        {"ab\x80\x80\x80\x80" "c", 5, "ab\x80\x80\x80"},  // stray bytes count on their own
        {"abc", 0, ""},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        platform::cutUtf8(text, c.maxBytes);
        EXPECT_EQ(text, c.expected) << c.text << " to " << c.maxBytes;
    }
}

}  // namespace
