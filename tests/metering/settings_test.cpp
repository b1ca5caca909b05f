// Settings: derived quantities and texts at their edge values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

class MeterSettings : public ::testing::Test {
protected:
    std::string text(MeterModel& m, int index) {
        char buffer[32] = "untouched";
        m.getSettingText(index, buffer);
        return buffer;
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
};

TEST_F(MeterSettings, ReferenceTextsAtTheRangeEnds) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(72, 0.0f);
    EXPECT_EQ(text(rms, 72), "-20.0dBFS");
    EXPECT_NEAR(rms.referenceGain(), 0.1, 1e-7);
    rms.setSetting(72, 1.0f);
    EXPECT_EQ(text(rms, 72), "10.0dBFS");
    rms.setSetting(72, 0.667f);  // the default: 200 steps of 0.1 dB above -20
    EXPECT_EQ(text(rms, 72), "0.0dBFS");
    rms.setSetting(72, 0.5f);
    EXPECT_EQ(text(rms, 72), "-5.0dBFS");

    owner.ppm->setSetting(93, 1.0f);
    EXPECT_EQ(text(*owner.ppm, 93), "0.0dBFS");
    owner.ppm->setSetting(93, 0.0f);
    EXPECT_EQ(text(*owner.ppm, 93), "-24.0dBFS");
    owner.vu->setSetting(83, 0.25f);
    EXPECT_EQ(text(*owner.vu, 83), "-18.0dBFS");
}

TEST_F(MeterSettings, IntegrationFollowsTheCorrectionTable) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(73, 0.5f);  // n = 10 is corrected to 10.4
    EXPECT_DOUBLE_EQ(rms.integrationMs(), std::pow(101.0, static_cast<double>(10.4f * 0.05f)) - 1.0);
    EXPECT_GT(rms.integrationMs(), std::pow(101.0, 0.5) - 1.0 + 0.5);
    EXPECT_EQ(text(rms, 73), std::to_string(static_cast<int>(rms.integrationMs() + 0.5)) + "ms");

    rms.setSetting(73, 0.0f);  // n = 0: no smoothing at all
    EXPECT_EQ(rms.integrationMs(), 0.0);
    EXPECT_EQ(rms.attackCoefficient(), 1.0);
    EXPECT_EQ(text(rms, 73), "0ms");

    rms.setSetting(73, 1.0f);  // n = 20 is not corrected: 101^1 - 1
    EXPECT_NEAR(rms.integrationMs(), 100.0, 1e-9);

    rms.setSetting(73, 0.0875f);  // n = 1.75 -> 1.6
    EXPECT_DOUBLE_EQ(rms.integrationMs(), std::pow(101.0, static_cast<double>(1.6f * 0.05f)) - 1.0);
    rms.setSetting(73, 0.0874f);  // truncates to the step below: n = 1.5, uncorrected
    EXPECT_DOUBLE_EQ(rms.integrationMs(), std::pow(101.0, static_cast<double>(1.5f * 0.05f)) - 1.0);

    owner.ppm->setSetting(94, 0.5f);  // the PPM uses the same law
    EXPECT_DOUBLE_EQ(owner.ppm->integrationMs(), std::pow(101.0, static_cast<double>(10.4f * 0.05f)) - 1.0);
}

TEST_F(MeterSettings, LongTimesSpanTenthToTenSeconds) {
    RMSMeter& rms = *owner.rms;
    for (int index : {74, 75, 76}) {
        rms.setSetting(index, 1.0f);
        EXPECT_EQ(text(rms, index), "10.00s") << index;
        rms.setSetting(index, 0.0f);
        EXPECT_EQ(text(rms, index), "0.10s") << index;
    }
    rms.setSetting(75, 0.5f);  // n = 10 is not in the second table: 100^0.5 * 100
    EXPECT_NEAR(rms.holdMs(), 1000.0, 1e-9);
    rms.setSetting(75, 0.4f);  // n = 8 -> 8.155
    EXPECT_DOUBLE_EQ(rms.holdMs(), std::pow(100.0, static_cast<double>(8.155f * 0.05f)) * 100.0);
    EXPECT_EQ(text(rms, 75), "0.65s");

    owner.ppm->setSetting(96, 1.0f);
    EXPECT_EQ(text(*owner.ppm, 96), "10.00s");
    owner.vu->setSetting(85, 1.0f);
    EXPECT_EQ(text(*owner.vu, 85), "10.00s");
}

