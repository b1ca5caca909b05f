// Over counting, the over LEDs and their latch, the millisecond history and display delay.
#include <gtest/gtest.h>

#include <vector>

#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

class Overs : public ::testing::Test {
protected:
    void SetUp() override {
        RMSMeter& rms = *owner.rms;
        rms.setSetting(72, 0.667f);  // reference 0 dBFS
        rms.setSetting(78, 0.0f);    // over length 1
        rms.setSetting(79, 1.0f);    // step 6: 0 dB
        rms.setSetting(81, 1.0f);    // from full scale
        rms.reset();
    }
    void play(MeterModel& m, std::vector<float> samples) {
        if (auto* rms = dynamic_cast<RMSMeter*>(&m)) rms->processStereo(samples.data(), samples.data(), static_cast<int>(samples.size()));
        if (auto* ppm = dynamic_cast<PPMmeter*>(&m)) ppm->processStereo(samples.data(), samples.data(), static_cast<int>(samples.size()));
        if (auto* vu = dynamic_cast<VUmeter*>(&m)) vu->processStereo(samples.data(), samples.data(), static_cast<int>(samples.size()));
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
};

TEST_F(Overs, FirstOverAfterResetDoesNotCount) {
    RMSMeter& rms = *owner.rms;
    play(rms, {1.0f});  // the counter starts at -1
    EXPECT_EQ(rms.overLed(0), -1.0);
    play(rms, {0.5f, 1.0f});  // below the threshold resets it to 0; one over reaches N = 1
    EXPECT_EQ(rms.overLed(0), 1.0);
    EXPECT_EQ(rms.overLed(0), 0.0);  // shown once, then latched
    play(rms, {0.5f, 0.5f});
    EXPECT_EQ(rms.overLed(0), 0.0);
    EXPECT_EQ(rms.overLed(1), 1.0);  // the right channel's over waited until read
    rms.clearOvers();
    EXPECT_EQ(rms.overLed(0), -1.0);
    EXPECT_EQ(rms.overLed(1), -1.0);
}

TEST_F(Overs, NeedsTheConfiguredRunOfConsecutiveSamples) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(78, 2.0f / 9.0f);  // N = 3
    play(rms, {0.0f, 1.0f, 1.0f, 0.5f, 1.0f, 1.0f});
    EXPECT_EQ(rms.overLed(0), -1.0);
    play(rms, {1.0f});  // the last two and this make three in a row
    EXPECT_EQ(rms.overLed(0), 1.0);
    // A counter that reached N keeps it until shown, even after quieter samples.
    play(rms, {0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f});
    EXPECT_EQ(rms.overLed(1), 1.0);
}

TEST_F(Overs, TheTallyCountsEachLongEnoughRunOnceWhateverTheLedShows) {
    owner.rms->setSetting(78, 2.0f / 9.0f);  // over length 3
    // Runs of 2, 3, 5, 1 and 3 over samples between quiet ones: three reach the length.
    std::vector<float> signal;
    for (int run : {2, 3, 5, 1, 3}) {
        signal.insert(signal.end(), static_cast<size_t>(run), 1.0f);
        signal.insert(signal.end(), 4, 0.1f);
    }
    for (bool readLed : {false, true}) {
        SCOPED_TRACE(readLed ? "LED read after every sample" : "LED never read");
        owner.rms->reset();
        play(*owner.rms, {0.0f});
        for (float sample : signal) {
            play(*owner.rms, {sample});
            if (readLed) owner.rms->overLed(0);
        }
        EXPECT_EQ(owner.rms->oversCounted(0), 3.0);
        EXPECT_EQ(owner.rms->oversCounted(1), 3.0);
    }
    owner.rms->suspend();
    EXPECT_EQ(owner.rms->oversCounted(0), 0.0) << "a suspend starts the tally again";
}

