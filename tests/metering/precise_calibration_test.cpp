// Precise mode keeps every meter calibrated: the averaging readings stay those of the plain
// samples, the peak readings and overs see between samples, and mid/side and over counting
// look at one moment at a time.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "metering/inter_sample_detector.h"
#include "test_owner.h"

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

std::vector<float> sine(double rate, double frequency, double amplitude, double seconds, int leadingZeros = 0) {
    std::vector<float> out(leadingZeros + static_cast<size_t>(rate * seconds), 0.0f);
    for (size_t i = leadingZeros; i < out.size(); ++i)
        out[i] = static_cast<float>(amplitude * std::sin(kTwoPi * frequency * (i - leadingZeros) / rate));
    return out;
}

enum class Reading { kVuNeedle, kRmsPointer, kRmsNeedle };

// The reading averaged over the block ends of the last quarter of the signal, fed in blocks of
// 64 frames.
double steadyReading(TestOwner& owner, Reading reading, double rate, const std::vector<float>& signal) {
    MeterModel& model = reading == Reading::kVuNeedle ? static_cast<MeterModel&>(*owner.vu) : *owner.rms;
    model.setSampleRate(static_cast<float>(rate));
    owner.reset(model);
    const int count = static_cast<int>(signal.size());
    double sum = 0.0;
    int looks = 0;
    for (int at = 0; at < count; at += 64) {
        const int length = std::min(64, count - at);
        owner.process(model, signal.data() + at, signal.data() + at, length);
        if (at < count * 3 / 4) continue;
        const double value = reading == Reading::kRmsPointer
                                 ? std::sqrt(model.current(MeterModel::kMeanSquare, 0)) * 1.4142
                                 : model.current(MeterModel::kNeedle, 0);
        sum += value;
        ++looks;
    }
    return sum / looks;
}

struct CalibrationCase {
    Reading reading;
    double rate;
    double frequency;
    double toleranceDb;
};

std::vector<CalibrationCase> calibrationCases() {
    std::vector<CalibrationCase> cases;
    for (Reading reading : {Reading::kVuNeedle, Reading::kRmsPointer})
        for (double rate : {44100.0, 48000.0, 96000.0})
            for (double frequency : {20.0, 100.0, 375.0, 1000.0, 3000.0, 10000.0, 20000.0})
                cases.push_back({reading, rate, frequency, 0.05});
    // The RMS needle measures peaks: between the samples of a 1 kHz sine there is little more.
    cases.push_back({Reading::kRmsNeedle, 96000.0, 1000.0, 0.2});
    cases.push_back({Reading::kRmsNeedle, 48000.0, 1000.0, 0.2});
    return cases;
}

TEST(PreciseCalibration, AveragingReadingsMatchPlainModeAndPeakReadingsStayClose) {
    FreshProcessDefaults fresh;
    TestOwner owner;
    owner.rms->setSetting(74, 0.0f);  // averaging 0.1 s, so the pointer settles within the signal
    for (const CalibrationCase& c : calibrationCases()) {
        SCOPED_TRACE(testing::Message() << "reading " << static_cast<int>(c.reading) << ", " << c.rate << " Hz, "
                                        << c.frequency << " Hz sine");
        InterSampleDetector detector;
        detector.init(c.rate);
        const int delay = detector.plainDelay();
        const double amplitude = std::pow(10.0, -18.0 / 20.0);
        MeterModel& model = c.reading == Reading::kVuNeedle ? static_cast<MeterModel&>(*owner.vu) : *owner.rms;
        const int preciseIndex = c.reading == Reading::kVuNeedle ? 91 : 80;
        // Plain mode gets the signal as late as precise mode measures it, so both look at the
        // same moments.
        model.setSetting(preciseIndex, 0.0f);
        const double plain = steadyReading(owner, c.reading, c.rate, sine(c.rate, c.frequency, amplitude, 1.0, delay));
        model.setSetting(preciseIndex, 1.0f);
        const double precise = steadyReading(owner, c.reading, c.rate, sine(c.rate, c.frequency, amplitude, 1.0));
        ASSERT_GT(plain, 0.05);
        EXPECT_NEAR(20.0 * std::log10(precise / plain), 0.0, c.toleranceDb);
    }
}

