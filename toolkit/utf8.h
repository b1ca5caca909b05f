#pragma once
// UTF-8 helpers for text that reaches the drawing back ends.
#include <string>

namespace toolkit {

// Appends the UTF-8 form of a code point (nothing for surrogates or values above U+10FFFF).
void appendUtf8(std::string& out, char32_t codePoint);
// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or stray bytes).
bool isValidUtf8(const char* text);
// `text` with every byte that is not part of a well-formed sequence read as Latin-1, so
// 8-bit texts (older host projects, Windows code pages) still show their letters.
std::string repairUtf8(const char* text);

}  // namespace toolkit
