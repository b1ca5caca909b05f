// Precise (inter-sample) mode: the interpolation phases and the true-peak readings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>
#include <vector>

#include "metering/inter_sample_detector.h"
#include "metering/interpolation_tables.h"
#include "metering/meter_settings_store.h"
#include "test_owner.h"

namespace {

using namespace interpolation;

double sum(const double* taps) {
    double s = 0.0;
    for (int i = 0; i < kTaps; ++i) s += taps[i];
    return s;
}

TEST(InterpolationPhases, MeetTheirConstraints) {
    for (const double* phase : {kQuarterPhase, kHalfPhase, kThreeQuarterPhase, kMidpointPhase})
        EXPECT_NEAR(sum(phase), 1.0, 0.00001);
    for (int i = 0; i < kTaps; ++i) {
        EXPECT_EQ(kThreeQuarterPhase[i], kQuarterPhase[kTaps - 1 - i]) << i;
        EXPECT_EQ(kHalfPhase[i], kHalfPhase[kTaps - 1 - i]) << i;
        EXPECT_EQ(kMidpointPhase[i], kMidpointPhase[kTaps - 1 - i]) << i;
    }
    EXPECT_EQ(kQuarterPhase[32], 0.9001807);
    EXPECT_EQ(kThreeQuarterPhase[31], 0.9001807);
    EXPECT_EQ(kHalfPhase[31], 0.6362364);
    const double begins[8] = {-0.0000011, 0.0000275, -0.0000919, 0.0001976,
                              -0.0003479, 0.0005466, -0.0007972, 0.001104};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(kQuarterPhase[i], begins[i]) << i;
    EXPECT_NEAR(kMidpointPhase[31], 0.6357317598066, 1e-13);
    EXPECT_NEAR(kMidpointPhase[30], -0.2095561567046, 1e-13);
    EXPECT_NEAR(kMidpointPhase[29], 0.12295148511888, 1e-13);
    EXPECT_NEAR(kMidpointPhase[0], -0.0000009527392564188, 1e-18);
}

class Precise : public ::testing::Test {
protected:
    void SetUp() override {
        PPMmeter& ppm = *owner.ppm;
        ppm.setSetting(93, 1.0f);  // reference 0 dBFS
        ppm.setSetting(94, 0.0f);  // instant attack
        ppm.setSetting(95, 1.0f);  // hold 10 s: the hold is the peak of the test signal
    }
    // Peak read by the PPM hold for a sine at fs/4 whose samples sit 3 dB below its peak.
    double quarterRateSinePeak(float rate, bool precise) {
        PPMmeter& ppm = *owner.ppm;
        ppm.setSetting(100, precise ? 1.0f : 0.0f);
        ppm.setSampleRate(rate);
        ppm.reset();
        std::vector<float> sine(4096);
        for (size_t i = 0; i < sine.size(); ++i)
            sine[i] = static_cast<float>(std::sin(std::numbers::pi / 2.0 * i + std::numbers::pi / 4.0));
        ppm.processStereo(sine.data(), sine.data(), static_cast<int>(sine.size()));
        return ppm.current(MeterModel::kHold, 0);
    }
    FreshProcessDefaults fresh;
    TestOwner owner;
};

TEST_F(Precise, FindsTheTruePeakBetweenSamples) {
    const double sampleLevel = std::sin(std::numbers::pi / 4.0);
    const double withinTwoTenths = std::pow(10.0, -0.2 / 20.0);
    EXPECT_NEAR(quarterRateSinePeak(44100.0f, false), sampleLevel, 1e-6);
    EXPECT_GT(quarterRateSinePeak(44100.0f, true), withinTwoTenths);
    EXPECT_LT(quarterRateSinePeak(44100.0f, true), 1.0 / withinTwoTenths);
    EXPECT_GT(quarterRateSinePeak(48000.0f, true), withinTwoTenths);
    EXPECT_LT(quarterRateSinePeak(48000.0f, true), 1.0 / withinTwoTenths);
    EXPECT_GT(quarterRateSinePeak(96000.0f, true), withinTwoTenths);
    EXPECT_LT(quarterRateSinePeak(96000.0f, true), 1.0 / withinTwoTenths);
    // At 192 kHz there is nothing between samples worth finding: only the delay remains.
    EXPECT_NEAR(quarterRateSinePeak(192000.0f, true), sampleLevel, 1e-6);
}

TEST_F(Precise, DelaysByTheWindowLength) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(100, 1.0f);
    ppm.setSampleRate(192000.0f);
    ppm.reset();
    std::vector<float> impulse(64, 0.0f);
    impulse[0] = 0.5f;
    ppm.processStereo(impulse.data(), impulse.data(), 63);
    EXPECT_EQ(ppm.current(MeterModel::kNeedle, 0), 0.0);
    ppm.processStereo(impulse.data() + 63, impulse.data() + 63, 1);
    EXPECT_DOUBLE_EQ(ppm.current(MeterModel::kNeedle, 0), 0.5);
}

