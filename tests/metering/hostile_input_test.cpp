// Audio the meters must survive: non-finite samples, null buffers, odd block sizes, and the
// GUI thread reading and changing settings while the audio thread processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

class HostileInput : public ::testing::Test {
protected:
    void expectFinite(MeterModel& m, int values) {
        for (int v = 0; v < values; ++v)
            for (int ch = 0; ch < 2; ++ch)
                EXPECT_TRUE(std::isfinite(m.current(static_cast<MeterModel::Value>(v), ch))) << v << ch;
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
};

TEST_F(HostileInput, NonFiniteSamplesCountAsFullScaleAndNeverStick) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (bool precise : {false, true}) {
        owner.rms->setSetting(80, precise ? 1.0f : 0.0f);
        owner.vu->setSetting(91, precise ? 1.0f : 0.0f);
        owner.ppm->setSetting(100, precise ? 1.0f : 0.0f);
        owner.ppm->setSetting(98, 0.0f);  // over length 1
        owner.ppm->setSetting(99, 1.0f);  // 0 dBFS
        owner.rms->reset();
        owner.vu->reset();
        owner.ppm->reset();
        std::vector<float> bad = {0.0f, nan, inf, -inf, nan, 0.0f};
        owner.rms->processStereo(bad.data(), bad.data(), 6);
        owner.vu->processStereo(bad.data(), bad.data(), 6);
        owner.ppm->processStereo(bad.data(), bad.data(), 6);
        expectFinite(*owner.rms, 3);
        expectFinite(*owner.vu, 2);
        expectFinite(*owner.ppm, 2);
        if (!precise) {
            EXPECT_EQ(owner.ppm->overLed(0), 1.0);
        }
        // Silence afterwards brings the needles back down.
        std::vector<float> silence(44100 * 12, 0.0f);
        owner.ppm->processStereo(silence.data(), silence.data(), static_cast<int>(silence.size()));
        owner.rms->processStereo(silence.data(), silence.data(), static_cast<int>(silence.size()));
        EXPECT_LT(owner.ppm->current(MeterModel::kNeedle, 0), 1e-6);
        EXPECT_LT(owner.rms->current(MeterModel::kMeanSquare, 1), 1e-6);
    }
}

// Wherever a non-finite sample sits in a block, and in whichever channel, the readings are
// those of a full-scale sample in its place.
TEST_F(HostileInput, NonFiniteSampleReadsAsFullScaleAnywhereInABlock) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (int position : {0, 63, 64, 200, 299}) {
        for (int channel = 0; channel < 2; ++channel) {
            std::vector<float> signal[2];
            for (int ch = 0; ch < 2; ++ch)
                for (int i = 0; i < 300; ++i) signal[ch].push_back(0.3f * std::sin(0.01f * i * (ch + 1)));
            TestOwner clean, poisoned;
            std::vector<float> withFullScale = signal[channel], withNan = signal[channel];
            withFullScale[position] = 1.0f;
            withNan[position] = nan;
            const float* cleanIn[2] = {signal[0].data(), signal[1].data()};
            const float* badIn[2] = {signal[0].data(), signal[1].data()};
            cleanIn[channel] = withFullScale.data();
            badIn[channel] = withNan.data();
            clean.ppm->processStereo(cleanIn[0], cleanIn[1], 300);
            poisoned.ppm->processStereo(badIn[0], badIn[1], 300);
            clean.vu->processStereo(cleanIn[0], cleanIn[1], 300);
            poisoned.vu->processStereo(badIn[0], badIn[1], 300);
            for (int ch = 0; ch < 2; ++ch) {
                SCOPED_TRACE(testing::Message() << "position " << position << " channel " << channel);
                EXPECT_EQ(poisoned.ppm->current(MeterModel::kHold, ch), clean.ppm->current(MeterModel::kHold, ch));
                EXPECT_EQ(poisoned.ppm->current(MeterModel::kNeedle, ch), clean.ppm->current(MeterModel::kNeedle, ch));
                EXPECT_EQ(poisoned.vu->current(MeterModel::kNeedle, ch), clean.vu->current(MeterModel::kNeedle, ch));
                EXPECT_EQ(poisoned.ppm->overLed(ch), clean.ppm->overLed(ch));
            }
        }
    }
}

