#pragma once
// The process's current working directory, as the editor remembers it.
#include <cstddef>
#include <string>

namespace platform {

// The working directory as UTF-8, cut to at most `maxBytes` bytes at a character boundary;
// empty when the system cannot tell (a deleted directory, no permission).
std::string workingDirectory(std::size_t maxBytes);

// Cuts UTF-8 `text` to at most `maxBytes` bytes without splitting a character (bytes that are
// not UTF-8 count as characters of their own).
void cutUtf8(std::string& text, std::size_t maxBytes);

}  // namespace platform