// Overs shown while a burst plays and the panel looks after every frame: one for each run of
// frames in which the LED is lit.
int oversShown(TestOwner& owner, MeterModel& model, const std::vector<float>& signal) {
    int shown = 0;
    bool lit = false;
    for (size_t i = 0; i < signal.size(); ++i) {
        owner.process(model, &signal[i], &signal[i], 1);
        const bool now = model.overLed(0) > 0.5;
        shown += now && !lit;
        lit = now;
    }
    return shown;
}

TEST(PreciseCalibration, AnOverBetweenSamplesIsShownOnce) {
    // 16 samples of a 12 kHz burst at 48 kHz whose samples (-0.7 dBFS) and crests (+2.3 dBFS)
    // are both above -1 dBFS, the over threshold; one over sample is enough.
    std::vector<float> burst(800, 0.0f);
    for (int i = 0; i < 16; ++i)
        burst[200 + i] = static_cast<float>(1.3 * std::sin(std::numbers::pi / 2.0 * i + std::numbers::pi / 4.0));
    struct MeterCase {
        const char* name;
        std::vector<std::pair<int, float>> settings;  // over length 1, threshold -1 dBFS, precise
    };
    const MeterCase meters[] = {
        {"RMS", {{78, 0.0f}, {79, 5.0f / 6.0f}, {81, 1.0f}, {80, 1.0f}}},
        {"VU", {{89, 0.0f}, {90, 2.0f / 3.0f}, {91, 1.0f}}},
        {"PPM", {{98, 0.0f}, {99, 2.0f / 3.0f}, {100, 1.0f}}},
    };
    for (const MeterCase& m : meters)
        for (bool precise : {false, true}) {
            SCOPED_TRACE(testing::Message() << m.name << (precise ? " precise" : " plain"));
            FreshProcessDefaults fresh;
            TestOwner owner;
            MeterModel* model = owner.modelFor(m.settings.front().first);
            for (auto [index, value] : m.settings) model->setSetting(index, value);
            model->setSetting(m.settings.back().first, precise ? 1.0f : 0.0f);
            model->setSampleRate(48000.0f);
            owner.reset(*model);
            EXPECT_EQ(oversShown(owner, *model, burst), 1);
        }
}

TEST(PreciseCalibration, MidSideIsFormedBetweenSamplesBeforeThePeakIsTaken) {
    // L = a·sin, R = a·cos at 10 kHz: mid and side peak at a·sqrt(2) between the samples. Over
    // at full scale, one sample is enough; mid scaled by 1; reference 0 dBFS, instant attack.
    struct Case {
        double amplitude;
        bool over;
    };
    for (const Case c : {Case{0.68, false}, Case{0.75, true}}) {
        SCOPED_TRACE(testing::Message() << "amplitude " << c.amplitude);
        FreshProcessDefaults fresh;
        TestOwner owner;
        PPMmeter& ppm = *owner.ppm;
        for (auto [index, value] : {std::pair{93, 1.0f}, {94, 0.0f}, {97, 0.0f}, {98, 0.0f}, {99, 1.0f}, {100, 1.0f}})
            ppm.setSetting(index, value);
        ppm.setMidSide(1.0f, 1);
        ppm.setSampleRate(48000.0f);
        ppm.reset();
        // Faded in over 10 ms: a cosine starting at its crest would be a step, whose
        // overshoot between samples is real.
        std::vector<float> left(9600), right(9600);
        for (size_t i = 0; i < left.size(); ++i) {
            const double fade = i < 480 ? 0.5 - 0.5 * std::cos(std::numbers::pi * i / 480.0) : 1.0;
            left[i] = static_cast<float>(fade * c.amplitude * std::sin(kTwoPi * 10000.0 * i / 48000.0));
            right[i] = static_cast<float>(fade * c.amplitude * std::cos(kTwoPi * 10000.0 * i / 48000.0));
        }
        for (size_t at = 0; at < left.size(); at += 480)
            ppm.processStereo(left.data() + at, right.data() + at, 480);
        for (int channel = 0; channel < 2; ++channel)
            EXPECT_EQ(ppm.overLed(channel) > -0.5, c.over) << "channel " << channel;
        EXPECT_NEAR(ppm.current(MeterModel::kHold, 0), c.amplitude * std::sqrt(2.0), 0.02);
    }
}

}  // namespace
