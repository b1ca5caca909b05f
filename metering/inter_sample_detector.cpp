#include "metering/inter_sample_detector.h"

#include <emmintrin.h>
#if !defined(_WIN32)
#include <immintrin.h>
#endif

#include <atomic>
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

// The three 4x phases over the window, two taps per step: lanes hold (left, right) of tap j
// in the low half and of tap j + 1 in the high half, i.e. the same even/odd accumulators the
// SSE2 loop keeps, so both give identical results. 64-bit Windows compilers do not keep
// 32-byte stack alignment, so this path is for the other targets.
#if !defined(_WIN32) && (defined(__x86_64__) || defined(__i386__))
#define ALDERMARK_AVX_PHASES 1
__attribute__((target("avx"))) void fourTimesPhasesAvx(const double (*w)[2], const FoldedPhases& f,
                                                          double quarter[2], double halfway[2],
                                                          double threeQuarter[2]) {
    // Two taps per vector; even and odd pairs of taps in separate sums for shorter chains.
    __m256d sum0 = _mm256_setzero_pd(), sum1 = sum0, diff0 = sum0, diff1 = sum0, half0 = sum0, half1 = sum0;
    for (int j = 0; j < kHalf; j += 4) {
        // Taps j, j+1 and j+2, j+3 with their mirror taps 63-j... (stored in reverse order).
        const __m256d lo0 = _mm256_loadu_pd(w[j]), lo1 = _mm256_loadu_pd(w[j + 2]);
        const __m256d hiSwapped0 = _mm256_loadu_pd(w[kTaps - 2 - j]), hiSwapped1 = _mm256_loadu_pd(w[kTaps - 4 - j]);
        const __m256d hi0 = _mm256_permute2f128_pd(hiSwapped0, hiSwapped0, 1);
        const __m256d hi1 = _mm256_permute2f128_pd(hiSwapped1, hiSwapped1, 1);
        const __m256d p0 = _mm256_add_pd(lo0, hi0), m0 = _mm256_sub_pd(lo0, hi0);
        const __m256d p1 = _mm256_add_pd(lo1, hi1), m1 = _mm256_sub_pd(lo1, hi1);
        sum0 = _mm256_add_pd(sum0, _mm256_mul_pd(_mm256_loadu_pd(f.even[j]), p0));
        sum1 = _mm256_add_pd(sum1, _mm256_mul_pd(_mm256_loadu_pd(f.even[j + 2]), p1));
        diff0 = _mm256_add_pd(diff0, _mm256_mul_pd(_mm256_loadu_pd(f.odd[j]), m0));
        diff1 = _mm256_add_pd(diff1, _mm256_mul_pd(_mm256_loadu_pd(f.odd[j + 2]), m1));
        half0 = _mm256_add_pd(half0, _mm256_mul_pd(_mm256_loadu_pd(f.half[j]), p0));
        half1 = _mm256_add_pd(half1, _mm256_mul_pd(_mm256_loadu_pd(f.half[j + 2]), p1));
    }
    const __m256d sumAll = _mm256_add_pd(sum0, sum1);
    const __m256d diffAll = _mm256_add_pd(diff0, diff1);
    const __m256d halfAll = _mm256_add_pd(half0, half1);
    const __m128d s = _mm_add_pd(_mm256_castpd256_pd128(sumAll), _mm256_extractf128_pd(sumAll, 1));
    const __m128d d = _mm_add_pd(_mm256_castpd256_pd128(diffAll), _mm256_extractf128_pd(diffAll, 1));
    _mm_storeu_pd(quarter, _mm_add_pd(s, d));
    _mm_storeu_pd(halfway, _mm_add_pd(_mm256_castpd256_pd128(halfAll), _mm256_extractf128_pd(halfAll, 1)));
    _mm_storeu_pd(threeQuarter, _mm_sub_pd(s, d));
}

// Runs while the library loads, possibly before the compiler's own processor probe: ask for it.
bool processorHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}
std::atomic<bool> gHasAvx{processorHasAvx()};
#endif

