#include "controls/typed_number.h"

#include <charconv>
#include <cmath>

namespace editor {

bool readTypedNumber(const char* text, double& value, const char** rest) {
    if (!text) return false;
    while (*text == ' ' || *text == '\t') ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    // The digits, with the decimal comma written as a point for the conversion.
    char digits[64];
    std::size_t n = 0;
    const char* p = text;
    bool seenPoint = false, seenDigit = false;
    for (; *p && n + 1 < sizeof digits; ++p) {
        if (*p >= '0' && *p <= '9') {
            seenDigit = true;
        } else if ((*p == '.' || *p == ',') && !seenPoint) {
            seenPoint = true;
        } else if ((*p == 'e' || *p == 'E') && seenDigit) {
            // An exponent only when digits follow it; "5 e" or "3dB" are no exponents.
            const char* q = p + 1;
            if (*q == '+' || *q == '-') ++q;
            if (!(*q >= '0' && *q <= '9')) break;
            digits[n++] = 'e';
            for (++p; *p && n + 1 < sizeof digits && ((*p >= '0' && *p <= '9') || *p == '+' || *p == '-'); ++p)
                digits[n++] = *p;
            break;
        } else {
            break;
        }
        digits[n++] = *p == ',' ? '.' : *p;
    }
    digits[n] = 0;
    if (!seenDigit) return false;
    double parsed = 0;
    const auto result = std::from_chars(digits, digits + n, parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) return false;
    value = negative ? -parsed : parsed;
    if (rest) *rest = p;
    return true;
}

}  // namespace editor
