#pragma once
// The LV2 plug-in's ports, written once: the plug-in reads its controls through this table
// and the bundle's description is written from it at build time. Control inputs are the
// host parameters 0..16 in the units a generic host view shows (core/plain_values.h).
#include <cmath>
#include <cstddef>

#include "core/plain_values.h"
#include "model/parameter_ids.h"

namespace lv2_ports {

inline constexpr const char* kPluginUri = "https://kestrune-zeb.com/plugins/aldermark";
// Our editor as the plug-in's UI (in the same binary).
inline constexpr const char* kUiUri = "https://kestrune-zeb.com/plugins/aldermark#ui";
inline constexpr const char* kChunkKeyUri = "https://kestrune-zeb.com/plugins/aldermark#chunk";

enum AudioPort { kInLeft = 0, kInRight, kOutLeft, kOutRight, kAudioPortCount };
inline constexpr const char* kAudioSymbols[kAudioPortCount] = {"in_l", "in_r", "out_l", "out_r"};
inline constexpr const char* kAudioNames[kAudioPortCount] = {"In L", "In R", "Out L", "Out R"};

// The control inputs are the plain values of the host parameters, in table order.
using plain_values::Control;
using plain_values::kControlCount;
using plain_values::kControls;
using plain_values::Law;
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

using plain_values::hostValue;
using plain_values::normalised;

}  // namespace lv2_ports
