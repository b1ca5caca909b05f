#include "core/strip_filter_bank.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr auto kRelaxed = std::memory_order_relaxed;

constexpr float kDefaultRate = 44100.0f;
constexpr float kLowestRate = 44100.0f;
constexpr float kHighestRate = 192000.0f;
constexpr double kLowestSectionFrequency = 0.001;  // Hz
constexpr double kInitialQ = 0.5;
constexpr double kHighPassQ = 0.5;                 // both stages, critically damped
// Above half the rate the first-order corner is parked at Nyquist and the low-pass is
// faded out towards the dry signal, fully so when 1.2 x fLP reaches this frequency.
constexpr double kBlendEndFrequency = 36000.0;

// Holds a normalised setting to 0 ... 1; false when it is not a number.
bool normalise(float& x)
{
    if (std::isnan(x)) return false;
    x = std::clamp(x, 0.0f, 1.0f);
    return true;
}

int switchState(float x) { return static_cast<int>(x + 0.5f); }

}  // namespace

StripFilterBank::StripFilterBank()
{
    for (int slot = 0; slot < kSectionCount; ++slot) {
        const bool highPass = slot <= kHighPassBRight;
        const bool firstOrder = slot == kLowPassFirstLeft || slot == kLowPassFirstRight;
        sections_[slot].setKind(highPass     ? FilterSection::kHighPass
                                : firstOrder ? FilterSection::kFirstOrderLowPass
                                             : FilterSection::kLowPass);
        sections_[slot].setQ(kInitialQ);
    }
    setHighPassOn(1.0f);
    setHighPassFrequency(0.0f);
    setHighPassSlope(0.0f);
    setLowPassOn(1.0f);
    setLowPassFrequency(1.0f);
    setLowPassSlope(0.0f);
    clear();
    refresh();
    clear();
}

void StripFilterBank::setSampleRate(float rate)
{
    const float fs = std::isnan(rate) ? kDefaultRate : std::clamp(rate, kLowestRate, kHighestRate);
    sampleRate_.store(fs, kRelaxed);
    for (FilterSection& section : sections_) section.setSampleRate(fs);
}

void StripFilterBank::refresh()
{
    const float fs = sampleRate();
    for (FilterSection& section : sections_) section.setSampleRate(fs);
    setHighPassOn(highPassOnValue());
    setHighPassFrequency(highPassFrequencyValue());
    setLowPassOn(lowPassOnValue());
    setLowPassFrequency(lowPassFrequencyValue());
}

void StripFilterBank::clear()
{
    std::fill(std::begin(highPassLeft_), std::end(highPassLeft_), 0.0f);
    std::fill(std::begin(highPassRight_), std::end(highPassRight_), 0.0f);
    std::fill(std::begin(lowPassLeft_), std::end(lowPassLeft_), 0.0f);
    std::fill(std::begin(lowPassRight_), std::end(lowPassRight_), 0.0f);
    for (FilterSection& section : sections_) section.clear();
}

void StripFilterBank::applyHighPassEnables()
{
    const int on = highPassOn();
    const int stageB = on * highPassSlope();
    sections_[kHighPassALeft].setEnabled(on != 0);
    sections_[kHighPassARight].setEnabled(on != 0);
    sections_[kHighPassBLeft].setEnabled(stageB != 0);
    sections_[kHighPassBRight].setEnabled(stageB != 0);
}

void StripFilterBank::applyLowPassEnables()
{
    const int on = lowPassOn();
    const int secondOrder = on * lowPassSlope();
    sections_[kLowPassFirstLeft].setEnabled(on != 0);
    sections_[kLowPassFirstRight].setEnabled(on != 0);
    sections_[kLowPassSecondLeft].setEnabled(secondOrder != 0);
    sections_[kLowPassSecondRight].setEnabled(secondOrder != 0);
}

void StripFilterBank::setHighPassOn(float x)
{
    if (!normalise(x)) return;
    highPassOnValue_.store(x, kRelaxed);
    highPassOn_.store(switchState(x), kRelaxed);
    applyHighPassEnables();
}

void StripFilterBank::setHighPassSlope(float x)
{
    if (!normalise(x)) return;
    highPassSlopeValue_.store(x, kRelaxed);
    highPassSlope_.store(switchState(x), kRelaxed);
    applyHighPassEnables();
}

void StripFilterBank::setHighPassFrequency(float x)
{
    if (!normalise(x)) return;
    highPassFrequencyValue_.store(x, kRelaxed);
    const float fHP = static_cast<float>(std::clamp(20.0 * std::pow(100.0, double(x)), 20.0, 2000.0));
    highPassFrequency_.store(fHP, kRelaxed);

    // 24 dB/oct is two critically damped stages staggered below the nominal frequency.
    const double fs = sampleRate();
    const double stageA = std::clamp(0.7 * fHP, kLowestSectionFrequency, fs);
    const double stageB = std::clamp(0.5 * fHP, kLowestSectionFrequency, fs);
    for (Slot slot : {kHighPassALeft, kHighPassARight}) {
        sections_[slot].setFrequency(stageA);
        sections_[slot].setQ(kHighPassQ);
    }
    for (Slot slot : {kHighPassBLeft, kHighPassBRight}) {
        sections_[slot].setFrequency(stageB);
        sections_[slot].setQ(kHighPassQ);
    }
}

