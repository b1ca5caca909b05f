#include "platform/linux/settings_file.h"

#include "platform/setting_limits.h"

namespace platform::settings_file {
namespace {

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Splits one line (without its newline) into name and hex; false when the line is invalid.
bool splitLine(std::string_view line, std::string_view& name, std::string_view& hex)
{
    while (!line.empty() && (isBlank(line.back()) || line.back() == '\r')) line.remove_suffix(1);

    std::size_t nameEnd = 0;
    while (nameEnd < line.size() && !isBlank(line[nameEnd])) ++nameEnd;
    std::size_t hexStart = nameEnd;
    while (hexStart < line.size() && isBlank(line[hexStart])) ++hexStart;

    name = line.substr(0, nameEnd);
    hex = line.substr(hexStart);
    if (!isStorableSettingName(name)) return false;
    if (hex.empty() || hex.size() % 2 != 0 || !isStorableSettingSize(hex.size() / 2)) return false;
    for (char c : hex)
        if (hexDigitValue(c) < 0) return false;
    return true;
}

// Calls visit(name, hex) for every valid, newline-terminated line in file order.
template <typename Visit>
void forEachEntry(std::string_view text, Visit visit)
{
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) return;  // cut off: the last line is not complete
        std::string_view name, hex;
        if (splitLine(text.substr(start, end - start), name, hex)) visit(name, hex);
        start = end + 1;
    }
}

}  // namespace

std::string_view findHex(std::string_view text, std::string_view name)
{
    std::string_view found;
    forEachEntry(text, [&](std::string_view entryName, std::string_view hex) {
        if (entryName == name) found = hex;
    });
    return found;
}

void decodeHex(std::string_view hex, unsigned char* out)
{
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out[i / 2] = static_cast<unsigned char>(hexDigitValue(hex[i]) * 16 + hexDigitValue(hex[i + 1]));
}

Entries parse(std::string_view text)
{
    Entries entries;
    forEachEntry(text, [&](std::string_view name, std::string_view hex) {
        Bytes bytes(hex.size() / 2);
        decodeHex(hex, bytes.data());
        entries.insert_or_assign(std::string(name), std::move(bytes));
    });
    return entries;
}

std::string format(const Entries& entries)
{
    static constexpr char digits[] = "0123456789abcdef";
    std::string text = "# ZEB Aldermark settings: one value per line, name and hex bytes\n";
    for (const auto& [name, bytes] : entries) {
        text += name;
        text += ' ';
        for (unsigned char b : bytes) {
            text += digits[b >> 4];
            text += digits[b & 0x0f];
        }
        text += '\n';
    }
    return text;
}

}  // namespace platform::settings_file