TEST_F(Precise, TogglingClearsTheWindow) {
    PPMmeter& ppm = *owner.ppm;
    ppm.setSetting(96, 0.0f);  // return 100 ms
    ppm.setSetting(100, 1.0f);
    ppm.reset();
    // Long enough for the needle to come back from the edge's overshoot to the steady level.
    std::vector<float> loud(44100, 0.5f), quiet(64, 0.0f);
    ppm.processStereo(loud.data(), loud.data(), 44100);
    const double before = ppm.current(MeterModel::kNeedle, 0);
    ASSERT_NEAR(before, 0.5, 0.01);
    ppm.setSetting(100, 0.0f);
    ppm.setSetting(100, 1.0f);
    ppm.processStereo(quiet.data(), quiet.data(), 64);
    // Only silence is measured now: the needle just returns. Stale loud samples in the
    // window would have held it near 0.5.
    const double expected = before * std::pow(1.0 - ppm.returnCoefficient(), 64);
    EXPECT_NEAR(ppm.current(MeterModel::kNeedle, 0), expected, 1e-9);
}

TEST_F(Precise, MonoUsesOneWindowForBothChannels) {
    RMSMeter& rms = *owner.rms;
    rms.setSetting(72, 0.667f);
    rms.setSetting(73, 0.0f);
    rms.setSetting(80, 1.0f);
    rms.reset();
    std::vector<float> sine(512);
    for (size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(0.5 * std::sin(std::numbers::pi / 2.0 * i + std::numbers::pi / 4.0));
    rms.processMono(sine.data(), 512);
    EXPECT_EQ(rms.current(MeterModel::kHold, 0), rms.current(MeterModel::kHold, 1));
    EXPECT_NEAR(rms.current(MeterModel::kHold, 0), 0.5, 0.02);
}

}  // namespace

