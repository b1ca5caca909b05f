#include "core/strip_filter_bank.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <vector>

#include "tests/audio_path/response.h"

namespace {

constexpr int kWindow = 8192;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// Normalised settings of the sweeps: f = lowest * 100^x.
float highPassSetting(double hz) { return static_cast<float>(std::log(hz / 20.0) / std::log(100.0)); }
float lowPassSetting(double hz) { return static_cast<float>(std::log(hz / 300.0) / std::log(100.0)); }

std::unique_ptr<StripFilterBank> makeBank(float fs)
{
    auto bank = std::make_unique<StripFilterBank>();
    bank->setSampleRate(fs);
    bank->refresh();
    return bank;
}

std::vector<float> noise(int count, unsigned seed = 777u)
{
    std::vector<float> samples(static_cast<std::size_t>(count));
    for (float& s : samples) {
        seed = seed * 1664525u + 1013904223u;
        s = static_cast<float>(seed >> 8) / float(1u << 24) * 2.0f - 1.0f;
    }
    return samples;
}

// Measures both channels of the stereo process, which must agree, and gives the left.
double measureStereo(StripFilterBank& bank, double near, double fs)
{
    const double f = response::binFrequency(near, fs, kWindow);
    bank.clear();
    return response::measureGain(
        [&](float* s, int n) {
            std::vector<float> right(s, s + n);
            bank.processStereo(s, right.data(), n);
            EXPECT_EQ(std::vector<float>(s, s + n), right);
        },
        f, fs, static_cast<int>(fs), kWindow);
}

void expectGain(StripFilterBank& bank, double fs, double near, const std::function<double(double)>& reference)
{
    const double f = response::binFrequency(near, fs, kWindow);
    const double expected = reference(f);
    EXPECT_NEAR(measureStereo(bank, f, fs), expected, response::tolerance(expected, 3.5e-4)) << "at " << f << " Hz";
}

TEST(StripFilterBank, StartsWithHighPassAtTwentyHertzAndLowPassAtThirtyKilohertz)
{
    StripFilterBank bank;
    EXPECT_EQ(bank.sampleRate(), 44100.0f);
    EXPECT_EQ(bank.highPassOn(), 1);
    EXPECT_EQ(bank.highPassSlope(), 0);
    EXPECT_EQ(bank.highPassFrequencyValue(), 0.0f);
    EXPECT_FLOAT_EQ(bank.highPassFrequency(), 20.0f);
    EXPECT_EQ(bank.lowPassOn(), 1);
    EXPECT_EQ(bank.lowPassSlope(), 0);
    EXPECT_EQ(bank.lowPassFrequencyValue(), 1.0f);
    EXPECT_FLOAT_EQ(bank.lowPassFrequency(), 30000.0f);
    EXPECT_TRUE(bank.section(StripFilterBank::kHighPassALeft).enabled());
    EXPECT_FALSE(bank.section(StripFilterBank::kHighPassBRight).enabled());
    EXPECT_TRUE(bank.section(StripFilterBank::kLowPassFirstRight).enabled());
    EXPECT_FALSE(bank.section(StripFilterBank::kLowPassSecondLeft).enabled());
}

TEST(StripFilterBank, HighPassSlopesMatchTheirStages)
{
    const double fs = 44100.0;
    auto bank = makeBank(float(fs));
    bank->setLowPassOn(0.0f);
    bank->setHighPassFrequency(highPassSetting(200.0));
    ASSERT_NEAR(bank->highPassFrequency(), 200.0, 0.01);
    const double fHP = bank->highPassFrequency();

    const auto stageA = [&](double f) {
        return response::secondOrderHighPass(f, 0.7 * fHP, response::easedHighPassQ(0.7 * fHP, 0.5, fs), fs);
    };
    const auto stageB = [&](double f) {
        return response::secondOrderHighPass(f, 0.5 * fHP, response::easedHighPassQ(0.5 * fHP, 0.5, fs), fs);
    };
    for (double f : {60.0, 140.0, 200.0, 1000.0}) expectGain(*bank, fs, f, stageA);

    bank->setHighPassSlope(1.0f);
    for (double f : {60.0, 100.0, 200.0, 1000.0})
        expectGain(*bank, fs, f, [&](double x) { return stageA(x) * stageB(x); });
}

TEST(StripFilterBank, LowPassSlopesMatchTheirSections)
{
    const double fs = 44100.0;
    auto bank = makeBank(float(fs));
    bank->setLowPassFrequency(0.5f);  // 3 kHz: first order at 3.6 kHz, second at 4.2 kHz
    const double fLP = bank->lowPassFrequency();
    ASSERT_NEAR(fLP, 3000.0, 0.01);
    EXPECT_EQ(bank->lowPassWetWeight(), 1.0f);

    const auto highPass = [&](double f) { return response::secondOrderHighPass(f, 14.0, 0.5, fs); };
    const auto firstOrder = [&](double f) { return response::firstOrderLowPass(f, 1.2 * fLP, fs); };
    for (double f : {200.0, 3600.0, 8000.0})
        expectGain(*bank, fs, f, [&](double x) { return highPass(x) * firstOrder(x); });

    bank->setLowPassSlope(1.0f);
    const double q = 0.091 * std::log10(600000.0 / fLP) + 0.4;
    const auto secondOrder = [&](double f) {
        return response::secondOrderLowPass(f, 1.4 * fLP, response::easedLowPassQ(1.4 * fLP, q, fs), fs);
    };
    for (double f : {200.0, 3000.0, 4200.0, 8000.0})
        expectGain(*bank, fs, f, [&](double x) { return highPass(x) * firstOrder(x) * secondOrder(x); });
}

TEST(StripFilterBank, LowPassFadesOutAsItsCornerPassesNyquist)
{
    // 30 kHz at 44.1 kHz: fully faded, the output is the high-passed input alone.
    auto faded = makeBank(44100.0f);
    auto without = makeBank(44100.0f);
    faded->setLowPassSlope(1.0f);
    without->setLowPassOn(0.0f);
    EXPECT_EQ(faded->lowPassWetWeight(), 0.0f);
    EXPECT_EQ(faded->lowPassDryWeight(), 1.0f);
    std::vector<float> a = noise(4000), b = a;
    faded->processStereo(a.data(), a.data(), 4000);
    without->processStereo(b.data(), b.data(), 4000);
    EXPECT_EQ(a, b);

    // At 96 kHz 36 kHz is below Nyquist: the low-pass acts in full.
    auto full = makeBank(96000.0f);
    EXPECT_EQ(full->lowPassWetWeight(), 1.0f);
    EXPECT_EQ(full->lowPassDryWeight(), 0.0f);
    EXPECT_NEAR(full->section(StripFilterBank::kLowPassFirstLeft).frequency(), 36000.0, 0.01);
    expectGain(*full, 96000.0, 36000.0, [](double f) {
        return response::secondOrderHighPass(f, 14.0, 0.5, 96000.0) * response::firstOrderLowPass(f, 36000.0, 96000.0);
    });

    // In between, at 48 kHz with 25 kHz: the corner is parked at Nyquist and partly mixed.
    auto partial = makeBank(48000.0f);
    partial->setLowPassFrequency(lowPassSetting(25000.0));
    const double f1 = 1.2 * partial->lowPassFrequency();
    const double expectedWet = 1.0 - std::pow((f1 - 24000.0) / (36000.0 - 24000.0), 1.41);
    EXPECT_NEAR(partial->lowPassWetWeight(), expectedWet, 1e-5);
    EXPECT_NEAR(partial->lowPassWetWeight() + partial->lowPassDryWeight(), 1.0f, 1e-6f);
    EXPECT_EQ(partial->section(StripFilterBank::kLowPassFirstLeft).frequency(), 24000.0);
}

TEST(StripFilterBank, SwitchedOutFiltersLeaveTheSignalUntouched)
{
    auto bank = makeBank(48000.0f);
    bank->setHighPassSlope(1.0f);
    bank->setLowPassSlope(1.0f);
    bank->setLowPassFrequency(0.2f);
    bank->setHighPassOn(0.0f);
    bank->setLowPassOn(0.0f);
    EXPECT_FALSE(bank->section(StripFilterBank::kHighPassBLeft).enabled());
    EXPECT_FALSE(bank->section(StripFilterBank::kLowPassSecondRight).enabled());
    const std::vector<float> input = noise(1000);
    std::vector<float> left = input, right = input;
    bank->processStereo(left.data(), right.data(), 1000);
    EXPECT_EQ(left, input);
    EXPECT_EQ(right, input);

    // The slope alone does not bring the second high-pass stage in.
    bank->setHighPassSlope(0.0f);
    bank->setHighPassSlope(1.0f);
    EXPECT_FALSE(bank->section(StripFilterBank::kHighPassBLeft).enabled());
    bank->setHighPassOn(1.0f);
    EXPECT_TRUE(bank->section(StripFilterBank::kHighPassBLeft).enabled());
}

TEST(StripFilterBank, BlockSizesDoNotChangeTheResult)
{
    const std::vector<float> left = noise(3000, 1u), right = noise(3000, 2u);
    auto reference = makeBank(44100.0f);
    reference->setHighPassSlope(1.0f);
    reference->setHighPassFrequency(0.6f);
    reference->setLowPassSlope(1.0f);
    reference->setLowPassFrequency(0.4f);
    std::vector<float> expectedLeft = left, expectedRight = right;
    reference->processStereo(expectedLeft.data(), expectedRight.data(), 3000);

    for (int blockSize : {1, 63, 64, 65, 1000}) {
        auto bank = makeBank(44100.0f);
        bank->setHighPassSlope(1.0f);
        bank->setHighPassFrequency(0.6f);
        bank->setLowPassSlope(1.0f);
        bank->setLowPassFrequency(0.4f);
        std::vector<float> l = left, r = right;
        for (int first = 0; first < 3000; first += blockSize) {
            const int n = std::min(blockSize, 3000 - first);
            bank->processStereo(l.data() + first, r.data() + first, n);
        }
        EXPECT_EQ(l, expectedLeft) << "block size " << blockSize;
        EXPECT_EQ(r, expectedRight) << "block size " << blockSize;
    }
}

TEST(StripFilterBank, MonoProcessFeedsBothOutputsFromTheLeftSections)
{
    const std::vector<float> input = noise(500);
    auto stereo = makeBank(44100.0f);
    auto mono = makeBank(44100.0f);
    for (StripFilterBank* bank : {stereo.get(), mono.get()}) {
        bank->setHighPassFrequency(0.7f);
        bank->setLowPassFrequency(0.3f);
    }
    std::vector<float> expected = input, ignored = noise(500, 9u);
    stereo->processStereo(expected.data(), ignored.data(), 500);

    std::vector<float> outLeft(500, 7.0f), outRight(500, 7.0f);
    mono->processMono(input.data(), outLeft.data(), outRight.data(), 500);
    EXPECT_EQ(outLeft, expected);
    EXPECT_EQ(outRight, expected);

    // In place, with the second output missing or the same as the first.
    mono->clear();
    std::vector<float> inPlace = input;
    mono->processMono(inPlace.data(), inPlace.data(), nullptr, 500);
    EXPECT_EQ(inPlace, expected);
    mono->clear();
    inPlace = input;
    mono->processMono(inPlace.data(), inPlace.data(), inPlace.data(), 500);
    EXPECT_EQ(inPlace, expected);
}

TEST(StripFilterBank, ClearAndRefreshRestoreAFreshState)
{
    auto fresh = makeBank(44100.0f);
    auto used = makeBank(44100.0f);
    std::vector<float> scratch = noise(700);
    used->processStereo(scratch.data(), scratch.data(), 700);
    used->setSampleRate(96000.0f);
    // A new rate redesigns the sections; the low-pass blend follows at the refresh.
    EXPECT_EQ(used->lowPassWetWeight(), 0.0f);
    used->refresh();
    EXPECT_EQ(used->lowPassWetWeight(), 1.0f);
    used->setSampleRate(44100.0f);
    used->refresh();
    used->clear();

    std::vector<float> a = noise(300), b = a;
    fresh->processStereo(a.data(), a.data(), 300);
    used->processStereo(b.data(), b.data(), 300);
    EXPECT_EQ(a, b);
}

TEST(StripFilterBank, OddRatesAreHeldToTheSupportedRange)
{
    StripFilterBank bank;
    const std::pair<float, float> cases[] = {
        {8000.0f, 44100.0f}, {0.0f, 44100.0f}, {-1.0f, 44100.0f}, {kNaN, 44100.0f},
        {1e9f, 192000.0f}, {std::numeric_limits<float>::infinity(), 192000.0f}, {88200.0f, 88200.0f}};
    for (auto [given, expected] : cases) {
        bank.setSampleRate(given);
        EXPECT_EQ(bank.sampleRate(), expected) << given;
        EXPECT_EQ(bank.section(StripFilterBank::kLowPassSecondRight).sampleRate(), double(expected)) << given;
    }
}

TEST(StripFilterBank, BadSettingsNeverGiveAnUnstableFilter)
{
    StripFilterBank bank;
    bank.setHighPassFrequency(0.25f);
    bank.setLowPassOn(kNaN);
    bank.setHighPassFrequency(kNaN);
    EXPECT_EQ(bank.lowPassOnValue(), 1.0f);
    EXPECT_EQ(bank.highPassFrequencyValue(), 0.25f);
    bank.setHighPassSlope(1.7f);
    bank.setLowPassSlope(-3.0f);
    EXPECT_EQ(bank.highPassSlopeValue(), 1.0f);
    EXPECT_EQ(bank.highPassSlope(), 1);
    EXPECT_EQ(bank.lowPassSlopeValue(), 0.0f);
    EXPECT_EQ(bank.lowPassSlope(), 0);

    bank.setHighPassOn(1.0f);
    bank.setLowPassOn(1.0f);
    bank.setLowPassSlope(1.0f);
    const float settings[] = {-5.0f, 0.0f, 0.5f, 1.0f, 40.0f, std::numeric_limits<float>::infinity()};
    for (float rate : {44100.0f, 48000.0f, 192000.0f, kNaN}) {
        bank.setSampleRate(rate);
        bank.refresh();
        for (float x : settings) {
            bank.setHighPassFrequency(x);
            bank.setLowPassFrequency(x);
            for (int slot = 0; slot < StripFilterBank::kSectionCount; ++slot) {
                const FilterSection& s = bank.section(static_cast<StripFilterBank::Slot>(slot));
                // Poles strictly inside the unit circle.
                EXPECT_LT(std::fabs(s.a2()), 1.0) << "slot " << slot << " x " << x;
                EXPECT_LT(std::fabs(s.a1()), 1.0 + s.a2()) << "slot " << slot << " x " << x;
                EXPECT_TRUE(std::isfinite(s.b0() + s.b1() + s.b2())) << "slot " << slot;
            }
        }
    }
}

TEST(StripFilterBank, IgnoresMissingBuffersAndEmptyBlocks)
{
    auto bank = makeBank(44100.0f);
    const std::vector<float> input = noise(64);
    std::vector<float> left = input, right = input;
    bank->processStereo(nullptr, right.data(), 64);
    bank->processStereo(left.data(), nullptr, 64);
    bank->processStereo(left.data(), right.data(), 0);
    bank->processStereo(left.data(), right.data(), -5);
    bank->processMono(nullptr, left.data(), right.data(), 64);
    bank->processMono(left.data(), nullptr, nullptr, 64);
    EXPECT_EQ(left, input);
    EXPECT_EQ(right, input);

    // None of these touched the filter history either.
    auto fresh = makeBank(44100.0f);
    std::vector<float> a = noise(100), b = a;
    bank->processStereo(a.data(), a.data(), 100);
    fresh->processStereo(b.data(), b.data(), 100);
    EXPECT_EQ(a, b);
}

}  // namespace
