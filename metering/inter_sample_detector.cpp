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

// The phases folded around the window centre. Because the 3/4 phase mirrors the 1/4 phase
// and the other phases are symmetric, the sums need only the pair sums w[j] + w[63-j] and
// differences w[j] - w[63-j], j = 0..31:
//   quarter = S + D, three-quarter = S - D, half = sum of half[j] * pairSum.
struct FoldedPhases {
    double even[kHalf];      // (quarter[j] + quarter[63-j]) / 2, for S
    double odd[kHalf];       // (quarter[j] - quarter[63-j]) / 2, for D
    double half[kHalf];      // half phase, taps 0..31
    double midpoint[kHalf];  // 2x phase, taps 0..31

    FoldedPhases() {
        using namespace interpolation;
        for (int j = 0; j < kHalf; ++j) {
            even[j] = (kQuarterPhase[j] + kQuarterPhase[kTaps - 1 - j]) * 0.5;
            odd[j] = (kQuarterPhase[j] - kQuarterPhase[kTaps - 1 - j]) * 0.5;
            half[j] = kHalfPhase[j];
            midpoint[j] = kMidpointPhase[j];
        }
    }
};

const FoldedPhases& folded() {
    static const FoldedPhases phases;
    return phases;
}

// The library sets the table up while loading, not on the audio thread's first use.
const bool gPhasesReady = (folded(), true);

// Each folded sum keeps four partial sums (taps j = 0, 1, 2, 3 modulo 4, each in increasing
// j) and adds them as (0 + 2) + (1 + 3). Both vector widths keep exactly that order, so they
// agree bit for bit.

// Keeps, per channel (lanes left, right), the candidate of larger magnitude; the earlier one
// wins ties. Masks rather than branches: which candidate wins changes from sample to sample.
inline __m128d largerMagnitude(__m128d best, __m128d candidate) {
    const __m128d magnitude = _mm_castsi128_pd(_mm_set1_epi64x(0x7fffffffffffffffLL));
    const __m128d larger = _mm_cmpgt_pd(_mm_and_pd(candidate, magnitude), _mm_and_pd(best, magnitude));
    return _mm_or_pd(_mm_and_pd(larger, candidate), _mm_andnot_pd(larger, best));
}

// Mid and side of a left/right pair held in the two lanes.
inline __m128d midSideOf(__m128d leftRight, __m128d midScale) {
    const __m128d swapped = _mm_shuffle_pd(leftRight, leftRight, 1);  // (R, L)
    const __m128d sum = _mm_mul_pd(_mm_add_pd(leftRight, swapped), midScale);
    const __m128d difference = _mm_sub_pd(leftRight, swapped);
    return _mm_unpacklo_pd(sum, difference);
}

// Candidates of one sample, lanes left and right, in the order they compete: the sample the
// phases start from first, then the phase outputs.
template <int kCount>
struct Candidates {
    alignas(16) double value[kCount][2] = {};

    // Forms mid and side at every candidate position, when asked to.
    void form(const InterSampleDetector::Form& how) {
        if (!how.midSide) return;
        const __m128d scale = _mm_set1_pd(how.midScale);
        for (auto& pair : value) _mm_store_pd(pair, midSideOf(_mm_load_pd(pair), scale));
    }
    // Writes the plain sample and the candidate of largest magnitude of each channel.
    template <int kChannels>
    void deliver(double* const plain[], double* const peak[], int i) const {
        __m128d best = _mm_load_pd(value[0]);
        for (int k = 1; k < kCount; ++k) best = largerMagnitude(best, _mm_load_pd(value[k]));
        alignas(16) double chosen[2];
        _mm_store_pd(chosen, best);
        for (int c = 0; c < kChannels; ++c) {
            plain[c][i] = value[0][c];
            peak[c][i] = chosen[c];
        }
    }
};

// The 4x candidates: the sample, then the quarter, half and three-quarter phases.
struct FourTimesCandidates : Candidates<4> {
    void set(int channel, double sample, double sum, double difference, double half) {
        value[0][channel] = sample;
        value[1][channel] = sum + difference;
        value[2][channel] = half;
        value[3][channel] = sum - difference;
    }
};

// Partial sums (j = 0, 1 | j = 2, 3 modulo 4) to the folded sum.
inline double total(__m128d first, __m128d second) {
    const __m128d pair = _mm_add_pd(first, second);
    return _mm_cvtsd_f64(_mm_add_sd(pair, _mm_unpackhi_pd(pair, pair)));
}

