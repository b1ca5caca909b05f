#pragma once
// The parameters as the host sees them: indices, names, defaults and properties, and the
// indices above 63 used by the editor and the meter models.
#include "vst/aeffectx.h"

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

// The host-visible name (at most 7 characters); "" for spare and internal indices.
const char* name(int index);
// The value a new instance starts with (spares 0.5). Scope and meter come from the
// process-wide defaults, so they are not in here.
float defaultValue(int index);
// Fills the properties of indices 0..16; false for any other index.
bool properties(int index, VstParameterProperties* out);

}  // namespace parameters