// Keeps, per channel, the candidate of larger magnitude; the earlier one wins ties. Done with
// masks rather than branches, since which candidate wins changes from sample to sample.
inline __m128d largerMagnitude(__m128d best, __m128d candidate) {
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
    const __m128d larger = _mm_cmpgt_pd(_mm_and_pd(candidate, magnitude), _mm_and_pd(best, magnitude));
    return _mm_or_pd(_mm_and_pd(larger, candidate), _mm_andnot_pd(larger, best));
}

}  // namespace

bool InterSampleDetector::useWideVectors(bool allowed) {
#ifdef ALDERMARK_AVX_PHASES
    static const bool supported = gHasAvx.load();
    gHasAvx.store(allowed && supported);
    return allowed && supported;
#else
    (void)allowed;
    return false;
#endif
}

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
    // Four interleaved accumulator sets (tap index modulo 4) keep the add chains short. The
    // order is fixed, (0 + 2) + (1 + 3), so every build gives the same result.
    __m128d sumAcc[4], diffAcc[4], halfAcc[4];
    for (int a = 0; a < 4; ++a) sumAcc[a] = diffAcc[a] = halfAcc[a] = _mm_setzero_pd();
    auto total = [](const __m128d acc[4]) {
        return _mm_add_pd(_mm_add_pd(acc[0], acc[2]), _mm_add_pd(acc[1], acc[3]));
    };
    if (path_ == Path::kFourTimes) {
        alignas(16) double quarter[2], halfway[2], threeQuarter[2];
#ifdef ALDERMARK_AVX_PHASES
        if (gHasAvx.load(std::memory_order_relaxed)) {
            fourTimesPhasesAvx(w, f, quarter, halfway, threeQuarter);
        } else
#endif
        {
            for (int j = 0; j < kHalf; j += 4) {
                for (int a = 0; a < 4; ++a) {  // unrolled by the compiler: a is a constant
                    const __m128d lo = _mm_loadu_pd(w[j + a]), hi = _mm_loadu_pd(w[kTaps - 1 - j - a]);
                    const __m128d p = _mm_add_pd(lo, hi), m = _mm_sub_pd(lo, hi);
                    sumAcc[a] = _mm_add_pd(sumAcc[a], _mm_mul_pd(_mm_loadu_pd(f.even[j + a]), p));
                    diffAcc[a] = _mm_add_pd(diffAcc[a], _mm_mul_pd(_mm_loadu_pd(f.odd[j + a]), m));
                    halfAcc[a] = _mm_add_pd(halfAcc[a], _mm_mul_pd(_mm_loadu_pd(f.half[j + a]), p));
                }
            }
            const __m128d sum = total(sumAcc), diff = total(diffAcc);
            _mm_storeu_pd(quarter, _mm_add_pd(sum, diff));
            _mm_storeu_pd(halfway, total(halfAcc));
            _mm_storeu_pd(threeQuarter, _mm_sub_pd(sum, diff));
        }
        __m128d best = _mm_loadu_pd(w[0]);
        best = largerMagnitude(best, _mm_loadu_pd(quarter));
        best = largerMagnitude(best, _mm_loadu_pd(halfway));
        best = largerMagnitude(best, _mm_loadu_pd(threeQuarter));
        _mm_storeu_pd(out, best);
        return;
    }
    for (int j = 0; j < kHalf; j += 4) {
        for (int a = 0; a < 4; ++a) {
            const __m128d p = _mm_add_pd(_mm_loadu_pd(w[j + a]), _mm_loadu_pd(w[kTaps - 1 - j - a]));
            halfAcc[a] = _mm_add_pd(halfAcc[a], _mm_mul_pd(_mm_loadu_pd(f.midpoint[j + a]), p));
        }
    }
    _mm_storeu_pd(out, largerMagnitude(_mm_loadu_pd(w[0]), total(halfAcc)));
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
