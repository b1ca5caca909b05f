#include "metering/inter_sample_detector.h"

#include <emmintrin.h>

#include <cmath>
#include <cstring>

#include "metering/interpolation_tables.h"

namespace {

constexpr int kTaps = interpolation::kTaps;
constexpr int kHalf = kTaps / 2;

// The phases folded around the window centre, each coefficient duplicated for the two
// interleaved channels. Because the 3/4 phase mirrors the 1/4 phase and the other phases are
// symmetric, the sums need only the pair sums w[j] + w[63-j] and differences w[j] - w[63-j]:
//   quarter = S + A, three-quarter = S - A, half = sum of half[j] * pairSum.
struct FoldedPhases {
    alignas(16) double even[kHalf][2];     // (quarter[j] + quarter[63-j]) / 2
    alignas(16) double odd[kHalf][2];      // (quarter[j] - quarter[63-j]) / 2
    alignas(16) double half[kHalf][2];     // half phase, taps 0..31
    alignas(16) double midpoint[kHalf][2]; // 2x phase, taps 0..31

    FoldedPhases() {
        using namespace interpolation;
        for (int j = 0; j < kHalf; ++j) {
            const double e = (kQuarterPhase[j] + kQuarterPhase[kTaps - 1 - j]) * 0.5;
            const double o = (kQuarterPhase[j] - kQuarterPhase[kTaps - 1 - j]) * 0.5;
            even[j][0] = even[j][1] = e;
            odd[j][0] = odd[j][1] = o;
            half[j][0] = half[j][1] = kHalfPhase[j];
            midpoint[j][0] = midpoint[j][1] = kMidpointPhase[j];
        }
    }
};

const FoldedPhases& folded() {
    static const FoldedPhases phases;
    return phases;
}

// The library sets the table up while loading, not on the audio thread's first use.
const bool gPhasesReady = (folded(), true);

inline double largestMagnitude(const double* candidates, int count) {
    double best = candidates[0];
    for (int i = 1; i < count; ++i)
        if (std::fabs(candidates[i]) > std::fabs(best)) best = candidates[i];
    return best;
}

}  // namespace

InterSampleDetector::InterSampleDetector() : path_(Path::kFourTimes), position_(0) { clear(); }

void InterSampleDetector::init(double sampleRate) {
    (void)gPhasesReady;
    if (sampleRate < 88200.0)
        path_ = Path::kFourTimes;
    else if (sampleRate < 176400.0)
        path_ = Path::kTwoTimes;
    else
        path_ = Path::kDelayOnly;
    clear();
}

void InterSampleDetector::clear() {
    std::memset(window_, 0, sizeof window_);
    position_ = 0;
}

void InterSampleDetector::push(double left, double right) {
    window_[position_][0] = window_[position_ + kTaps][0] = left;
    window_[position_][1] = window_[position_ + kTaps][1] = right;
    position_ = (position_ + 1) & (kTaps - 1);
}

void InterSampleDetector::estimate(double out[2]) const {
    const double(*w)[2] = window_ + position_;
    if (path_ == Path::kDelayOnly) {
        out[0] = w[0][0];
        out[1] = w[0][1];
        return;
    }
    const FoldedPhases& f = folded();
    // Two interleaved accumulator sets keep the add chains short; the order is fixed so
    // every build gives the same result.
    __m128d sumA = _mm_setzero_pd(), sumB = _mm_setzero_pd();
    __m128d diffA = _mm_setzero_pd(), diffB = _mm_setzero_pd();
    __m128d halfA = _mm_setzero_pd(), halfB = _mm_setzero_pd();
    if (path_ == Path::kFourTimes) {
        for (int j = 0; j < kHalf; j += 2) {
            const __m128d lo0 = _mm_load_pd(w[j]), hi0 = _mm_load_pd(w[kTaps - 1 - j]);
            const __m128d lo1 = _mm_load_pd(w[j + 1]), hi1 = _mm_load_pd(w[kTaps - 2 - j]);
            const __m128d p0 = _mm_add_pd(lo0, hi0), m0 = _mm_sub_pd(lo0, hi0);
            const __m128d p1 = _mm_add_pd(lo1, hi1), m1 = _mm_sub_pd(lo1, hi1);
            sumA = _mm_add_pd(sumA, _mm_mul_pd(_mm_load_pd(f.even[j]), p0));
            sumB = _mm_add_pd(sumB, _mm_mul_pd(_mm_load_pd(f.even[j + 1]), p1));
            diffA = _mm_add_pd(diffA, _mm_mul_pd(_mm_load_pd(f.odd[j]), m0));
            diffB = _mm_add_pd(diffB, _mm_mul_pd(_mm_load_pd(f.odd[j + 1]), m1));
            halfA = _mm_add_pd(halfA, _mm_mul_pd(_mm_load_pd(f.half[j]), p0));
            halfB = _mm_add_pd(halfB, _mm_mul_pd(_mm_load_pd(f.half[j + 1]), p1));
        }
        const __m128d sum = _mm_add_pd(sumA, sumB), diff = _mm_add_pd(diffA, diffB);
        alignas(16) double quarter[2], halfway[2], threeQuarter[2];
        _mm_store_pd(quarter, _mm_add_pd(sum, diff));
        _mm_store_pd(halfway, _mm_add_pd(halfA, halfB));
        _mm_store_pd(threeQuarter, _mm_sub_pd(sum, diff));
        for (int ch = 0; ch < 2; ++ch) {
            const double candidates[4] = {w[0][ch], quarter[ch], halfway[ch], threeQuarter[ch]};
            out[ch] = largestMagnitude(candidates, 4);
        }
        return;
    }
    for (int j = 0; j < kHalf; j += 2) {
        const __m128d p0 = _mm_add_pd(_mm_load_pd(w[j]), _mm_load_pd(w[kTaps - 1 - j]));
        const __m128d p1 = _mm_add_pd(_mm_load_pd(w[j + 1]), _mm_load_pd(w[kTaps - 2 - j]));
        halfA = _mm_add_pd(halfA, _mm_mul_pd(_mm_load_pd(f.midpoint[j]), p0));
        halfB = _mm_add_pd(halfB, _mm_mul_pd(_mm_load_pd(f.midpoint[j + 1]), p1));
    }
    alignas(16) double midpoint[2];
    _mm_store_pd(midpoint, _mm_add_pd(halfA, halfB));
    for (int ch = 0; ch < 2; ++ch) {
        const double candidates[2] = {w[0][ch], midpoint[ch]};
        out[ch] = largestMagnitude(candidates, 2);
    }
}

void InterSampleDetector::processStereo(double& left, double& right) {
    push(left, right);
    double out[2];
    estimate(out);
    left = out[0];
    right = out[1];
}

double InterSampleDetector::processMono(double sample) {
    // The right lane mirrors the left so the shared code stays valid; only the left is used.
    push(sample, sample);
    double out[2];
    estimate(out);
    return out[0];
}
