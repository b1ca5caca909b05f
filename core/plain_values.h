#pragma once
// The host parameters 0..16 in their own units (dB, Hz, ms, choices), written once for the
// formats whose hosts see plain values (LV2's control ports, CLAP's params): each converts
// to the effect's normalised value and back, and to and from a text a user types.
#include <cmath>
#include <cstddef>

#include "model/parameter_ids.h"

namespace plain_values {

// How a plain value maps onto the effect's 0..1.
enum class Law {
    kToggle,     // 0 or 1
    kThreeWay,   // 0, 1 or 2
    kLinear,     // minimum..maximum, evenly
    kSweep,      // minimum..maximum Hz, logarithmic (the maximum is 100 x the minimum)
};

struct Control {
    int parameter;        // the effect's parameter index
    const char* symbol;   // a short identifier (the LV2 port symbol)
    const char* name;     // what a host shows
    Law law;
    float minimum, maximum;
    const char* unit;     // LV2 units URI suffix ("db", "hz", "ms"), or null
    bool integer;         // whole values only
    const char* choices[3];  // names of 0, 1 (and 2 for the three-way controls)
};

inline constexpr Control kControls[] = {
    {parameters::kProcess, "process", "Process", Law::kToggle, 0, 1, nullptr, true, {"Off", "On"}},
    {parameters::kTrim, "trim", "Trim", Law::kLinear, -20, 20, "db", false, {}},
    {parameters::kScope, "scope", "Settings scope", Law::kThreeWay, 0, 2, nullptr, true, {"Global", "Session", "Instance"}},
    {parameters::kMeter, "meter", "Meter", Law::kThreeWay, 0, 2, nullptr, true, {"VU3", "RMS3", "RAD3"}},
    {parameters::kMidSide, "mid_side", "Mid/side", Law::kToggle, 0, 1, nullptr, true, {"LR", "MS"}},
    {parameters::kHold, "hold", "Hold", Law::kThreeWay, 0, 2, nullptr, true, {"Off", "On", "Infinite"}},
    {parameters::kStrips, "strips", "Strips", Law::kToggle, 0, 1, nullptr, true, {"Hide", "Show"}},
    {parameters::kShowFilters, "show_filters", "Show filters", Law::kToggle, 0, 1, nullptr, true, {"Hide", "Show"}},
    {parameters::kFiltersIn, "filters_in", "Filters in", Law::kToggle, 0, 1, nullptr, true, {"Out", "In"}},
    {parameters::kHighPassOn, "hp_on", "High-pass on", Law::kToggle, 0, 1, nullptr, true, {"Out", "In"}},
    {parameters::kHighPassSlope, "hp_slope", "High-pass 24 dB/oct", Law::kToggle, 0, 1, nullptr, true, {"12 dB/oct", "24 dB/oct"}},
    {parameters::kHighPassFrequency, "hp_freq", "High-pass frequency", Law::kSweep, 20, 2000, "hz", false, {}},
    {parameters::kLowPassOn, "lp_on", "Low-pass on", Law::kToggle, 0, 1, nullptr, true, {"Out", "In"}},
    {parameters::kLowPassSlope, "lp_slope", "Low-pass 18 dB/oct", Law::kToggle, 0, 1, nullptr, true, {"6 dB/oct", "18 dB/oct"}},
    {parameters::kLowPassFrequency, "lp_freq", "Low-pass frequency", Law::kSweep, 300, 30000, "hz", false, {}},
    {parameters::kShowLabel, "show_label", "Show label", Law::kToggle, 0, 1, nullptr, true, {"Hide", "Show"}},
    {parameters::kLagTime, "lag_time", "Lag time", Law::kLinear, 0, 999, "ms", true, {}},
};
inline constexpr int kControlCount = static_cast<int>(sizeof kControls / sizeof kControls[0]);
static_assert(kControlCount == parameters::kFunctionCount, "one control per host parameter");

// The control of host parameter `index`, or null outside 0..16.
inline const Control* controlOf(long long index) {
    return index >= 0 && index < kControlCount ? &kControls[index] : nullptr;
}

// The effect's normalised value of a plain value (clamped to the control's range).
inline float normalised(const Control& c, float value) {
    const float v = value < c.minimum ? c.minimum : value > c.maximum ? c.maximum : value;
    switch (c.law) {
        case Law::kToggle: return v >= 0.5f ? 1.0f : 0.0f;
        case Law::kThreeWay: return std::round(v) / 2.0f;
        case Law::kLinear: return (v - c.minimum) / (c.maximum - c.minimum);
        case Law::kSweep: return static_cast<float>(std::log(v / c.minimum) / std::log(c.maximum / c.minimum));
    }
    return 0.0f;
}

// The plain value of a normalised value.
inline float hostValue(const Control& c, float x) {
    switch (c.law) {
        case Law::kToggle: return x >= 0.5f ? 1.0f : 0.0f;
        case Law::kThreeWay: return std::round(x * 2.0f);
        case Law::kLinear: return c.minimum + x * (c.maximum - c.minimum);
        case Law::kSweep: return static_cast<float>(c.minimum * std::pow(c.maximum / c.minimum, x));
    }
    return 0.0f;
}

// A plain value as a user reads it: the choice's name, or the number with its unit ("-6.5 dB",
// "200 Hz", "300 ms"). Clamped to the range; writes at most outSize - 1 characters and always
// terminates (null out or outSize 0: nothing). False (and "" written) for a NaN.
bool formatText(const Control& c, double value, char* out, std::size_t outSize);
// The plain value of a typed text: a choice's name (any case) or its number, or a number
// with or without a unit ("kHz" counts a thousand); "." or "," before the decimals. Clamped
// to the range; false (and `out` untouched) for anything else.
bool parseText(const Control& c, const char* text, double* out);

}  // namespace plain_values
