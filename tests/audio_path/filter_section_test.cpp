#include "core/filter_section.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "tests/audio_path/response.h"

namespace {

constexpr int kWindow = 8192;

FilterSection makeSection(int kind, double fs, double corner, double q)
{
    FilterSection section;
    section.setSampleRate(fs);
    section.setKind(kind);
    section.setFrequency(corner);
    section.setQ(q);
    section.setEnabled(true);
    return section;
}

double measure(FilterSection section, double f, double fs)
{
    section.clear();
    return response::measureGain([&](float* s, int n) { section.process(s, n); }, f, fs,
                                 static_cast<int>(fs / 4), kWindow);
}

// Checks the measured gain against the reference within 0.002 dB.
void expectResponse(const FilterSection& section, double fs, double near,
                    const std::function<double(double)>& reference)
{
    const double f = response::binFrequency(near, fs, kWindow);
    const double expected = reference(f);
    EXPECT_NEAR(measure(section, f, fs), expected, response::tolerance(expected, 2.3e-4)) << "at " << f << " Hz";
}

std::vector<float> noise(int count)
{
    std::vector<float> samples(static_cast<std::size_t>(count));
    unsigned state = 12345u;
    for (float& s : samples) {
        state = state * 1664525u + 1013904223u;
        s = static_cast<float>(state >> 8) / float(1u << 24) * 2.0f - 1.0f;
    }
    return samples;
}

TEST(FilterSection, SecondOrderHighPassFollowsItsPrototype)
{
    const double fs = 48000.0;
    const FilterSection section = makeSection(FilterSection::kHighPass, fs, 1000.0, 0.7);
    const double q = response::easedHighPassQ(1000.0, 0.7, fs);
    for (double f : {250.0, 700.0, 1000.0, 4000.0, 12000.0})
        expectResponse(section, fs, f, [&](double x) { return response::secondOrderHighPass(x, 1000.0, q, fs); });
}

TEST(FilterSection, HighPassDampingEasesNearNyquist)
{
    // At 18 kHz of 44.1 kHz the eased Q is about 0.35 instead of 0.5 (3 dB at the corner).
    const double fs = 44100.0;
    const FilterSection section = makeSection(FilterSection::kHighPass, fs, 18000.0, 0.5);
    const double q = response::easedHighPassQ(18000.0, 0.5, fs);
    EXPECT_LT(q, 0.36);
    for (double f : {9000.0, 15000.0, 18000.0, 21000.0})
        expectResponse(section, fs, f, [&](double x) { return response::secondOrderHighPass(x, 18000.0, q, fs); });
}

TEST(FilterSection, SecondOrderCornerStopsJustBelowNyquist)
{
    const double fs = 44100.0;
    const double limited = 0.499 * fs;
    const FilterSection section = makeSection(FilterSection::kHighPass, fs, 30000.0, 0.5);
    const double q = response::easedHighPassQ(limited, 0.5, fs);
    for (double f : {12000.0, 20000.0, 21500.0})
        expectResponse(section, fs, f, [&](double x) { return response::secondOrderHighPass(x, limited, q, fs); });
}

TEST(FilterSection, SecondOrderLowPassFollowsItsPrototype)
{
    const double fs = 44100.0;
    const FilterSection section = makeSection(FilterSection::kLowPass, fs, 15000.0, 0.6);
    const double q = response::easedLowPassQ(15000.0, 0.6, fs);
    for (double f : {3000.0, 12000.0, 15000.0, 20000.0})
        expectResponse(section, fs, f, [&](double x) { return response::secondOrderLowPass(x, 15000.0, q, fs); });
}

TEST(FilterSection, FirstOrderLowPassIsHalfPowerAtItsCorner)
{
    for (double fs : {44100.0, 96000.0}) {
        for (double corner : {1000.0, 0.5 * fs}) {
            const FilterSection section = makeSection(FilterSection::kFirstOrderLowPass, fs, corner, 0.5);
            for (double f : {100.0, corner * 0.5, corner * 0.98})
                expectResponse(section, fs, f, [&](double x) { return response::firstOrderLowPass(x, corner, fs); });
        }
    }
}

TEST(FilterSection, DisabledSectionPassesSamplesAndForgetsHistory)
{
    FilterSection section = makeSection(FilterSection::kHighPass, 44100.0, 500.0, 0.5);
    std::vector<float> first = noise(300);
    section.process(first.data(), 300);

    section.setEnabled(false);
    EXPECT_EQ(section.b0(), 1.0);
    EXPECT_EQ(section.b1(), 0.0);
    EXPECT_EQ(section.a1(), 0.0);
    const std::vector<float> input = noise(200);
    std::vector<float> passed = input;
    section.process(passed.data(), 200);
    EXPECT_EQ(passed, input);

    // Back on, it starts from silence like a fresh section.
    section.setEnabled(true);
    FilterSection fresh = makeSection(FilterSection::kHighPass, 44100.0, 500.0, 0.5);
    std::vector<float> resumed = input, expected = input;
    section.process(resumed.data(), 200);
    fresh.process(expected.data(), 200);
    EXPECT_EQ(resumed, expected);
}

TEST(FilterSection, RejectsSettingsWithoutAMeaningfulDesign)
{
    FilterSection section = makeSection(FilterSection::kLowPass, 96000.0, 2000.0, 0.7);
    const double b0 = section.b0();
    section.setKind(5);
    section.setFrequency(std::numeric_limits<double>::quiet_NaN());
    section.setFrequency(-10.0);
    section.setQ(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(section.kind(), FilterSection::kLowPass);
    EXPECT_EQ(section.frequency(), 2000.0);
    EXPECT_EQ(section.q(), 0.7);
    EXPECT_EQ(section.b0(), b0);

    section.setQ(0.0);
    EXPECT_GT(section.q(), 0.0);
    EXPECT_TRUE(std::isfinite(section.a1()) && std::isfinite(section.a2()));

    for (double rate : {10000.0, 500000.0, std::numeric_limits<double>::quiet_NaN()}) {
        section.setSampleRate(rate);
        EXPECT_EQ(section.sampleRate(), 44100.0) << rate;
    }
    section.setSampleRate(192000.0);
    EXPECT_EQ(section.sampleRate(), 192000.0);
}

TEST(FilterSection, RecoversFromNonFiniteInput)
{
    FilterSection section = makeSection(FilterSection::kLowPass, 44100.0, 1000.0, 0.7);
    std::vector<float> block = noise(64);
    block[10] = std::numeric_limits<float>::quiet_NaN();
    section.process(block.data(), 64);

    std::vector<float> next = noise(64);
    section.process(next.data(), 64);
    for (float s : next) EXPECT_TRUE(std::isfinite(s));
}

}  // namespace
