#pragma once
// The VU needles of both channels: a second-order low-pass whose damping depends on where the
// needle stands. Sixteen coefficient sets run from section 0 (needle at rest) to section 15
// (needle at the reference); each sample uses the section the needle last pointed at, then
// moves on to the section of its new position, carrying the filter state along. Both
// channels share the designs; each has its own state and section.
#include <cstdint>
#include <cstring>

#include "metering/stereo_double.h"

class VUNeedleBank {
public:
    static constexpr int kSections = 16;

    // Designs all sections for a cutoff (Hz) and a Q that runs from q0 (section 0) to q15.
    void design(double sampleRate, double cutoff, double q0, double q15);
    // Clears the filter state and returns both channels to section 0.
    void clear();
    // Runs one frame of rectified levels and returns the needles, rounded to single precision.
    inline StereoDouble process(StereoDouble input);
    int section(int channel) const { return sections(activeSections_, channel); }
    int previousSection(int channel) const { return sections(previousSections_, channel); }

private:
    struct Coefficients {
        double b0 = 1.0, b1 = 0.0, b2 = 0.0, a1 = 0.0, a2 = 0.0;
    };
    static Coefficients lowPass(double sampleRate, double cutoff, double q);
    static int sections(std::uint64_t packed, int channel) {
        std::int32_t both[2];
        std::memcpy(both, &packed, sizeof both);
        return both[channel];
    }
    // Loads the coefficients of the sections in `packed` into the per-channel lanes.
    void activate(std::uint64_t packed);

    Coefficients designs_[kSections];
    // Coefficients of each channel's current section. The section changes seldom (the needle
    // moves slowly), so each sample starts from these and the choice of the next section is
    // only checked afterwards, off the path every sample waits on.
    StereoDouble b0_{}, b1_{}, b2_{}, a1_{}, a2_{};
    StereoDouble x1_{}, x2_{};  // previous inputs, linear
    StereoDouble y1_{}, y2_{};  // previous outputs, linear
    StereoDouble guard_{1e-12, 1e-12};  // alternating offset that keeps the state out of denormals
    std::uint64_t activeSections_ = 0;    // section per channel for the next sample (two int32)
    std::uint64_t previousSections_ = 0;  // sections used before them
};

inline StereoDouble VUNeedleBank::process(StereoDouble input) {
    const StereoDouble u = input + guard_;
    guard_ = -guard_;
    // The term of the newest output comes last: it is the one each sample waits for.
    const StereoDouble y = ((b0_ * u + b1_ * x1_) + (b2_ * x2_ - a2_ * y2_)) - a1_ * y1_;
    x2_ = x1_;
    x1_ = u;
    y2_ = y1_;
    y1_ = y;
    // Next section per channel: int(15·clamp(needle, 0, 1) + 0.5), in single precision.
    const __m128 needle = _mm_cvtpd_ps(y);
    const __m128 position = _mm_min_ps(_mm_max_ps(needle, _mm_setzero_ps()), _mm_set1_ps(1.0f));
    const __m128i next = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(position, _mm_set1_ps(15.0f)), _mm_set1_ps(0.5f)));
    std::uint64_t packed;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&packed), next);
    previousSections_ = activeSections_;
    if (__builtin_expect(packed != activeSections_, 0)) activate(packed);
    return _mm_cvtps_pd(needle);
}
