// The format-neutral effect on its own, and beside the VST 2.4 effect: what it reports to its
// format, and that the same edits and audio give the same output and the same chunk.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <utility>
#include <vector>

#include "core/meter_effect.h"
#include "tests/effect/effect_host.h"

namespace {

struct RecordingLink : FormatLink {
    std::vector<std::pair<int, float>> automated, changed;
    void automateParameter(int index, float value) override { automated.emplace_back(index, value); }
    void hostParameterChanged(int index, float value) override { changed.emplace_back(index, value); }
};

class MeterEffectCore : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
};

TEST_F(MeterEffectCore, TellsItsFormatOfEveryHostParameterAndOfNothingElse) {
    RecordingLink link;
    MeterEffect effect(link);
    ASSERT_EQ(link.changed.size(), static_cast<size_t>(parameters::kHostCount)) << "each default, once";
    for (int i = 0; i < parameters::kHostCount; ++i)
        EXPECT_EQ(link.changed[i], std::make_pair(i, effect.getParameter(i)));
    using Changes = std::vector<std::pair<int, float>>;
    const struct {
        int index;
        float value;
        Changes heard;  // what the format is told
    } cases[] = {
        {parameters::kTrim, 7.0f, {{parameters::kTrim, 1.0f}}},  // clamped before the format sees it
        {parameters::kTrim, std::numeric_limits<float>::quiet_NaN(), {}},
        {parameters::kFirstSpare, 0.25f, {{parameters::kFirstSpare, 0.25f}}},
        {parameters::kFirstMeterSetting, 0.5f, {}},  // meter settings are not the host's
        {parameters::kClearOvers, 1.0f, {}},
    };
    for (const auto& c : cases) {
        link.changed.clear();
        effect.setParameter(c.index, c.value);
        EXPECT_EQ(link.changed, c.heard) << "index " << c.index;
    }
    // An edit in the editor goes to the format, which decides how the host hears of it.
    link.changed.clear();
    effect.setParameterAutomated(parameters::kHold, 0.5f);
    EXPECT_EQ(link.automated, (Changes{{parameters::kHold, 0.5f}}));
    EXPECT_TRUE(link.changed.empty());
}

TEST_F(MeterEffectCore, SameEditsAndAudioGiveTheSameOutputAndChunkAsTheVstEffect) {
    EffectHost host;
    host.start(48000.0f, 1024);
    RecordingLink link;
    MeterEffect core(link);
    core.setSampleRate(48000.0f);
    core.resume();
    const std::pair<int, float> edits[] = {
        {parameters::kProcess, 1.0f}, {parameters::kTrim, 0.8f},       {parameters::kFiltersIn, 1.0f},
        {parameters::kHighPassOn, 1.0f}, {parameters::kHighPassFrequency, 0.3f}, {parameters::kMeter, 0.5f},
        {parameters::kScope, 1.0f},  // instance scope: the meter settings travel in the chunk
        {parameters::kFirstMeterSetting + 1, 0.3f},
    };
    for (const auto& [index, value] : edits) {
        host.set(index, value);
        core.setParameter(index, value);
    }
    std::vector<float> left(1024), right(1024), vstLeft(1024), vstRight(1024), coreLeft(1024), coreRight(1024);
    for (int i = 0; i < 1024; ++i) {
        left[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 997.0 * i / 48000.0));
        right[i] = static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 60.0 * i / 48000.0));
    }
    host.process(left, right, vstLeft, vstRight);
    core.process(left.data(), right.data(), coreLeft.data(), coreRight.data(), 1024);
    EXPECT_EQ(vstLeft, coreLeft);
    EXPECT_EQ(vstRight, coreRight);

    void* vstChunk = nullptr;
    ASSERT_EQ(host.dispatch(effGetChunk, 0, 0, &vstChunk), MeterEffect::kChunkSize);
    const auto* vstBytes = static_cast<const unsigned char*>(vstChunk);
    std::vector<unsigned char> coreChunk(MeterEffect::kChunkSize), again(MeterEffect::kChunkSize);
    core.saveState(coreChunk.data());
    EXPECT_EQ(std::vector<unsigned char>(vstBytes, vstBytes + MeterEffect::kChunkSize), coreChunk);
    // A chunk from one loads in the other and saves back byte for byte.
    MeterEffect other(link);
    other.loadState(vstChunk, MeterEffect::kChunkSize);
    other.saveState(again.data());
    EXPECT_EQ(again, coreChunk);
}

}  // namespace