void StripFilterBank::setLowPassOn(float x)
{
    if (!normalise(x)) return;
    lowPassOnValue_.store(x, kRelaxed);
    lowPassOn_.store(switchState(x), kRelaxed);
    applyLowPassEnables();
}

void StripFilterBank::setLowPassSlope(float x)
{
    if (!normalise(x)) return;
    lowPassSlopeValue_.store(x, kRelaxed);
    lowPassSlope_.store(switchState(x), kRelaxed);
    applyLowPassEnables();
}

void StripFilterBank::setLowPassFrequency(float x)
{
    if (!normalise(x)) return;
    lowPassFrequencyValue_.store(x, kRelaxed);
    const float fLP = static_cast<float>(std::clamp(300.0 * std::pow(100.0, double(x)), 300.0, 30000.0));
    lowPassFrequency_.store(fLP, kRelaxed);

    const double fs = sampleRate();
    const double nyquist = 0.5 * fs;
    double f1 = 1.2 * fLP;
    double wet = 1.0;
    if (f1 > nyquist) {
        const double t = std::pow((f1 - nyquist) / (kBlendEndFrequency - nyquist), 1.41);
        wet = std::clamp(1.0 - t, 0.0, 1.0);
        f1 = nyquist;
    }
    wetWeight_.store(static_cast<float>(wet), kRelaxed);
    dryWeight_.store(static_cast<float>(1.0 - wet), kRelaxed);

    const double firstOrder = std::clamp(f1, kLowestSectionFrequency, fs);
    const double secondOrder = std::clamp(1.4 * fLP, kLowestSectionFrequency, fs);
    // Q rises gently towards low corners so the 18 dB/oct knee stays similar in shape.
    const double q = std::clamp(0.091 * std::log10(600000.0 / fLP) + 0.4, 0.0001, 1000.0);
    for (Slot slot : {kLowPassFirstLeft, kLowPassFirstRight}) {
        sections_[slot].setKind(FilterSection::kFirstOrderLowPass);
        sections_[slot].setFrequency(firstOrder);
    }
    for (Slot slot : {kLowPassSecondLeft, kLowPassSecondRight}) {
        sections_[slot].setKind(FilterSection::kLowPass);
        sections_[slot].setFrequency(secondOrder);
        sections_[slot].setQ(q);
    }
}

void StripFilterBank::filterChannel(float* highPass, float* lowPass, Slot stageA, Slot stageB,
                                    Slot firstOrder, Slot secondOrder, int count)
{
    sections_[stageA].process(highPass, count);
    sections_[stageB].process(highPass, count);
    std::copy(highPass, highPass + count, lowPass);
    sections_[firstOrder].process(lowPass, count);
    sections_[secondOrder].process(lowPass, count);
    blend(highPass, lowPass, count);
}

void StripFilterBank::blend(const float* highPass, float* lowPass, int count) const
{
    const float wet = lowPassWetWeight();
    const float dry = lowPassDryWeight();
    for (int i = 0; i < count; ++i) lowPass[i] = wet * lowPass[i] + dry * highPass[i];
}

void StripFilterBank::processStereo(float* left, float* right, int count)
{
    if (left == nullptr || right == nullptr || count <= 0) return;
    for (int first = 0, n = 0; first < count; first += n) {
        n = std::min(kSubBlockLength, count - first);
        std::copy(left + first, left + first + n, highPassLeft_);
        std::copy(right + first, right + first + n, highPassRight_);
        // Each section runs on both channels at once, so their recursions overlap.
        FilterSection::processPair(sections_[kHighPassALeft], sections_[kHighPassARight], highPassLeft_,
                                   highPassRight_, n);
        FilterSection::processPair(sections_[kHighPassBLeft], sections_[kHighPassBRight], highPassLeft_,
                                   highPassRight_, n);
        std::copy(highPassLeft_, highPassLeft_ + n, lowPassLeft_);
        std::copy(highPassRight_, highPassRight_ + n, lowPassRight_);
        FilterSection::processPair(sections_[kLowPassFirstLeft], sections_[kLowPassFirstRight], lowPassLeft_,
                                   lowPassRight_, n);
        FilterSection::processPair(sections_[kLowPassSecondLeft], sections_[kLowPassSecondRight], lowPassLeft_,
                                   lowPassRight_, n);
        blend(highPassLeft_, lowPassLeft_, n);
        blend(highPassRight_, lowPassRight_, n);
        std::copy(lowPassLeft_, lowPassLeft_ + n, left + first);
        std::copy(lowPassRight_, lowPassRight_ + n, right + first);
    }
}

void StripFilterBank::processMono(const float* input, float* outLeft, float* outRight, int count)
{
    if (input == nullptr || count <= 0) return;
    if (outLeft == nullptr) std::swap(outLeft, outRight);
    if (outLeft == nullptr) return;
    if (outRight == outLeft) outRight = nullptr;
    for (int first = 0, n = 0; first < count; first += n) {
        n = std::min(kSubBlockLength, count - first);
        std::copy(input + first, input + first + n, highPassLeft_);
        filterChannel(highPassLeft_, lowPassLeft_, kHighPassALeft, kHighPassBLeft,
                      kLowPassFirstLeft, kLowPassSecondLeft, n);
        std::copy(lowPassLeft_, lowPassLeft_ + n, outLeft + first);
        if (outRight != nullptr) std::copy(lowPassLeft_, lowPassLeft_ + n, outRight + first);
    }
}