// One window's taps: w[0] oldest .. w[63] newest, and mirror[j] = w[63 - j].
struct Taps {
    const double* w;
    const double* mirror;
};
constexpr int kAlignedTap = InterSampleDetector::kAlignedTap;

// 4x phases, 128-bit vectors: two taps per vector, lanes (j, j+1) going to the partial sums
// of j = 0, 1 (first accumulator) or j = 2, 3 (second) modulo 4.
template <int kChannels, class TapsAt>
void fourTimesNarrow(TapsAt tapsAt, double* const plain[], double* const peak[], int count,
                     InterSampleDetector::Form form, const FoldedPhases& f) {
    for (int i = 0; i < count; ++i) {
        FourTimesCandidates candidates;
        for (int c = 0; c < kChannels; ++c) {
            const Taps t = tapsAt(c, i);
            __m128d s[2] = {_mm_setzero_pd(), _mm_setzero_pd()}, d[2] = {s[0], s[1]}, h[2] = {s[0], s[1]};
            for (int j = 0; j < kHalf; j += 2) {
                const int a = (j >> 1) & 1;
                const __m128d lo = _mm_loadu_pd(t.w + j), hi = _mm_loadu_pd(t.mirror + j);
                const __m128d p = _mm_add_pd(lo, hi), m = _mm_sub_pd(lo, hi);
                s[a] = _mm_add_pd(s[a], _mm_mul_pd(_mm_loadu_pd(f.even + j), p));
                d[a] = _mm_add_pd(d[a], _mm_mul_pd(_mm_loadu_pd(f.odd + j), m));
                h[a] = _mm_add_pd(h[a], _mm_mul_pd(_mm_loadu_pd(f.half + j), p));
            }
            candidates.set(c, t.w[kAlignedTap], total(s[0], s[1]), total(d[0], d[1]), total(h[0], h[1]));
        }
        candidates.form(form);
        candidates.template deliver<kChannels>(plain, peak, i);
    }
}

// 2x phase (88.2 to 176.4 kHz), 128-bit vectors as above.
template <int kChannels, class TapsAt>
void twoTimes(TapsAt tapsAt, double* const plain[], double* const peak[], int count,
              InterSampleDetector::Form form, const FoldedPhases& f) {
    for (int i = 0; i < count; ++i) {
        Candidates<2> candidates;
        for (int c = 0; c < kChannels; ++c) {
            const Taps t = tapsAt(c, i);
            __m128d h[2] = {_mm_setzero_pd(), _mm_setzero_pd()};
            for (int j = 0; j < kHalf; j += 2) {
                const int a = (j >> 1) & 1;
                const __m128d p = _mm_add_pd(_mm_loadu_pd(t.w + j), _mm_loadu_pd(t.mirror + j));
                h[a] = _mm_add_pd(h[a], _mm_mul_pd(_mm_loadu_pd(f.midpoint + j), p));
            }
            candidates.value[0][c] = t.w[kAlignedTap];
            candidates.value[1][c] = total(h[0], h[1]);
        }
        candidates.form(form);
        candidates.template deliver<kChannels>(plain, peak, i);
    }
}

// 4x phases, 256-bit vectors: four taps per vector, one lane per partial sum; the channels
// share each coefficient load. 64-bit Windows compilers do not keep 32-byte stack alignment,
// so this path is for the other targets.
#if !defined(_WIN32) && (defined(__x86_64__) || defined(__i386__))
#define ALDERMARK_AVX_PHASES 1
__attribute__((target("avx"))) inline double totalWide(__m256d lanes) {
    return total(_mm256_castpd256_pd128(lanes), _mm256_extractf128_pd(lanes, 1));
}

