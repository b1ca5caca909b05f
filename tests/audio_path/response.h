#pragma once
// Reference magnitudes and a sine-based response measurement for the strip filter tests.
//
// The second-order references are the analogue prototypes (s^2 or 1 over s^2 + s/Q + 1)
// evaluated at the bilinear-warped frequency, which is what a prewarped bilinear design
// must match exactly. The first-order reference is the unity-DC one-pole whose pole is
// found numerically so that the corner sits at half power.

#include <cmath>
#include <functional>
#include <numbers>
#include <vector>

namespace response {

constexpr double kPi = std::numbers::pi;

// Frequency relative to the corner after bilinear warping.
inline double warped(double f, double corner, double fs)
{
    return std::tan(kPi * f / fs) / std::tan(kPi * corner / fs);
}

inline double secondOrderHighPass(double f, double corner, double q, double fs)
{
    const double w = warped(f, corner, fs);
    return w * w / std::hypot(1.0 - w * w, w / q);
}

inline double secondOrderLowPass(double f, double corner, double q, double fs)
{
    const double w = warped(f, corner, fs);
    return 1.0 / std::hypot(1.0 - w * w, w / q);
}

inline double onePoleGain(double pole, double f, double fs)
{
    const double w = 2.0 * kPi * f / fs;
    return (1.0 - pole) / std::sqrt(1.0 - 2.0 * pole * std::cos(w) + pole * pole);
}

inline double firstOrderLowPass(double f, double corner, double fs)
{
    double low = 0.0, high = 1.0;  // the gain at the corner falls as the pole grows
    for (int i = 0; i < 200; ++i) {
        const double mid = 0.5 * (low + high);
        (onePoleGain(mid, corner, fs) > std::sqrt(0.5) ? low : high) = mid;
    }
    return onePoleGain(0.5 * (low + high), f, fs);
}

// Damping eased towards Nyquist, as the section designs do for second-order corners.
inline double easedHighPassQ(double corner, double q, double fs)
{
    return (1.0 - std::pow(corner / (0.5001 * fs), 6.0)) * q;
}

inline double easedLowPassQ(double corner, double q, double fs)
{
    return (1.0 - std::pow(corner / (0.50001 * fs), 8.0)) * q;
}

// The nearest frequency to `near` with a whole number of cycles in `window` samples, so
// that the correlation below has no leakage.
inline double binFrequency(double near, double fs, int window)
{
    return std::round(near * window / fs) * fs / window;
}

// Runs a unit sine through `filter` (which processes a buffer in place) and gives the
// steady-state amplitude of the output at that frequency.
inline double measureGain(const std::function<void(float*, int)>& filter, double f, double fs,
                          int settle, int window)
{
    std::vector<float> signal(static_cast<std::size_t>(settle + window));
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(std::sin(2.0 * kPi * f * double(i) / fs));
    filter(signal.data(), static_cast<int>(signal.size()));
    double inPhase = 0.0, quadrature = 0.0;
    for (int i = 0; i < window; ++i) {
        const double phase = 2.0 * kPi * f * double(settle + i) / fs;
        inPhase += signal[static_cast<std::size_t>(settle + i)] * std::sin(phase);
        quadrature += signal[static_cast<std::size_t>(settle + i)] * std::cos(phase);
    }
    return 2.0 * std::hypot(inPhase, quadrature) / window;
}

// Float audio leaves a noise floor of about 1e-7 under any response; deep in a stop band
// that floor, not the design, decides the last digits.
inline double tolerance(double expected, double relative) { return relative * expected + 1e-6; }

}  // namespace response