namespace {

// Runs a test signal through a detector in stretches of the given lengths (cycled) and
// returns, per sample, the plain and the peak output of each channel: plain left, plain
// right, peak left, peak right.
std::vector<double> estimates(double sampleRate, std::initializer_list<int> stretches, int total = 2000,
                              InterSampleDetector::Form form = {}) {
    InterSampleDetector detector;
    detector.init(sampleRate);
    std::vector<double> out;
    unsigned noise = 12345;
    int at = 0;
    for (auto length = stretches.begin(); at < total; ++length) {
        if (length == stretches.end()) length = stretches.begin();
        const int count = std::min(*length, total - at);
        std::vector<double> left(count), right(count), peakLeft(count), peakRight(count);
        for (int i = 0; i < count; ++i, ++at) {
            noise = noise * 1103515245u + 12345u;
            left[i] = std::sin(at * 0.7) + (noise >> 16) / 65536.0 - 0.5;
            right[i] = std::cos(at * 1.3);
        }
        detector.processStereo(left.data(), right.data(), peakLeft.data(), peakRight.data(), count, form);
        for (int i = 0; i < count; ++i) out.insert(out.end(), {left[i], right[i], peakLeft[i], peakRight[i]});
    }
    return out;
}

TEST(InterSampleVectors, WideAndNarrowPathsAgreeExactly) {
    std::vector<double> results[2];
    for (int pass = 0; pass < 2; ++pass) {
        const bool wide = InterSampleDetector::useWideVectors(pass == 0);
        if (pass == 0 && !wide) GTEST_SKIP() << "no 256-bit vectors on this processor or build";
        results[pass] = estimates(48000.0, {64}, 2000, {true, 0.708});
    }
    InterSampleDetector::useWideVectors(true);
    EXPECT_EQ(results[0], results[1]);
}

TEST(InterSampleVectors, StretchLengthsDoNotChangeTheEstimates) {
    for (double rate : {44100.0, 96000.0, 192000.0}) {
        SCOPED_TRACE(rate);
        const std::vector<double> whole = estimates(rate, {64});
        EXPECT_EQ(estimates(rate, {1}), whole);
        EXPECT_EQ(estimates(rate, {7, 64, 3, 33}), whole);
    }
}

// Straight from the definition: 64-tap sums over the window of each sample, oldest tap first;
// the candidates are the sample the phases start from (tap 31; tap 0 where there are no
// phases) and the phases, mid and side formed at each, the largest magnitude winning with ties
// to the earlier one. The plain output is that sample.
TEST(InterSampleVectors, MatchTheDirectSumsOfThePhases) {
    using namespace interpolation;
    std::vector<double> left, right;
    unsigned noise = 12345;
    for (int at = 0; at < 300; ++at) {
        noise = noise * 1103515245u + 12345u;
        left.push_back(std::sin(at * 0.7) + (noise >> 16) / 65536.0 - 0.5);
        right.push_back(std::cos(at * 1.3));
    }
    struct Case {
        double rate;
        std::vector<const double*> phases;
        int sampleTap;
        InterSampleDetector::Form form;
    };
    const Case cases[] = {
        {48000.0, {kQuarterPhase, kHalfPhase, kThreeQuarterPhase}, 31, {false, 1.0}},
        {48000.0, {kQuarterPhase, kHalfPhase, kThreeQuarterPhase}, 31, {true, 0.5}},
        {96000.0, {kMidpointPhase}, 31, {false, 1.0}},
        {96000.0, {kMidpointPhase}, 31, {true, 0.708}},
        {192000.0, {}, 0, {true, 1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " Hz, mid/side " << c.form.midSide);
        const std::vector<double> fast = estimates(c.rate, {64}, 300, c.form);
        for (int n = 0; n < 300; ++n) {
            // Candidates per channel, before mid/side.
            auto candidatesOf = [&](const std::vector<double>& x) {
                auto tap = [&](int k) { return n - 63 + k >= 0 ? x[n - 63 + k] : 0.0; };
                std::vector<double> found{tap(c.sampleTap)};
                for (const double* phase : c.phases) {
                    double sum = 0.0;
                    for (int k = 0; k < kTaps; ++k) sum += phase[k] * tap(k);
                    found.push_back(sum);
                }
                return found;
            };
            std::vector<double> first = candidatesOf(left), second = candidatesOf(right);
            if (c.form.midSide)
                for (size_t k = 0; k < first.size(); ++k) {
                    const double l = first[k], r = second[k];
                    first[k] = (l + r) * c.form.midScale;
                    second[k] = l - r;
                }
            for (int ch = 0; ch < 2; ++ch) {
                const std::vector<double>& candidates = ch == 0 ? first : second;
                double best = candidates[0];
                for (double v : candidates)
                    if (std::fabs(v) > std::fabs(best)) best = v;
                EXPECT_NEAR(fast[4 * n + ch], candidates[0], 1e-12) << "plain, sample " << n << " channel " << ch;
                EXPECT_NEAR(fast[4 * n + 2 + ch], best, 1e-12) << "peak, sample " << n << " channel " << ch;
            }
        }
    }
}

}  // namespace