TEST_F(Overs, ThresholdFromReferenceOrFullScale) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(72, 0.5f);   // reference -5 dBFS
    rms.setSetting(79, 0.0f);   // step 0: -6 dB
    rms.setSetting(81, 0.0f);   // relative to the reference: over at -11 dBFS
    play(rms, {0.0f, 0.29f});
    EXPECT_EQ(rms.overLed(0), 1.0);
    rms.setSetting(81, 1.0f);   // relative to full scale: over at -6 dBFS
    play(rms, {0.0f, 0.29f});
    EXPECT_EQ(rms.overLed(0), 0.0);
    play(rms, {0.0f, 0.5012f});
    EXPECT_EQ(rms.overLed(0), 1.0);

    PPMmeter& ppm = *owner.ppm;  // choice 0: 8.15 dB above a -24 dBFS reference
    ppm.setSetting(93, 0.0f);
    ppm.setSetting(98, 0.0f);
    ppm.setSetting(99, 0.0f);
    ppm.reset();
    play(ppm, {0.0f, 0.1610f});  // -15.86 dBFS
    EXPECT_EQ(ppm.overLed(0), -1.0);
    play(ppm, {0.0f, 0.1613f});  // -15.85 dBFS
    EXPECT_EQ(ppm.overLed(0), 1.0);

    VUmeter& vu = *owner.vu;  // choice 1/3: -3 dBFS absolute
    vu.setSetting(89, 0.0f);
    vu.setSetting(90, 1.0f / 3.0f);
    vu.reset();
    play(vu, {0.0f, 0.7070f});
    EXPECT_EQ(vu.overLed(0), -1.0);
    play(vu, {0.0f, 0.7072f});
    EXPECT_EQ(vu.overLed(0), 1.0);
}

TEST_F(Overs, LedStaysLitFor29MillisecondsWithDisplayDelay) {
    RMSMeter& rms = *owner.rms;
    rms.setDisplayDelay(1.0f / 999.0f, 1);
    std::vector<float> quiet(44, 0.0f), loud(44, 0.0f);
    loud[10] = 1.0f;
    play(rms, quiet);
    play(rms, loud);
    int lit = 0;
    for (int ms = 0; ms < 60; ++ms) {
        play(rms, quiet);
        rms.displayValue(MeterModel::kNeedle, 0, 1.0);  // moves the read position
        lit += rms.overLed(0) == 1.0;
    }
    EXPECT_EQ(lit, 29);
    EXPECT_EQ(rms.overLed(0), 0.0);  // latched afterwards
}

TEST_F(Overs, DisplayDelayReadsTheHistoryBehindTheWritePosition) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 1.0f);
    ppm.setSetting(94, 0.0f);  // instant attack: the needle is the level
    ppm.reset();
    ppm.setDisplayDelay(1.0f, 999);
    // Each millisecond a higher level, so every history entry is distinct.
    for (int ms = 1; ms <= 1500; ++ms) {
        std::vector<float> block(44, static_cast<float>(ms) / 2000.0f);
        play(ppm, block);
    }
    // 1500 entries written into a ring of 1001: the entry 999 back is millisecond 501.
    EXPECT_FLOAT_EQ(static_cast<float>(ppm.displayValue(MeterModel::kNeedle, 0, 1.0)), 501.0f / 2000.0f);
    ppm.setDisplayDelay(100.0f / 999.0f, 100);
    EXPECT_FLOAT_EQ(static_cast<float>(ppm.displayValue(MeterModel::kNeedle, 1, 1.0)), 1400.0f / 2000.0f);
    EXPECT_FLOAT_EQ(static_cast<float>(ppm.displayValue(MeterModel::kHold, 1, 1.0)), 1400.0f / 2000.0f);
}

TEST_F(Overs, WithoutDelayTheReadOutBlendsFallingValues) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(93, 1.0f);
    ppm.setSetting(94, 0.0f);
    ppm.setSetting(96, 0.0f);  // fast return
    ppm.reset();
    play(ppm, {0.8f});
    const double start = ppm.current(MeterModel::kNeedle, 0);
    EXPECT_EQ(ppm.displayValue(MeterModel::kNeedle, 0, 0.25), start);  // rising: the current value
    play(ppm, std::vector<float>(441, 0.0f));
    const double now = ppm.current(MeterModel::kNeedle, 0);
    ASSERT_LT(now, start);
    EXPECT_DOUBLE_EQ(ppm.displayValue(MeterModel::kNeedle, 0, 0.25), 0.75 * start + 0.25 * now);
    EXPECT_DOUBLE_EQ(ppm.displayValue(MeterModel::kNeedle, 0, 1.0), now);
}

TEST_F(Overs, ResetClearsHistoryAndCounters) {
    RMSMeter& rms = *owner.rms;
    rms.setDisplayDelay(0.01f, 10);
    play(rms, std::vector<float>(4410, 0.9f));
    rms.reset();
    EXPECT_EQ(rms.displayValue(MeterModel::kNeedle, 0, 1.0), 0.0);
    rms.setDisplayDelay(0.0f, 0);
    play(rms, {1.0f});  // counter back at -1
    EXPECT_EQ(rms.overLed(0), -1.0);
}

}  // namespace
