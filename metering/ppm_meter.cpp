#include "metering/ppm_meter.h"

#include <cmath>

#include "metering/meter_block_loop.h"
#include "metering/meter_times.h"
#include "metering/over_thresholds.h"
#include "metering/vector_dispatch.h"

namespace {
constexpr double kOverAboveReference = 2.5556419010641385;  // +8.15 dB
}

PPMmeter::PPMmeter(MeterOwner* owner) : MeterModel(owner, kFirstSetting, 8, 2) {
    loadInitialSettings();
    reset();
}

PPMmeter::~PPMmeter() = default;

void PPMmeter::setSetting(int index, float value) {
    if (!ownsSetting(index)) return;
    const float x = clampSetting(value);
    settings_[index - kFirstSetting].store(x, std::memory_order_relaxed);
    switch (index) {
        case kReference: {
            const float db = x * 24.0f - 24.0f;
            gain_.store(std::pow(10.0, db * static_cast<double>(0.05f)), std::memory_order_relaxed);
            break;
        }
        case kIntegration:
            integrationMs_.store(meter_times::integrationMs(meter_times::quantiseDown(x)), std::memory_order_relaxed);
            break;
        case kHoldTime:
            holdMs_.store(meter_times::longTimeMs(meter_times::quantiseDown(x)), std::memory_order_relaxed);
            break;
        case kReturn:
            returnMs_.store(meter_times::longTimeMs(meter_times::quantiseDown(x)), std::memory_order_relaxed);
            break;
        case kMidSideType: midSideType_.store(static_cast<int>(x * 2.0f + 0.5f), std::memory_order_relaxed); break;
        case kOverLength: overLength_.store(static_cast<int>(x * 9.0f + 0.5f) + 1, std::memory_order_relaxed); break;
        case kOverChoice: overChoice_.store(static_cast<int>(x * 3.0f + 0.5f), std::memory_order_relaxed); break;
        case kPrecise: setPrecise(static_cast<int>(x + 0.5f) != 0); break;
        default: break;
    }
    recomputeCoefficients();
    storeInScope(index, x);
}

void PPMmeter::getSettingText(int index, char* text) const {
    if (!text) return;
    switch (index) {
        case kReference: formatReference(text, referenceGain()); break;
        case kIntegration: formatMilliseconds(text, integrationMs()); break;
        case kHoldTime: formatSeconds(text, holdMs()); break;
        case kReturn: formatSeconds(text, returnMs()); break;
        default: break;
    }
}

void PPMmeter::recomputeCoefficients() {
    const double fs = sampleRate();
    const double t = integrationMs();
    attack_.store(t > 0.05 ? meter_times::approachCoefficient(0.01, fs, t) : 1.0, std::memory_order_relaxed);
    release_.store(meter_times::approachCoefficient(0.0625, fs, returnMs()), std::memory_order_relaxed);
    holdLength_.store(fs * holdMs() * 0.001, std::memory_order_relaxed);
}

void PPMmeter::reset() {
    resetFramework();
    recomputeCoefficients();
    suspend();
}

void PPMmeter::suspend() {
    clearRunningValues();
    ballistics_.clear();
}

void PPMmeter::processStereo(const float* left, const float* right, int count) {
    if (!right) right = left;
    process(left, right, count, false);
}

void PPMmeter::processMono(const float* samples, int count) { process(samples, samples, count, true); }

ALDERMARK_PROCESSOR_VARIANTS
void PPMmeter::process(const float* left, const float* right, int count, bool mono) {
    if (!left || count <= 0) return;
    beginBlock();
    withBlockFlags(preciseOn(), midSide() != 0, displayDelay() > 0, mono,
                   [&](auto precise, auto midSide, auto delay, auto isMono) {
                       run<decltype(precise)::value, decltype(midSide)::value, decltype(delay)::value,
                           decltype(isMono)::value>(left, right, count);
                   });
}

template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
void PPMmeter::run(const float* left, const float* right, int count) {
    const NeedleBallistics::Coefficients coefficients(attackCoefficient(), returnCoefficient(), holdLength(),
                                                      1.0 / referenceGain());
    const double overThreshold = OverThreshold::forChoice(overChoice_.load(std::memory_order_relaxed),
                                                          kOverAboveReference).onMagnitude(referenceGain());
    // The running state lives in locals for the block, so it stays in registers.
    NeedleBallistics ballistics = ballistics_;
    runBlock<kPrecise, kMidSide, kDelay, kMono>(
        left, right, count, {midScale(midSideType_.load(std::memory_order_relaxed)), overThreshold, overLength()},
        [&](StereoDouble, StereoDouble peakMagnitude) {
            ballistics.step(peakMagnitude, coefficients);
            return ballistics.hold;
        },
        [&](double running[][2]) { ballistics.snapshot(running); }, [&] { ballistics.flush(); });
    ballistics_ = ballistics;
}
