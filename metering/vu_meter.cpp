#include "metering/vu_meter.h"

#include <algorithm>

#include <climits>
#include <cmath>

#include "metering/meter_block_loop.h"
#include "metering/meter_times.h"
#include "metering/needle_ballistics.h"
#include "metering/over_thresholds.h"
#include "metering/vector_dispatch.h"

namespace {
constexpr double kOverAboveReference = 2.51188643150958;  // +8 dB
constexpr double kDrive = 1.56;  // a sine whose peak is the reference reads about 1.0
}

VUmeter::VUmeter(MeterOwner* owner) : MeterModel(owner, kFirstSetting, 9, 2) {
    // Until settings arrive the sections stand at a fixed slow cutoff.
    needles_.design(44100.0, 1.5003750937734435, 0.68, 0.55);
    loadInitialSettings();
    reset();
}

VUmeter::~VUmeter() = default;

void VUmeter::setSetting(int index, float value) {
    if (!ownsSetting(index)) return;
    const float x = clampSetting(value);
    settings_[index - kFirstSetting].store(x, std::memory_order_relaxed);
    switch (index) {
        case kReference: {
            const float db = x * 24.0f - 24.0f;
            gain_.store(std::pow(10.0, db * static_cast<double>(0.05f)), std::memory_order_relaxed);
            break;
        }
        case kIntegration: {
            const double q = static_cast<int>(x * 200.0f + 0.5f) / 200.0;
            integrationMs_.store(std::pow(32.0, q) * 53.0330086 * 1.167, std::memory_order_relaxed);
            redesignRequest_.store(true);
            break;
        }
        case kHoldTime:
            holdMs_.store(meter_times::longTimeMs(meter_times::quantiseNearest(x)), std::memory_order_relaxed);
            break;
        case kBallistics:
            ballisticsB_.store(x >= 0.5f, std::memory_order_relaxed);
            redesignRequest_.store(true);
            break;
        case kMidSideType: midSideType_.store(static_cast<int>(x * 2.0f + 0.5f), std::memory_order_relaxed); break;
        case kBacklight: backlight_.store(static_cast<int>(x * 4.0f + 0.5f) / 4.0, std::memory_order_relaxed); break;
        case kOverLength: overLength_.store(static_cast<int>(x * 9.0f + 0.5f) + 1, std::memory_order_relaxed); break;
        case kOverChoice: overChoice_.store(static_cast<int>(x * 3.0f + 0.5f), std::memory_order_relaxed); break;
        case kPrecise: setPrecise(static_cast<int>(x + 0.5f) != 0); break;
        default: break;
    }
    recomputeCoefficients();
    storeInScope(index, x);
}

void VUmeter::getSettingText(int index, char* text) const {
    if (!text) return;
    switch (index) {
        case kReference: formatReference(text, referenceGain()); break;
        case kIntegration: formatMilliseconds(text, shownIntegrationMs()); break;
        case kHoldTime: formatSeconds(text, holdMs()); break;
        default: break;
    }
}

int VUmeter::section(int channel) const {
    return (channel == 0 || channel == 1) ? publishedSection_[channel].load(std::memory_order_relaxed) : 0;
}

void VUmeter::recomputeCoefficients() {
    const double fs = sampleRate();
    holdLength_.store(fs * holdMs() * 0.001, std::memory_order_relaxed);
    holdRelease_.store(meter_times::approachCoefficient(0.0625, fs, integrationMs()), std::memory_order_relaxed);
}

void VUmeter::redesignNeedles() {
    const double t = integrationMs();
    const bool typeB = ballisticsB();
    const double cutoff = 857.6 / (t * (typeB ? 350.0 : 310.0) / 300.0);
    needles_.design(sampleRate(), cutoff, typeB ? 0.85 : 0.68, typeB ? 0.43 : 0.55);
}

void VUmeter::reset() {
    resetFramework();
    recomputeCoefficients();
    redesignRequest_.store(false);
    redesignNeedles();
    suspend();
}

void VUmeter::suspend() {
    clearRunningValues();
    needle_ = bothChannels(kRestingNeedle);
    hold_ = holdCounter_ = StereoDouble{};
    needles_.clear();
    for (int ch = 0; ch < 2; ++ch) {
        current_[kNeedle][ch].store(kRestingNeedle, std::memory_order_relaxed);
        blockStart_[kNeedle][ch].store(kRestingNeedle, std::memory_order_relaxed);
        lastShown_[kNeedle][ch].store(kRestingNeedle, std::memory_order_relaxed);
        publishedSection_[ch].store(0, std::memory_order_relaxed);
    }
}

void VUmeter::processStereo(const float* left, const float* right, int count) {
    if (!right) right = left;
    process(left, right, count, false);
}

void VUmeter::processMono(const float* samples, int count) { process(samples, samples, count, true); }

ALDERMARK_PROCESSOR_VARIANTS
void VUmeter::process(const float* left, const float* right, int count, bool mono) {
    if (!left || count <= 0) return;
    if (redesignRequest_.exchange(false)) redesignNeedles();
    beginBlock();
    withBlockFlags(preciseOn(), midSide() != 0, displayDelay() > 0, mono,
                   [&](auto precise, auto midSide, auto delay, auto isMono) {
                       run<decltype(precise)::value, decltype(midSide)::value, decltype(delay)::value,
                           decltype(isMono)::value>(left, right, count);
                   });
    for (int ch = 0; ch < 2; ++ch) publishedSection_[ch].store(needles_.section(ch), std::memory_order_relaxed);
}

template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
void VUmeter::run(const float* left, const float* right, int count) {
    const double drive = kDrive / referenceGain();
    const StereoDouble holdLength = bothChannels(std::max(this->holdLength(), 1.0));
    const StereoDouble keepHold = bothChannels(1.0 - holdRelease_.load(std::memory_order_relaxed));
    const double overThreshold = OverThreshold::forChoice(overChoice_.load(std::memory_order_relaxed),
                                                          kOverAboveReference).onMagnitude(referenceGain());
    // The running state lives in locals for the block, so it stays in registers.
    VUNeedleBank needles = needles_;
    StereoDouble needle = needle_, hold = hold_, holdCounter = holdCounter_;
    runBlock<kPrecise, kMidSide, kDelay, kMono>(
        left, right, count, {midScale(midSideType_.load(std::memory_order_relaxed)), overThreshold, overLength()},
        [&](StereoDouble magnitude, StereoDouble) {
            // The moving coil rectifies and averages the plain samples; only the overs (counted
            // by the caller) look at the peaks between them.
            needle = needles.process(magnitude * drive);
            advanceHold(hold, holdCounter, needle >= hold, needle, holdLength, keepHold);
            return hold;
        },
        [&](double running[][2]) {
            for (int ch = 0; ch < 2; ++ch) {
                running[kNeedle][ch] = needle[ch];
                running[kHold][ch] = hold[ch];
            }
        },
        [] {});  // the needle sections carry their own guard; needle and hold are not flushed
    needles_ = needles;
    needle_ = needle;
    hold_ = hold;
    holdCounter_ = holdCounter;
}
