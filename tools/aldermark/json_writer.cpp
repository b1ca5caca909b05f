#include "tools/aldermark/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace aldermark {
namespace {

void appendEscape(std::string& out, std::uint32_t unit) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(unit));
    out += buffer;
}

void appendCodePoint(std::string& out, std::uint32_t code) {
    if (code >= 0x10000) {
        code -= 0x10000;
        appendEscape(out, 0xD800 + (code >> 10));
        appendEscape(out, 0xDC00 + (code & 0x3FF));
    } else {
        appendEscape(out, code);
    }
}

// Length of the valid UTF-8 sequence at text[i] (2..4) and its code point; 0 when invalid.
std::size_t utf8Sequence(std::string_view text, std::size_t i, std::uint32_t& code) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07, minimum = 0x10000;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < minimum || code > 0x10FFFF || surrogate ? 0 : length;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            std::uint32_t code = 0;
            const std::size_t length = utf8Sequence(text, i, code);
            appendCodePoint(out, length ? code : c);
            i += length ? length : 1;
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c == 0x7F)
                appendEscape(out, c);
            else
                out += static_cast<char>(c);
        }
        ++i;
    }
    out += '"';
}

void JsonWriter::newline() {
    out_ += '\n';
    out_.append(levels_.size() * 2, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (!level.empty) out_ += level.compact ? ", " : ",";
    if (!level.compact) newline();
    level.empty = false;
}

void JsonWriter::open(char bracket, bool compact) {
    beforeValue();
    out_ += bracket;
    // Inside a one-line container everything stays on that line.
    const bool inherited = !levels_.empty() && levels_.back().compact;
    levels_.push_back({compact || inherited, true});
}

void JsonWriter::close(char bracket) {
    const Level level = levels_.back();
    levels_.pop_back();
    if (!level.compact && !level.empty) newline();
    out_ += bracket;
    if (levels_.empty()) out_ += '\n';
}

void JsonWriter::key(std::string_view name) {
    beforeValue();
    appendJsonString(out_, name);
    out_ += ": ";
    afterKey_ = true;
}

void JsonWriter::value(std::string_view text) {
    beforeValue();
    appendJsonString(out_, text);
}

void JsonWriter::value(bool flag) {
    beforeValue();
    out_ += flag ? "true" : "false";
}

void JsonWriter::value(std::int64_t number) {
    beforeValue();
    out_ += std::to_string(number);
}

namespace {

// Shortest text that reads back as the same number, or null for NaN and infinities.
template <typename Number>
void appendNumber(std::string& out, Number number) {
    if (!std::isfinite(number)) {
        out += "null";
        return;
    }
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
    out.append(buffer, result.ptr);
}

}  // namespace

void JsonWriter::value(double number) {
    beforeValue();
    appendNumber(out_, number);
}

void JsonWriter::value(float number) {
    beforeValue();
    appendNumber(out_, number);
}

void JsonWriter::nullValue() {
    beforeValue();
    out_ += "null";
}

}  // namespace aldermark
