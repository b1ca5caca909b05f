#include "toolkit/utf8.h"

namespace toolkit {
namespace {

// Length of the well-formed sequence starting at `p`, 0 when there is none.
int sequenceLength(const unsigned char* p) {
    const unsigned char lead = p[0];
    if (lead < 0x80) return 1;
    int length = 0;
    char32_t minimum = 0;
    char32_t value = 0;
    if ((lead & 0xE0) == 0xC0) { length = 2; minimum = 0x80; value = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { length = 3; minimum = 0x800; value = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { length = 4; minimum = 0x10000; value = lead & 0x07; }
    else return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;  // also stops at the terminator
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
    return length;
}

}  // namespace

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF) return;
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c <= 0x10FFFF) {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

bool isValidUtf8(const char* text) {
    if (!text) return true;
    for (auto* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        const int length = sequenceLength(p);
        if (length == 0) return false;
        p += length;
    }
    return true;
}

std::string repairUtf8(const char* text) {
    std::string out;
    if (!text) return out;
    for (auto* p = reinterpret_cast<const unsigned char*>(text); *p;) {
        const int length = sequenceLength(p);
        if (length == 0) {
            appendUtf8(out, *p);
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(length));
            p += length;
        }
    }
    return out;
}

}  // namespace toolkit
