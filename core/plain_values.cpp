#include "core/plain_values.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/parameter_text.h"

namespace plain_values {

namespace {

bool hasChoices(const Control& c) { return c.law == Law::kToggle || c.law == Law::kThreeWay; }

double clampTo(const Control& c, double v) { return v < c.minimum ? c.minimum : v > c.maximum ? c.maximum : v; }

// The choice a plain value stands for.
int choiceOf(const Control& c, double v) {
    return c.law == Law::kToggle ? (v >= 0.5 ? 1 : 0) : static_cast<int>(std::round(clampTo(c, v)));
}

// The unit as a user reads it, or "" for none.
const char* unitWord(const Control& c) {
    if (!c.unit) return "";
    if (std::strcmp(c.unit, "db") == 0) return "dB";
    if (std::strcmp(c.unit, "hz") == 0) return "Hz";
    if (std::strcmp(c.unit, "ms") == 0) return "ms";
    return "";
}

bool sameWord(const char* a, const char* b, std::size_t length) {
    if (std::strlen(b) != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// A decimal number at `text` whatever the locale: sign, digits, "." or "," and decimals.
// Gives the character after it, or null when there is no digit.
const char* readNumber(const char* text, double* out) {
    double sign = 1.0, value = 0.0, scale = 1.0;
    if (*text == '-' || *text == '+') sign = *text++ == '-' ? -1.0 : 1.0;
    bool digits = false, decimals = false;
    for (; *text; ++text) {
        if (std::isdigit(static_cast<unsigned char>(*text))) {
            digits = true;
            if (decimals) value += (*text - '0') * (scale /= 10.0);
            else value = value * 10.0 + (*text - '0');
        } else if ((*text == '.' || *text == ',') && !decimals) {
            decimals = true;
        } else {
            break;
        }
    }
    if (!digits) return nullptr;
    *out = sign * value;
    return text;
}

}  // namespace

bool formatText(const Control& c, double value, char* out, std::size_t outSize) {
    if (!out || outSize == 0) return false;
    out[0] = 0;
    if (std::isnan(value)) return false;
    char text[32] = {};
    if (hasChoices(c)) {
        std::strncpy(text, c.choices[choiceOf(c, value)], sizeof text - 1);
    } else {
        const double v = clampTo(c, value);
        const int decimals = c.integer ? 0 : c.law == Law::kSweep ? (v < 100.0 ? 1 : 0) : 1;
        const std::size_t n = formatFixedDecimal(v, decimals, text, sizeof text);
        if (*unitWord(c)) std::snprintf(text + n, sizeof text - n, " %s", unitWord(c));
    }
    std::strncpy(out, text, outSize - 1);
    out[outSize - 1] = 0;
    return true;
}

bool parseText(const Control& c, const char* text, double* out) {
    if (!text || !out) return false;
    while (std::isspace(static_cast<unsigned char>(*text))) ++text;
    std::size_t length = std::strlen(text);
    while (length > 0 && std::isspace(static_cast<unsigned char>(text[length - 1]))) --length;
    if (hasChoices(c))
        for (int i = 0; i < (c.law == Law::kToggle ? 2 : 3); ++i)
            if (sameWord(text, c.choices[i], length)) return *out = i, true;
    double value = 0.0;
    const char* rest = readNumber(text, &value);
    if (!rest) return false;
    while (std::isspace(static_cast<unsigned char>(*rest))) ++rest;
    const std::size_t restLength = length - static_cast<std::size_t>(rest - text);
    const bool hertz = c.unit && std::strcmp(c.unit, "hz") == 0;
    if (hertz && (sameWord(rest, "k", restLength) || sameWord(rest, "khz", restLength))) value *= 1000.0;
    else if (restLength > 0 && !sameWord(rest, unitWord(c), restLength)) return false;
    value = clampTo(c, value);
    *out = hasChoices(c) ? choiceOf(c, value) : c.integer ? std::round(value) : value;
    return true;
}

}  // namespace plain_values
