#include "metering/vu_needle_bank.h"

#include <algorithm>
#include <cmath>
#include <numbers>

VUNeedleBank::Coefficients VUNeedleBank::lowPass(double sampleRate, double cutoff, double q) {
    const double fs = (sampleRate >= 20000.0 && sampleRate <= 200000.0) ? sampleRate : 44100.0;
    const double f = std::min(cutoff, 0.499 * fs);
    // Bending Q down near Nyquist keeps the response from peaking there.
    const double qCorrected = q * (1.0 - std::pow(f / (0.50001 * fs), 8.0));
    const double w0 = 2.0 * std::numbers::pi * f / fs;
    const double alpha = std::sin(w0) / (2.0 * qCorrected);
    const double a0 = 1.0 + alpha;
    const double cosw = std::cos(w0);
    Coefficients c;
    c.b0 = (1.0 - cosw) / 2.0 / a0;
    c.b1 = (1.0 - cosw) / a0;
    c.b2 = c.b0;
    c.a1 = -2.0 * cosw / a0;
    c.a2 = (1.0 - alpha) / a0;
    return c;
}

void VUNeedleBank::design(double sampleRate, double cutoff, double q0, double q15) {
    for (int i = 0; i < kSections; ++i)
        designs_[i] = lowPass(sampleRate, cutoff, q0 - i * (q0 - q15) / 15.0);
    activate(activeSections_);
}

void VUNeedleBank::clear() {
    x1_ = x2_ = y1_ = y2_ = StereoDouble{};
    previousSections_ = 0;
    activate(0);
}

void VUNeedleBank::activate(std::uint64_t packed) {
    activeSections_ = packed;
    const Coefficients& left = designs_[sections(packed, 0)];
    const Coefficients& right = designs_[sections(packed, 1)];
    b0_ = stereoPair(left.b0, right.b0);
    b1_ = stereoPair(left.b1, right.b1);
    b2_ = stereoPair(left.b2, right.b2);
    a1_ = stereoPair(left.a1, right.a1);
    a2_ = stereoPair(left.a2, right.a2);
}
