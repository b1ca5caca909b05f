// Cost of the meter models per stereo frame: 48 kHz, blocks of 512, noise plus a sine at
// -20 dBFS, precise mode off and on. The "per_frame" counter is the time per stereo frame.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "metering/inter_sample_detector.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"

namespace {

constexpr int kBlock = 512;
constexpr int kBlocks = 94;  // about one second of audio, cycled

struct Programme {
    std::vector<float> left, right;
    Programme() : left(kBlock * kBlocks), right(kBlock * kBlocks) {
        std::mt19937 random(7);
        std::normal_distribution<float> noise(0.0f, 0.05f);
        const float amplitude = 0.1f;  // -20 dBFS
        for (size_t i = 0; i < left.size(); ++i) {
            const double phase = 2.0 * std::numbers::pi * 997.0 * static_cast<double>(i) / 48000.0;
            left[i] = amplitude * (0.7f * static_cast<float>(std::sin(phase)) + noise(random));
            right[i] = amplitude * (0.7f * static_cast<float>(std::sin(phase + 0.5)) + noise(random));
        }
    }
};

const Programme& programme() {
    static const Programme p;
    return p;
}

template <class Meter>
void runMeter(benchmark::State& state, int preciseIndex) {
    Meter meter(nullptr);
    meter.setSetting(preciseIndex, static_cast<float>(state.range(0)));
    meter.setSampleRate(48000.0f);
    meter.reset();
    const Programme& p = programme();
    int block = 0;
    for (auto _ : state) {
        meter.processStereo(p.left.data() + block * kBlock, p.right.data() + block * kBlock, kBlock);
        block = (block + 1) % kBlocks;
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_RMSMeter(benchmark::State& state) { runMeter<RMSMeter>(state, RMSMeter::kPrecise); }
void BM_VUmeter(benchmark::State& state) { runMeter<VUmeter>(state, VUmeter::kPrecise); }
void BM_PPMmeter(benchmark::State& state) { runMeter<PPMmeter>(state, PPMmeter::kPrecise); }

BENCHMARK(BM_RMSMeter)->ArgName("precise")->Arg(0)->Arg(1);
BENCHMARK(BM_VUmeter)->ArgName("precise")->Arg(0)->Arg(1);
BENCHMARK(BM_PPMmeter)->ArgName("precise")->Arg(0)->Arg(1);

}  // namespace


namespace {

// The inter-sample estimate alone, per stereo frame at 48 kHz (4x phases).
void BM_InterSampleDetector(benchmark::State& state) {
    InterSampleDetector detector;
    detector.init(48000.0);
    const Programme& p = programme();
    size_t at = 0;
    double sink = 0.0;
    constexpr int kStretch = InterSampleDetector::kMaxStretch;
    double left[kStretch], right[kStretch], peakLeft[kStretch], peakRight[kStretch];
    for (auto _ : state) {
        for (int start = 0; start < kBlock; start += kStretch) {
            for (int i = 0; i < kStretch; ++i, ++at) {
                if (at >= p.left.size()) at = 0;
                left[i] = p.left[at];
                right[i] = p.right[at];
            }
            detector.processStereo(left, right, peakLeft, peakRight, kStretch, {});
            sink += peakLeft[0] + peakRight[kStretch - 1];
        }
    }
    benchmark::DoNotOptimize(sink);
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_InterSampleDetector);

}  // namespace

BENCHMARK_MAIN();
