// The audio path through the record's processReplacing: pass-through, trim, filters, the
// channel layouts, and what the selected meter measures.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "effect_host.h"

namespace {

std::vector<float> noise(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> d(-0.5f, 0.5f);
    std::vector<float> v(n);
    for (float& s : v) s = d(random);
    return v;
}

std::vector<float> sine(size_t n, double hz, double rate, double amplitude = 0.5) {
    std::vector<float> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * hz * i / rate));
    return v;
}

double rms(const std::vector<float>& v, size_t from) {
    double s = 0.0;
    for (size_t i = from; i < v.size(); ++i) s += double(v[i]) * v[i];
    return std::sqrt(s / double(v.size() - from));
}

class AudioPath : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
};

TEST_F(AudioPath, ProcessingOffIsBitExactAndStillMeasured) {
    EffectHost host;
    host.set(8, 1.0f);  // filters in, but processing off
    host.set(1, 0.9f);  // a trim that would show
    host.set(3, 1.0f);  // PPM
    host.start();
    auto left = noise(4096, 1), right = noise(4096, 2);
    std::vector<float> outL(4096), outR(4096);
    host.process(left, right, outL, outR);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, right);
    EXPECT_GT(host.object().ppmMeter()->current(MeterModel::kNeedle, 0), 0.0);
    EXPECT_EQ(host.object().vuMeter()->current(MeterModel::kNeedle, 0), VUmeter::kRestingNeedle);  // not fed
}

TEST_F(AudioPath, UnityTrimPassesOnceSettled) {
    EffectHost host;
    host.set(0, 1.0f);
    host.start();
    auto left = noise(2048, 3), right = noise(2048, 4);
    std::vector<float> outL(2048), outR(2048);
    host.process(left, right, outL, outR);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, right);
}

TEST_F(AudioPath, TrimGlidesToItsTarget) {
    EffectHost host;
    host.set(0, 1.0f);
    host.start(44100.0f);
    host.set(1, 1.0f);  // 0 dB -> +20 dB
    std::vector<float> ones(20000, 1.0f), outL(20000), outR(20000);
    host.process(ones, ones, outL, outR);
    const float target = 10.0f;
    const float ninetyNine = 1.0f + 0.99f * (target - 1.0f);
    size_t reached = 0;
    while (reached < outL.size() && outL[reached] < ninetyNine) ++reached;
    EXPECT_NEAR(static_cast<double>(reached), 9200.0, 100.0);
    EXPECT_NEAR(outR.back(), target, 1e-3);
}

TEST_F(AudioPath, FiltersShapeTheOutput) {
    EffectHost host;
    host.set(0, 1.0f);
    host.set(8, 1.0f);
    host.set(11, 0.5f);  // high-pass 200 Hz, 12 dB/oct
    host.set(14, 0.5f);  // low-pass 3 kHz, 6 dB/oct
    host.start(48000.0f);
    auto gainAt = [&](double hz) {
        auto in = sine(48000, hz, 48000.0);
        std::vector<float> outL(in.size()), outR(in.size());
        host.process(in, in, outL, outR);
        return rms(outL, 24000) / rms(in, 24000);
    };
    EXPECT_NEAR(gainAt(1000.0), 1.0, 0.25);
    EXPECT_LT(gainAt(30.0), 0.05);       // far below the high-pass
    EXPECT_LT(gainAt(15000.0), 0.3);     // well above the low-pass
    host.set(8, 0.0f);                   // filters out: flat again
    EXPECT_NEAR(gainAt(30.0), 1.0, 1e-6);
}

TEST_F(AudioPath, MonoLayoutsAndSharedBuffers) {
    EffectHost host;
    host.start();
    VstSpeakerArrangement in{}, out{};
    in.numChannels = 1;
    out.numChannels = 1;
    ASSERT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    auto left = noise(512, 5), right = noise(512, 6);
    std::vector<float> outL(512), outR(512, 7.0f);
    host.process(left, right, outL, outR);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, std::vector<float>(512, 7.0f));  // 1 in / 1 out: the second output is not written

    out.numChannels = 2;  // 1 in / 2 out: the mono result goes to both
    ASSERT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    host.process(left, right, outL, outR);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, left);

    in.numChannels = 2;  // stereo again, but the host hands the same input twice: mono
    ASSERT_EQ(host.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&in), &out), 1);
    host.process(left, left, outL, outR);
    EXPECT_EQ(outR, left);
}

TEST_F(AudioPath, UnconnectedSecondInputIsMono) {
    EffectHost host;
    host.start();
    gHost.pinsConnected = false;
    auto left = noise(256, 8), right = noise(256, 9);
    std::vector<float> outL(256), outR(256, 3.0f);
    host.process(left, right, outL, outR);
    EXPECT_EQ(outL, left);
    EXPECT_EQ(outR, std::vector<float>(256, 3.0f));  // second output not connected either
    gHost.pinsConnected = true;
}

TEST_F(AudioPath, OddBlocksAndOddRates) {
    EffectHost host;
    host.set(0, 1.0f);
    host.set(8, 1.0f);
    host.set(3, 0.5f);
    host.start(8000.0f);  // out of range: runs at 44.1 kHz
    EXPECT_EQ(host.object().rmsMeter()->sampleRate(), 44100.0f);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, std::nanf(""));
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 1);
    EXPECT_EQ(host.object().rmsMeter()->sampleRate(), 44100.0f);
    for (int frames : {0, 1, 3, 1023, 100000}) {
        auto left = noise(static_cast<size_t>(frames) + 1, 10);
        std::vector<float> outL(left.size()), outR(left.size());
        float* in[2] = {left.data(), left.data()};
        float* out[2] = {outL.data(), outR.data()};
        host.effect()->processReplacing(host.effect(), in, out, frames);
    }
    float* none[2] = {nullptr, nullptr};
    host.effect()->processReplacing(host.effect(), none, none, 64);
    host.effect()->processReplacing(host.effect(), nullptr, nullptr, 64);
    EXPECT_TRUE(std::isfinite(host.object().rmsMeter()->current(MeterModel::kNeedle, 0)));
}

}  // namespace