template <int kChannels, class TapsAt>
__attribute__((target("avx"))) void fourTimesWide(TapsAt tapsAt, double* const plain[], double* const peak[],
                                                   int count, InterSampleDetector::Form form,
                                                   const FoldedPhases& f) {
    for (int i = 0; i < count; ++i) {
        Taps t[kChannels];
        __m256d s[kChannels], d[kChannels], h[kChannels];
        for (int c = 0; c < kChannels; ++c) {
            t[c] = tapsAt(c, i);
            s[c] = d[c] = h[c] = _mm256_setzero_pd();
        }
        for (int j = 0; j < kHalf; j += 4) {
            const __m256d even = _mm256_loadu_pd(f.even + j), odd = _mm256_loadu_pd(f.odd + j);
            const __m256d half = _mm256_loadu_pd(f.half + j);
            for (int c = 0; c < kChannels; ++c) {
                const __m256d lo = _mm256_loadu_pd(t[c].w + j), hi = _mm256_loadu_pd(t[c].mirror + j);
                const __m256d p = _mm256_add_pd(lo, hi), m = _mm256_sub_pd(lo, hi);
                s[c] = _mm256_add_pd(s[c], _mm256_mul_pd(even, p));
                d[c] = _mm256_add_pd(d[c], _mm256_mul_pd(odd, m));
                h[c] = _mm256_add_pd(h[c], _mm256_mul_pd(half, p));
            }
        }
        FourTimesCandidates candidates;
        for (int c = 0; c < kChannels; ++c)
            candidates.set(c, t[c].w[kAlignedTap], totalWide(s[c]), totalWide(d[c]), totalWide(h[c]));
        candidates.form(form);
        candidates.template deliver<kChannels>(plain, peak, i);
    }
}

// Runs while the library loads, possibly before the compiler's own processor probe: ask for it.
bool processorHasAvx() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") != 0;
}
std::atomic<bool> gHasAvx{processorHasAvx()};
#endif

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

InterSampleDetector::InterSampleDetector() : path_(Path::kFourTimes) { clear(); }

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

void InterSampleDetector::clear() { std::memset(windows_, 0, sizeof windows_); }

int InterSampleDetector::append(Window& window, const double* samples, int count) {
    std::memcpy(window.forward + kHistory, samples, sizeof(double) * count);
    const int held = kHistory + count;
    for (int i = 0; i < held; ++i) window.reversed[i] = window.forward[held - 1 - i];
    return held;
}

void InterSampleDetector::retire(Window& window, int count) {
    std::memmove(window.forward, window.forward + count, sizeof(double) * kHistory);
}

template <int kChannels>
void InterSampleDetector::estimateStretch(double* const plain[kChannels], double* const peak[kChannels], int count,
                                          int held, Form form) {
    const FoldedPhases& f = folded();
    // Sample i's window starts i samples into the forward copy; its mirror ends there in the
    // reversed copy.
    auto tapsAt = [this, held](int channel, int i) {
        return Taps{windows_[channel].forward + i, windows_[channel].reversed + (held - kTaps - i)};
    };
    switch (path_) {
        case Path::kFourTimes:
#ifdef ALDERMARK_AVX_PHASES
            if (gHasAvx.load(std::memory_order_relaxed)) {
                fourTimesWide<kChannels>(tapsAt, plain, peak, count, form, f);
                break;
            }
#endif
            fourTimesNarrow<kChannels>(tapsAt, plain, peak, count, form, f);
            break;
        case Path::kTwoTimes: twoTimes<kChannels>(tapsAt, plain, peak, count, form, f); break;
        case Path::kDelayOnly:
            for (int i = 0; i < count; ++i) {
                Candidates<1> oldest;
                for (int c = 0; c < kChannels; ++c) oldest.value[0][c] = windows_[c].forward[i];
                oldest.form(form);
                oldest.template deliver<kChannels>(plain, peak, i);
            }
            break;
    }
}

void InterSampleDetector::processStereo(double* left, double* right, double* peakLeft, double* peakRight, int count,
                                        Form form) {
    if (count > kMaxStretch) count = kMaxStretch;
    if (!left || !right || !peakLeft || !peakRight || count <= 0) return;
    const int held = append(windows_[0], left, count);
    append(windows_[1], right, count);
    double* const plain[2] = {left, right};
    double* const peak[2] = {peakLeft, peakRight};
    estimateStretch<2>(plain, peak, count, held, form);
    retire(windows_[0], count);
    retire(windows_[1], count);
}

void InterSampleDetector::processMono(double* samples, double* peak, int count) {
    if (count > kMaxStretch) count = kMaxStretch;
    if (!samples || !peak || count <= 0) return;
    const int held = append(windows_[0], samples, count);
    double* const plain[1] = {samples};
    double* const peaks[1] = {peak};
    estimateStretch<1>(plain, peaks, count, held, Form{});
    retire(windows_[0], count);
}
