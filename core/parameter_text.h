#pragma once
// Display texts of the parameters: fixed-decimal numbers, compact frequencies ("1k5") and
// two-state switches.
//
// Every function writes at most outSize - 1 characters and always terminates the text when
// outSize > 0 (null out or outSize 0: nothing is written). The default size is the host's
// parameter text of 8 characters and a terminator. All give the length written.
//
// Values with no sensible text still give one: not a number reads "UNDEF", and a value that
// is infinite or needs more than 8 characters reads "oo" or "-oo".

#include <cstddef>

constexpr std::size_t kParameterTextSize = 9;

// The value cut to `decimals` digits (0 ... 8) after the point, once a remainder of
// 0.49999 of the last digit has moved it one unit away from zero. No point for 0 decimals;
// a value that rounds to zero has no minus sign.
std::size_t formatFixedDecimal(double value, int decimals, char* out,
                               std::size_t outSize = kParameterTextSize);

// A frequency in Hz: "9.50", "20.0", "200", and from 1 kHz on the kilohertz with the
// hundreds and tens after a "k": "2k", "1k5", "1k25", "12k5".
std::size_t formatHertz(double hz, char* out, std::size_t outSize = kParameterTextSize);

// The frequency of a logarithmic sweep over two decades, lowest * 100^x, as formatHertz
// writes it; "UNDEF" when x lies outside 0 ... 1.
std::size_t formatSweepHertz(float x, double lowest, char* out,
                             std::size_t outSize = kParameterTextSize);

// whenOne for state 1, whenZero for state 0, "UNDEF" for anything else.
std::size_t formatSwitchText(int state, const char* whenOne, const char* whenZero, char* out,
                             std::size_t outSize = kParameterTextSize);
