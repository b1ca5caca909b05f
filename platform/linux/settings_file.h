#pragma once
// Text format of the Linux settings store file, one value per line:
//
//     <name> <hex bytes>\n
//
// <name> follows the store's name rules (no spaces or control characters); <hex bytes> is two
// hex digits per byte of the value, lower case when written, either case when read; at least
// one byte. The first line is a heading that is not a valid entry. A line that breaks any
// rule (the heading among them), or that lacks its final newline (a cut-off file), is
// ignored; when a name appears twice the last valid line counts. Whoever reads a damaged
// file keeps the values of its good lines.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace platform::settings_file {

using Bytes = std::vector<unsigned char>;
using Entries = std::map<std::string, Bytes, std::less<>>;

// The hex text of the last valid line named `name`, or an empty view when there is none.
std::string_view findHex(std::string_view text, std::string_view name);

// Decodes valid hex text (as answered by findHex) into hex.size() / 2 bytes at `out`.
void decodeHex(std::string_view hex, unsigned char* out);

// Every valid entry of the text.
Entries parse(std::string_view text);

// The file text for the entries, with a heading comment.
std::string format(const Entries& entries);

}  // namespace platform::settings_file
