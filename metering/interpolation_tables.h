#pragma once
// FIR phases of the inter-sample detector, 64 taps each, tap 0 applied to the oldest sample.

namespace interpolation {

constexpr int kTaps = 64;

// 4x oversampling (rates below 88.2 kHz): values 1/4, 1/2 and 3/4 of a sample between the
// two centre taps. The three-quarter phase is the quarter phase reversed.
extern const double kQuarterPhase[kTaps];
extern const double kHalfPhase[kTaps];
extern const double kThreeQuarterPhase[kTaps];

// 2x oversampling (88.2 kHz up to 176.4 kHz): the midpoint between the two centre taps.
extern const double kMidpointPhase[kTaps];

}  // namespace interpolation
