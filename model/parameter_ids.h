#pragma once
// The parameter indices: those the host sees (0..63) and those above, which the editor and
// the meter models use for commands, notifications and the meter settings.

namespace parameters {

enum Index {
    kProcess = 0, kTrim, kScope, kMeter, kMidSide, kHold, kStrips, kShowFilters, kFiltersIn,
    kHighPassOn, kHighPassSlope, kHighPassFrequency, kLowPassOn, kLowPassSlope,
    kLowPassFrequency, kShowLabel, kLagTime,
    kFirstSpare = 17,
    kHostCount = 64,              // indices 0..63 are the host's
    kStoreAsGlobal = 65,          // command: meter models persist their Global stores
    kClearOvers = 67,             // command: over latches and held maxima cleared
    kLabelChanged = 69,           // notification: the strip label changed
    kFirstMeterSetting = 72,      // 72..81 RMS, 83..91 VU, 93..100 PPM
    kLastMeterSetting = 100,
};

constexpr int kFunctionCount = 17;  // 0..16 have a function and can be automated

// The longest parameter display text a host takes, without the terminator.
constexpr int kTextLength = 8;

}  // namespace parameters
