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
    for (int i = 0; i < parameters::kHostCount; ++i) {
        EXPECT_EQ(link.changed[i].first, i);
        EXPECT_EQ(link.changed[i].second, effect.getParameter(i)) << "index " << i;
    }
    struct Case {
        int index;
        float value;
        bool reported;
        float stored;  // what the format hears and getParameter gives back
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {parameters::kTrim, 0.75f, true, 0.75f},
        {parameters::kTrim, 7.0f, true, 1.0f},  // clamped before anyone sees it
        {parameters::kTrim, nan, false, 1.0f},  // a NaN changes nothing
        {parameters::kFirstSpare, 0.25f, true, 0.25f},
        {parameters::kFirstMeterSetting, 0.5f, false, 0.5f},  // meter settings are not the host's
        {parameters::kClearOvers, 1.0f, false, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        link.changed.clear();
        effect.setParameter(c.index, c.value);
        if (c.reported) {
            ASSERT_EQ(link.changed.size(), 1u);
            EXPECT_EQ(link.changed[0], std::make_pair(c.index, c.stored));
        } else {
            EXPECT_TRUE(link.changed.empty());
        }
        if (c.index != parameters::kFirstMeterSetting) {
            EXPECT_EQ(effect.getParameter(c.index), c.stored);
        }
    }
    // An edit in the editor goes to the format, which decides how the host hears of it.
    link.changed.clear();
    effect.setParameterAutomated(parameters::kHold, 0.5f);
    EXPECT_EQ(link.automated, (std::vector<std::pair<int, float>>{{parameters::kHold, 0.5f}}));
    EXPECT_TRUE(link.changed.empty());
}

TEST_F(MeterEffectCore, SameEditsAndAudioGiveTheSameOutputAndChunkAsTheVstEffect) {
    EffectHost host;
    host.start(48000.0f, 256);
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
    for (int block = 0; block < 4; ++block) {
        std::vector<float> left(256), right(256), vstLeft(256), vstRight(256), coreLeft(256), coreRight(256);
        for (int i = 0; i < 256; ++i) {
            const double t = (block * 256 + i) / 48000.0;
            left[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 997.0 * t));
            right[i] = static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 60.0 * t));
        }
        host.process(left, right, vstLeft, vstRight);
        core.process(left.data(), right.data(), coreLeft.data(), coreRight.data(), 256);
        ASSERT_EQ(vstLeft, coreLeft) << "block " << block;
        ASSERT_EQ(vstRight, coreRight) << "block " << block;
    }
    EXPECT_EQ(host.object().selectedMeter()->getSetting(parameters::kFirstMeterSetting + 1),
              core.selectedMeter()->getSetting(parameters::kFirstMeterSetting + 1));

    void* vstChunk = nullptr;
    ASSERT_EQ(host.dispatch(effGetChunk, 0, 0, &vstChunk), MeterEffect::kChunkSize);
    const auto* vstBytes = static_cast<const unsigned char*>(vstChunk);
    std::vector<unsigned char> coreChunk(MeterEffect::kChunkSize);
    core.saveState(coreChunk.data());
    EXPECT_EQ(std::vector<unsigned char>(vstBytes, vstBytes + MeterEffect::kChunkSize), coreChunk);

    // A chunk from one loads in the other and saves back byte for byte.
    RecordingLink otherLink;
    MeterEffect other(otherLink);
    other.loadState(vstChunk, MeterEffect::kChunkSize);
    std::vector<unsigned char> again(MeterEffect::kChunkSize);
    other.saveState(again.data());
    EXPECT_EQ(again, coreChunk);
}

}  // namespace