TEST_F(HostileInput, NullBuffersAndEmptyBlocksAreIgnored) {
    float sample = 0.5f;
    owner.rms->processStereo(nullptr, nullptr, 64);
    owner.rms->processStereo(&sample, &sample, 0);
    owner.rms->processStereo(&sample, &sample, -5);
    owner.vu->processMono(nullptr, 10);
    owner.ppm->processStereo(&sample, nullptr, 1);  // a missing right channel reads the left
    EXPECT_EQ(owner.rms->current(MeterModel::kNeedle, 0), 0.0);
    EXPECT_GT(owner.ppm->current(MeterModel::kNeedle, 1), 0.0);
    EXPECT_EQ(owner.rms->displayValue(MeterModel::kMeanSquare, 7, 1.0), 0.0);
    EXPECT_EQ(owner.vu->displayValue(MeterModel::kMeanSquare, 0, 1.0), 0.0);  // VU has none
    EXPECT_EQ(owner.vu->overLed(-1), -1.0);
}

TEST_F(HostileInput, BlockSizeDoesNotChangeTheReading) {
    std::vector<float> signal(10007);
    for (size_t i = 0; i < signal.size(); ++i) signal[i] = static_cast<float>(std::sin(i * 0.01) * (i % 97) / 97.0);
    RMSMeter whole(nullptr), pieces(nullptr);
    whole.processStereo(signal.data(), signal.data(), static_cast<int>(signal.size()));
    size_t at = 0;
    for (int size : {1, 2, 63, 64, 65, 511, 1000}) {
        for (int repeat = 0; repeat < 3 && at < signal.size(); ++repeat) {
            const int n = static_cast<int>(std::min<size_t>(size, signal.size() - at));
            pieces.processStereo(signal.data() + at, signal.data() + at, n);
            at += n;
        }
    }
    pieces.processStereo(signal.data() + at, signal.data() + at, static_cast<int>(signal.size() - at));
    for (int v = 0; v < 3; ++v)
        EXPECT_EQ(whole.current(static_cast<MeterModel::Value>(v), 0), pieces.current(static_cast<MeterModel::Value>(v), 0));
}

TEST_F(HostileInput, GuiThreadWorksWhileAudioRuns) {
    std::atomic<bool> stop{false};
    std::thread audio([&] {
        std::vector<float> block(256);
        for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<float>(std::sin(i * 0.3));
        while (!stop.load()) {
            owner.rms->processStereo(block.data(), block.data(), 256);
            owner.vu->processStereo(block.data(), block.data(), 256);
            owner.ppm->processMono(block.data(), 256);
        }
    });
    TestOwner other;
    for (int i = 0; i < 2000; ++i) {
        const float x = (i % 10) / 10.0f;
        owner.rms->setSetting(72 + i % 10, x);
        owner.vu->setSetting(83 + i % 9, x);
        owner.ppm->setSetting(93 + i % 8, x);
        owner.rms->setDisplayDelay(x, i % 3);
        owner.vu->setMidSide(x, i % 2);
        other.rms->setSetting(72 + i % 10, 1.0f - x);
        owner.rms->followSharedStores();
        for (int ch = 0; ch < 2; ++ch) {
            owner.rms->displayValue(MeterModel::kMeanSquare, ch, 0.5);
            owner.vu->displayValue(MeterModel::kHold, ch, 0.5);
            owner.ppm->overLed(ch);
        }
        if (i % 100 == 0) owner.ppm->clearOvers();
    }
    stop = true;
    audio.join();
    expectFinite(*owner.rms, 3);
}

}  // namespace
