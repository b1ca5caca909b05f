#include "core/parameter_table.h"

namespace parameters {
namespace {

struct Entry {
    const char* name;
    float defaultValue;
    bool isSwitch;
    float step, smallStep, largeStep;
};

constexpr bool kSwitch = true;
constexpr bool kSteps = false;

const Entry kEntries[kFunctionCount] = {
    {"Process", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"Trim", 0.5f, kSteps, 1.0f / 41.0f, 1.0f / 401.0f, 1.0f / 41.0f},
    {"GSIcal", 0.5f, kSteps, 0.5f, 0.5f, 0.5f},
    // Three meters: announced in half steps like "GSIcal", so generic controls offer all three.
    {"Meter", 0.0f, kSteps, 0.5f, 0.5f, 0.5f},
    {"LR/MS", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"Hold", 0.0f, kSteps, 0.5f, 0.5f, 0.5f},
    {"Strips", 1.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"ShowFlt", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"ProcFlt", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"HPStat", 1.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"HPSlope", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"HPFreq", 0.0f, kSteps, 1.0f / 41.0f, 1.0f / 401.0f, 1.0f / 41.0f},
    {"LPStat", 1.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"LPSlope", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"LPFreq", 1.0f, kSteps, 1.0f / 41.0f, 1.0f / 401.0f, 1.0f / 41.0f},
    {"ShowLbl", 0.0f, kSwitch, 1.0f, 1.0f, 1.0f},
    {"LagTime", 0.0f, kSteps, 1.0f / 99.9f, 1.0f / 999.0f, 1.0f / 99.9f},
};

}  // namespace

const char* name(int index) { return (index >= 0 && index < kFunctionCount) ? kEntries[index].name : ""; }

float defaultValue(int index) {
    if (index >= 0 && index < kFunctionCount) return kEntries[index].defaultValue;
    return (index >= kFirstSpare && index < kHostCount) ? 0.5f : 0.0f;
}

bool properties(int index, Properties* out) {
    if (!out || index < 0 || index >= kFunctionCount) return false;
    const Entry& e = kEntries[index];
    *out = {e.isSwitch, e.step, e.smallStep, e.largeStep};
    return true;
}

}  // namespace parameters
