// Cost of processReplacing through the plug-in's record per stereo frame: 48 kHz, blocks of
// 512, Process off or on (trim and both filters), each meter selected.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "vst2/aeffectx.h"
#include "vst2/create_effect.h"

namespace {

VstIntPtr VSTCALLBACK benchHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

void BM_ProcessReplacing(benchmark::State& state) {
    const float meter = static_cast<float>(state.range(0)) / 2.0f;
    const bool processOn = state.range(1) != 0;
    AEffect* e = createEffect(benchHost);
    e->setParameter(e, 3, meter);
    if (processOn) {
        e->setParameter(e, 0, 1.0f);
        e->setParameter(e, 1, 0.6f);   // +4 dB trim
        e->setParameter(e, 8, 1.0f);   // filters in
        e->setParameter(e, 10, 1.0f);  // 24 dB/oct high-pass
        e->setParameter(e, 11, 0.3f);
        e->setParameter(e, 13, 1.0f);  // 18 dB/oct low-pass
        e->setParameter(e, 14, 0.6f);
    }
    e->dispatcher(e, effSetSampleRate, 0, 0, nullptr, 48000.0f);
    e->dispatcher(e, effSetBlockSize, 0, 512, nullptr, 0.0f);
    e->dispatcher(e, effMainsChanged, 0, 1, nullptr, 0.0f);
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.005f);
    std::vector<float> left(512), right(512), outL(512), outR(512);
    for (int i = 0; i < 512; ++i) {
        left[i] = 0.07f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
        right[i] = 0.07f * static_cast<float>(std::cos(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
    }
    float* ins[2] = {left.data(), right.data()};
    float* outs[2] = {outL.data(), outR.data()};
    for (auto _ : state) {
        e->processReplacing(e, ins, outs, 512);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * 512,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    e->dispatcher(e, effClose, 0, 0, nullptr, 0.0f);
}

// Arguments: meter (0 VU, 1 RMS, 2 PPM), Process (0 off, 1 on with trim and filters).
BENCHMARK(BM_ProcessReplacing)->ArgNames({"meter", "process"})->ArgsProduct({{0, 1, 2}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