TEST_F(MeterSettings, TimeSettingsQuantiseDifferently) {
    // RMS and PPM truncate to 1/80 steps; the VU hold rounds.
    owner.rms->setSetting(75, 0.0124f);
    EXPECT_NEAR(owner.rms->holdMs(), 100.0, 1e-9);
    owner.vu->setSetting(85, 0.0124f);
    EXPECT_DOUBLE_EQ(owner.vu->holdMs(), std::pow(100.0, static_cast<double>(0.25f * 0.05f)) * 100.0);
    // The RMS times read back and are stored as the step in use; the VU and PPM times keep
    // the value as given.
    for (int index : {73, 74, 75, 76}) {
        owner.rms->setSetting(index, 0.0124f);
        EXPECT_EQ(owner.rms->getSetting(index), 0.0f) << index;
        EXPECT_EQ(meter_settings::sessionStore().get(index), 0.0f) << index;
        owner.rms->setSetting(index, 0.66f);
        EXPECT_EQ(owner.rms->getSetting(index), 52 * 0.0125f) << index;
    }
    owner.vu->setSetting(85, 0.0124f);
    EXPECT_FLOAT_EQ(owner.vu->getSetting(85), 0.0124f);
    EXPECT_FLOAT_EQ(meter_settings::sessionStore().get(85), 0.0124f);
    owner.ppm->setSetting(95, 0.0124f);
    EXPECT_FLOAT_EQ(owner.ppm->getSetting(95), 0.0124f);
}

TEST_F(MeterSettings, VuIntegrationTexts) {
    VUmeter& vu = *owner.vu;
    vu.setSetting(84, 0.5f);
    EXPECT_EQ(text(vu, 84), "300ms");
    vu.setSetting(84, 0.0f);
    EXPECT_EQ(text(vu, 84), "53ms");
    vu.setSetting(84, 1.0f);
    EXPECT_EQ(text(vu, 84), "1697ms");
}

TEST_F(MeterSettings, ChoicesAndTextlessSettings) {
    owner.vu->setSetting(88, 0.6f);
    EXPECT_EQ(owner.vu->backlight(), 0.5);
    owner.vu->setSetting(88, 0.9f);
    EXPECT_EQ(owner.vu->backlight(), 1.0);
    owner.rms->setSetting(78, 0.0f);
    EXPECT_EQ(owner.rms->overLength(), 1);
    owner.rms->setSetting(78, 1.0f);
    EXPECT_EQ(owner.rms->overLength(), 10);
    EXPECT_EQ(text(*owner.rms, 78), "untouched");
    EXPECT_EQ(text(*owner.vu, 86), "untouched");
    EXPECT_EQ(text(*owner.ppm, 72), "untouched");  // not a PPM setting
    owner.rms->getSettingText(72, nullptr);         // no buffer: nothing happens
}

TEST_F(MeterSettings, CoefficientsFollowTheSampleRate) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(74, 0.5f);  // averaging 1 s
    rms.setSampleRate(48000.0f);
    rms.reset();
    EXPECT_FLOAT_EQ(rms.averagingCoefficient(), static_cast<float>(1.0 - std::pow(0.109, 2.0 / 48000.0)));
    rms.setSetting(75, 0.5f);
    EXPECT_DOUBLE_EQ(rms.holdLength(), 48000.0);
    // A rate the meter cannot use falls back to 44.1 kHz.
    rms.setSampleRate(std::nanf(""));
    EXPECT_EQ(rms.sampleRate(), 44100.0f);
    rms.setSampleRate(0.0f);
    EXPECT_EQ(rms.sampleRate(), 44100.0f);
}

TEST_F(MeterSettings, OutOfRangeAndNanValuesAreClamped) {
    owner.rms->setSetting(72, 1.7f);
    EXPECT_EQ(owner.rms->getSetting(72), 1.0f);
    owner.rms->setSetting(72, std::nanf(""));
    EXPECT_EQ(owner.rms->getSetting(72), 0.0f);
    EXPECT_EQ(meter_settings::sessionStore().get(72), 0.0f);
    owner.rms->setSetting(72, -3.0f);
    EXPECT_EQ(owner.rms->getSetting(72), 0.0f);
    EXPECT_EQ(owner.rms->getSetting(90), 0.0f);  // not an RMS setting
}

}  // namespace
