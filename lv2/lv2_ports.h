#pragma once
// The LV2 plug-in's ports, written once: the plug-in reads its controls through this table
// and the bundle's description is written from it at build time. Control inputs are the
// host parameters 0..16 in the units a generic host view shows; each converts to the
// effect's normalised value and back.
#include <cmath>
#include <cstddef>

#include "model/parameter_ids.h"

namespace lv2_ports {

inline constexpr const char* kPluginUri = "https://kestrune-zeb.com/plugins/aldermark";
// Our editor as the plug-in's UI (in the same binary).
inline constexpr const char* kUiUri = "https://kestrune-zeb.com/plugins/aldermark#ui";
inline constexpr const char* kChunkKeyUri = "https://kestrune-zeb.com/plugins/aldermark#chunk";

enum AudioPort { kInLeft = 0, kInRight, kOutLeft, kOutRight, kAudioPortCount };
inline constexpr const char* kAudioSymbols[kAudioPortCount] = {"in_l", "in_r", "out_l", "out_r"};
inline constexpr const char* kAudioNames[kAudioPortCount] = {"In L", "In R", "Out L", "Out R"};

// How a control's host value maps onto the effect's 0..1.
enum class Law {
    kToggle,     // 0 or 1
    kThreeWay,   // 0, 1 or 2
    kLinear,     // minimum..maximum, evenly
    kSweep,      // minimum..maximum Hz, logarithmic (the maximum is 100 x the minimum)
};

struct Control {
    int parameter;        // the effect's parameter index
    const char* symbol;   // LV2 symbol
    const char* name;     // what a host shows
    Law law;
    float minimum, maximum;
    const char* unit;     // LV2 units URI suffix, or null
    bool integer;         // whole values only
    const char* choices[3];  // names of 0, 1, 2 for the three-way controls
};

inline constexpr Control kControls[] = {
    {parameters::kProcess, "process", "Process", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kTrim, "trim", "Trim", Law::kLinear, -20, 20, "db", false, {}},
    {parameters::kScope, "scope", "Settings scope", Law::kThreeWay, 0, 2, nullptr, true, {"Global", "Session", "Instance"}},
    {parameters::kMeter, "meter", "Meter", Law::kThreeWay, 0, 2, nullptr, true, {"VU3", "RMS3", "RAD3"}},
    {parameters::kMidSide, "mid_side", "Mid/side", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kHold, "hold", "Hold", Law::kThreeWay, 0, 2, nullptr, true, {"Off", "On", "Infinite"}},
    {parameters::kStrips, "strips", "Strips", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kShowFilters, "show_filters", "Show filters", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kFiltersIn, "filters_in", "Filters in", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kHighPassOn, "hp_on", "High-pass on", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kHighPassSlope, "hp_slope", "High-pass 24 dB/oct", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kHighPassFrequency, "hp_freq", "High-pass frequency", Law::kSweep, 20, 2000, "hz", false, {}},
    {parameters::kLowPassOn, "lp_on", "Low-pass on", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kLowPassSlope, "lp_slope", "Low-pass 18 dB/oct", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kLowPassFrequency, "lp_freq", "Low-pass frequency", Law::kSweep, 300, 30000, "hz", false, {}},
    {parameters::kShowLabel, "show_label", "Show label", Law::kToggle, 0, 1, nullptr, true, {}},
    {parameters::kLagTime, "lag_time", "Lag time", Law::kLinear, 0, 999, "ms", true, {}},
};
inline constexpr int kControlCount = static_cast<int>(sizeof kControls / sizeof kControls[0]);
static_assert(kControlCount == parameters::kFunctionCount, "one control per host parameter");
inline constexpr int kFirstControlPort = kAudioPortCount;

// Control outputs: what the selected meter shows, so that a host's generic view is a working
// meter. Levels are dB relative to the meter's reference (0 = the reference), held within
// the range; the over LEDs are 1 while lit.
enum Reading { kNeedle, kHold, kRmsPointer, kOverLed };
struct Output {
    Reading reading;
    int channel;  // 0 left, 1 right
    const char* symbol;
    const char* name;
};
inline constexpr float kLowestDb = -40.0f, kHighestDb = 6.0f;
inline constexpr Output kOutputs[] = {
    {kNeedle, 0, "needle_l", "Needle L"},       {kNeedle, 1, "needle_r", "Needle R"},
    {kHold, 0, "hold_l", "Hold L"},             {kHold, 1, "hold_r", "Hold R"},
    {kRmsPointer, 0, "rms_l", "RMS pointer L"}, {kRmsPointer, 1, "rms_r", "RMS pointer R"},
    {kOverLed, 0, "over_l", "Over L"},          {kOverLed, 1, "over_r", "Over R"},
};
inline constexpr int kOutputCount = static_cast<int>(sizeof kOutputs / sizeof kOutputs[0]);
inline constexpr int kFirstOutputPort = kFirstControlPort + kControlCount;
inline constexpr int kPortCount = kFirstOutputPort + kOutputCount;
// How long an over LED stays lit after the last over, seconds.
inline constexpr double kOverLedSeconds = 1.0;

// A linear reading relative to the reference as the output shows it.
inline float readingDb(double linear) {
    if (!(linear > 0.0)) return kLowestDb;
    const double db = 20.0 * std::log10(linear);
    return static_cast<float>(db < kLowestDb ? kLowestDb : db > kHighestDb ? kHighestDb : db);
}

// The effect's normalised value of a host value (clamped to the control's range).
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

// The host value of a normalised value.
inline float hostValue(const Control& c, float x) {
    switch (c.law) {
        case Law::kToggle: return x >= 0.5f ? 1.0f : 0.0f;
        case Law::kThreeWay: return std::round(x * 2.0f);
        case Law::kLinear: return c.minimum + x * (c.maximum - c.minimum);
        case Law::kSweep: return static_cast<float>(c.minimum * std::pow(c.maximum / c.minimum, x));
    }
    return 0.0f;
}

}  // namespace lv2_ports
