#pragma once
#include <algorithm>
// The VU needle: a second-order low-pass whose damping depends on where the needle stands.
// Sixteen coefficient sets run from section 0 (needle at rest) to section 15 (needle at the
// reference); each sample uses the section the needle last pointed at, then moves on to the
// section of its new position, carrying the filter state along.

class VUNeedleBank {
public:
    static constexpr int kSections = 16;

    // Designs all sections for a cutoff (Hz) and a Q that runs from q0 (section 0) to q15.
    void design(double sampleRate, double cutoff, double q0, double q15);
    // Clears the filter state and returns to section 0.
    void clear();
    // Runs one input sample (rectified level) and returns the needle, single precision.
    inline float process(double input);
    int section() const { return section_; }
    int previousSection() const { return previousSection_; }

private:
    struct Coefficients {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };
    static Coefficients lowPass(double sampleRate, double cutoff, double q);

    Coefficients sections_[kSections];
    double x1_ = 0.0, x2_ = 0.0;  // previous inputs, linear
    double y1_ = 0.0, y2_ = 0.0;  // previous outputs, linear
    double guard_ = 1e-12;        // alternating offset that keeps the state out of denormals
    int section_ = 0;             // section used for the next sample, 0..15
    int previousSection_ = 0;     // section used before it
};

inline float VUNeedleBank::process(double input) {
    const Coefficients& c = sections_[section_];
    const double u = input + guard_;
    guard_ = -guard_;
    // The term of the newest output comes last: it is the one each sample waits for.
    const double y = ((c.b0 * u + c.b1 * x1_) + (c.b2 * x2_ - c.a2 * y2_)) - c.a1 * y1_;
    x2_ = x1_;
    x1_ = u;
    y2_ = y1_;
    y1_ = y;
    const float needle = static_cast<float>(y);
    previousSection_ = section_;
    section_ = static_cast<int>(15.0f * std::clamp(needle, 0.0f, 1.0f) + 0.5f);
    return needle;
}
