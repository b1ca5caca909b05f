// Ballistics against their closed forms: attack, return, hold, mean square and the VU needle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

class Ballistics : public ::testing::Test {
protected:
    // Feeds `count` samples of a constant level one at a time and returns the value after
    // each sample.
    template <class Meter>
    std::vector<double> feed(Meter& m, float level, int count, MeterModel::Value value) {
        std::vector<double> out;
        for (int i = 0; i < count; ++i) {
            m.processStereo(&level, &level, 1);
            out.push_back(m.current(value, 0));
        }
        return out;
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
};

TEST_F(Ballistics, AttackCoversNinetyNinePercentInTheIntegrationTime) {
    for (float rate : {44100.0f, 96000.0f}) {
        RMSMeter& rms = *owner.rms;
        rms.setSetting(72, 0.667f);  // reference 0 dBFS
        rms.setSetting(73, 0.5f);
        rms.setSampleRate(rate);
        rms.reset();
        const double samples = rate * rms.integrationMs() * 0.001;
        const auto needle = feed(rms, 1.0f, static_cast<int>(samples) + 2, MeterModel::kNeedle);
        EXPECT_LT(needle[static_cast<int>(samples) - 1], 0.99) << rate;
        EXPECT_GT(needle[static_cast<int>(samples) + 1], 0.99) << rate;
    }
}

TEST_F(Ballistics, ReturnLosesFifteenSixteenthsInTheReturnTime) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 1.0f);  // reference 0 dBFS
    ppm.setSetting(94, 0.0f);  // instant attack
    ppm.setSetting(95, 0.0f);  // hold 0.1 s
    ppm.setSetting(96, 0.5f);  // return 1 s
    ppm.reset();
    feed(ppm, 0.5f, 1, MeterModel::kNeedle);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 0), 0.5);
    const int samples = 44100;  // 1 s
    const auto needle = feed(ppm, 0.0f, samples, MeterModel::kNeedle);
    EXPECT_NEAR(needle[samples - 1], 0.5 / 16.0, 0.5 / 16.0 * 0.001);
}

TEST_F(Ballistics, HoldWaitsThenFallsWithTheReturn) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 1.0f);
    ppm.setSetting(94, 0.0f);
    ppm.setSetting(95, 0.0f);  // hold 100 ms = 4410 samples
    ppm.setSetting(96, 0.0f);  // return 100 ms
    ppm.reset();
    feed(ppm, 0.8f, 1, MeterModel::kHold);
    const auto hold = feed(ppm, 0.0f, 9000, MeterModel::kHold);
    EXPECT_DOUBLE_EQ(hold[4408], static_cast<double>(0.8f));  // still held
    EXPECT_LT(hold[4420], static_cast<double>(0.8f));          // falling
    EXPECT_NEAR(hold[4409 + 4410], 0.8 / 16.0, 0.002);         // one return time later
}

TEST_F(Ballistics, MeanSquareAveragesWithItsOwnTime) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(72, 0.667f);
    rms.setSetting(74, 0.5f);  // 1 s
    rms.reset();
    // k = 1 - 0.109^(2 / (t fs)): after t fs / 2 samples of a steady level, 1 - 0.109 of it.
    const auto q = feed(rms, 1.0f, 22050, MeterModel::kMeanSquare);
    EXPECT_NEAR(q.back(), 1.0 - 0.109, 1e-4);
    // A sine whose peak is the reference reads 1.0 as RMS * 1.4142.
    rms.reset();
    std::vector<float> sine(44100 * 4);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0));
    rms.processStereo(sine.data(), sine.data(), static_cast<int>(sine.size()));
    EXPECT_NEAR(std::sqrt(rms.current(MeterModel::kMeanSquare, 0)) * 1.4142, 1.0, 0.01);
}

TEST_F(Ballistics, VuNeedleSettlesAtTheReferenceOnASine) {
    VUmeter& vu = *owner.vu;
    vu.setSetting(83, 0.25f);  // reference -18 dBFS
    vu.setSetting(84, 0.5f);   // 300 ms
    vu.setSampleRate(48000.0f);
    vu.reset();
    EXPECT_EQ(vu.current(MeterModel::kNeedle, 0), -0.05);  // resting below the scale
    EXPECT_EQ(vu.displayValue(MeterModel::kNeedle, 1, 1.0), -0.05);
    const double peak = vu.referenceGain();
    std::vector<float> sine(48000 * 3);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(peak * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
    vu.processStereo(sine.data(), sine.data(), static_cast<int>(sine.size()));
    EXPECT_NEAR(vu.current(MeterModel::kNeedle, 0), 1.0, 0.03);
    EXPECT_GE(vu.section(0), 14);
    // Six dB less reads about half and moves the needle to the middle sections.
    for (float& s : sine) s *= 0.5f;
    vu.processStereo(sine.data(), sine.data(), static_cast<int>(sine.size()));
    EXPECT_NEAR(vu.current(MeterModel::kNeedle, 1), 0.5, 0.02);
    EXPECT_NEAR(vu.section(1), 8, 1);
}

TEST_F(Ballistics, VuRiseTimeFollowsTheIntegrationSetting) {
    // A slower integration setting takes longer to reach 99 % of a steady tone.
    auto timeTo99 = [&](float x, float type) {
        VUmeter& vu = *owner.vu;
        vu.setSetting(83, 1.0f);
        vu.setSetting(84, x);
        vu.setSetting(86, type);
        vu.reset();
        std::vector<float> tone(441);
        for (size_t i = 0; i < tone.size(); ++i)
            tone[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / 44100.0));
        for (int ms = 1; ms < 10000; ++ms) {
            vu.processStereo(tone.data(), tone.data(), 44);
            std::rotate(tone.begin(), tone.begin() + 44, tone.end());
            if (vu.current(MeterModel::kNeedle, 0) >= 0.99 * 0.9932) return ms;
        }
        return 10000;
    };
    const int fast = timeTo99(0.0f, 0.0f), nominal = timeTo99(0.5f, 0.0f), slow = timeTo99(1.0f, 0.0f);
    EXPECT_LT(fast, nominal);
    EXPECT_LT(nominal, slow);
    EXPECT_LT(slow, 10000);
}

TEST_F(Ballistics, SuspendClearsTheRunningValues) {
    RMSMeter& rms = *owner.rms;
    float loud = 1.0f;
    rms.processStereo(&loud, &loud, 1);
    rms.suspend();
    EXPECT_EQ(rms.current(MeterModel::kNeedle, 0), 0.0);
    EXPECT_EQ(rms.current(MeterModel::kHold, 1), 0.0);
    EXPECT_EQ(rms.current(MeterModel::kMeanSquare, 0), 0.0);
    owner.vu->processStereo(&loud, &loud, 1);
    owner.vu->suspend();
    EXPECT_EQ(owner.vu->current(MeterModel::kNeedle, 0), VUmeter::kRestingNeedle);
}

TEST_F(Ballistics, MidSideFeedsMidLeftAndSideRight) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 1.0f);
    ppm.setSetting(94, 0.0f);
    ppm.setSetting(97, 1.0f);  // mid scaled by 0.5
    ppm.setMidSide(1.0f, 1);
    float left = 0.5f, right = 0.25f;
    ppm.processStereo(&left, &right, 1);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 0), 0.375);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 1), 0.25);
    // Mono with mid/side: mid = 2 x s, side = 0.
    ppm.reset();
    ppm.processMono(&left, 1);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 0), 0.5);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 1), 0.0);
}

}  // namespace
