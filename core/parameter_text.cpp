#include "core/parameter_text.h"

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kMaxTextLength = 8;
constexpr const char* kUndefinedText = "UNDEF";
constexpr int kMaxDecimals = 8;
// Nine digits can never fit with anything else, so larger magnitudes are out of range
// before any integer conversion.
constexpr double kMagnitudeLimit = 1e8;

std::size_t writeText(const char* text, char* out, std::size_t outSize)
{
    if (out == nullptr || outSize == 0) return 0;
    std::size_t length = text != nullptr ? std::strlen(text) : 0;
    if (length > outSize - 1) length = outSize - 1;
    if (length > 0) std::memcpy(out, text, length);
    out[length] = '\0';
    return length;
}

// A single decimal digit, truncated; rounding noise cannot push it outside 0 ... 9.
int digit(double value)
{
    const int truncated = static_cast<int>(value);
    return truncated < 0 ? 0 : truncated > 9 ? 9 : truncated;
}

const char* outOfRangeText(bool negative) { return negative ? "-oo" : "oo"; }

// Appends the decimal digits of value, at least minDigits of them; gives the new end.
char* appendDigits(char* end, std::uint64_t value, int minDigits)
{
    char reversed[24];
    int count = 0;
    do {
        reversed[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count < minDigits) reversed[count++] = '0';
    while (count > 0) *end++ = reversed[--count];
    return end;
}

// Writes text built in a scratch buffer, or the out-of-range text when it is too long.
std::size_t finish(const char* scratch, const char* end, bool negative, char* out, std::size_t outSize)
{
    if (static_cast<std::size_t>(end - scratch) > kMaxTextLength)
        return writeText(outOfRangeText(negative), out, outSize);
    return writeText(scratch, out, outSize);
}

}  // namespace

std::size_t formatFixedDecimal(double value, int decimals, char* out, std::size_t outSize)
{
    if (std::isnan(value)) return writeText(kUndefinedText, out, outSize);
    decimals = decimals < 0 ? 0 : decimals > kMaxDecimals ? kMaxDecimals : decimals;
    const bool negative = value < 0.0;

    std::uint64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const double scaled = std::fabs(value) * static_cast<double>(scale);
    if (!(scaled < kMagnitudeLimit)) return writeText(outOfRangeText(negative), out, outSize);

    // The 0.49999 threshold lets values a hair below the half (as binary fractions of
    // decimal steps usually are) round up as their written form says they should.
    double units = std::floor(scaled);
    if (scaled - units >= 0.49999) units += 1.0;
    const auto whole = static_cast<std::uint64_t>(units);

    char scratch[32];
    char* end = scratch;
    if (negative && whole != 0) *end++ = '-';
    end = appendDigits(end, whole / scale, 1);
    if (decimals > 0) {
        *end++ = '.';
        end = appendDigits(end, whole % scale, decimals);
    }
    *end = '\0';
    return finish(scratch, end, negative, out, outSize);
}

std::size_t formatHertz(double hz, char* out, std::size_t outSize)
{
    if (std::isnan(hz)) return writeText(kUndefinedText, out, outSize);
    if (hz < 10.0) return formatFixedDecimal(hz, 2, out, outSize);
    if (hz < 100.0) return formatFixedDecimal(hz, 1, out, outSize);
    if (hz < 1000.0) return formatFixedDecimal(hz, 0, out, outSize);
    if (!(hz < kMagnitudeLimit)) return writeText(outOfRangeText(false), out, outSize);

    const int kilo = static_cast<int>(hz * 0.001);
    const double rest = hz - kilo * 1000.0;
    const int hundreds = digit(rest * 0.01);
    const int tens = digit((rest - hundreds * 100.0) * 0.1);

    char scratch[32];
    char* end = appendDigits(scratch, static_cast<std::uint64_t>(kilo), 1);
    *end++ = 'k';
    if (hundreds != 0 || tens != 0) {
        *end++ = static_cast<char>('0' + hundreds);
        // Above 10 kHz the tens would only add clutter to a five-character reading.
        if (tens != 0 && hz < 10000.0) *end++ = static_cast<char>('0' + tens);
    }
    *end = '\0';
    return finish(scratch, end, false, out, outSize);
}

std::size_t formatSweepHertz(float x, double lowest, char* out, std::size_t outSize)
{
    if (!(x >= 0.0f && x <= 1.0f)) return writeText(kUndefinedText, out, outSize);
    // A sweep landing on a round frequency may come out a hair below it, which the
    // kilohertz digits would truncate ("2k99" for 3 kHz); lift it past the rounding error.
    const double hz = lowest * std::pow(100.0, double(x)) * (1.0 + 1e-12);
    return formatHertz(hz, out, outSize);
}

std::size_t formatSwitchText(int state, const char* whenOne, const char* whenZero, char* out,
                             std::size_t outSize)
{
    const char* text = state == 1 ? whenOne : state == 0 ? whenZero : kUndefinedText;
    return writeText(text, out, outSize);
}
