#include "metering/rms_meter.h"

#include <cmath>

#include "metering/meter_block_loop.h"
#include "metering/meter_times.h"
#include "metering/vector_dispatch.h"

namespace {

// Over thresholds -6..0 dB in 1 dB steps, linear.
constexpr double kOverThreshold[7] = {0.5011872336, 0.5623413252, 0.6309573445, 0.7071,
                                      0.7943282347, 0.8912509381337456, 1.0};

}  // namespace

RMSMeter::RMSMeter(MeterOwner* owner) : MeterModel(owner, kFirstSetting, 10, 3) {
    loadInitialSettings();
    reset();
}

RMSMeter::~RMSMeter() = default;

void RMSMeter::setSetting(int index, float value) {
    if (!ownsSetting(index)) return;
    const float x = clampSetting(value);
    float stored = x;
    switch (index) {
        case kReference: {
            const float db = static_cast<float>(static_cast<int>(x * 300.0f + 0.5f)) * 0.1f - 20.0f;
            gain_.store(std::pow(10.0, db * 0.05), std::memory_order_relaxed);
            break;
        }
        case kIntegration:
            stored = meter_times::quantiseDown(x);
            integrationMs_.store(meter_times::integrationMs(stored), std::memory_order_relaxed);
            break;
        case kRmsIntegration:
            stored = meter_times::quantiseDown(x);
            averagingMs_.store(meter_times::longTimeMs(stored), std::memory_order_relaxed);
            break;
        case kHoldTime:
            stored = meter_times::quantiseDown(x);
            holdMs_.store(meter_times::longTimeMs(stored), std::memory_order_relaxed);
            break;
        case kReturn:
            stored = meter_times::quantiseDown(x);
            returnMs_.store(meter_times::longTimeMs(stored), std::memory_order_relaxed);
            break;
        case kMidSideType: midSideType_.store(static_cast<int>(x * 2.0f + 0.5f), std::memory_order_relaxed); break;
        case kOverLength: overLength_.store(static_cast<int>(x * 9.0f + 0.5f) + 1, std::memory_order_relaxed); break;
        case kOverReference: overStep_.store(static_cast<int>(x * 6.0f + 0.5f), std::memory_order_relaxed); break;
        case kPrecise: setPrecise(static_cast<int>(x + 0.5f) != 0); break;
        case kLedReference: overFromFullScale_.store(static_cast<int>(x + 0.5f), std::memory_order_relaxed); break;
        default: break;
    }
    // The times read back as the step in use, so a saved state loads and saves unchanged.
    settings_[index - kFirstSetting].store(stored, std::memory_order_relaxed);
    recomputeCoefficients();
    storeInScope(index, stored);
}

void RMSMeter::getSettingText(int index, char* text) const {
    if (!text) return;
    switch (index) {
        case kReference: formatReference(text, referenceGain()); break;
        case kIntegration: formatMilliseconds(text, integrationMs()); break;
        case kRmsIntegration: formatSeconds(text, averagingMs()); break;
        case kHoldTime: formatSeconds(text, holdMs()); break;
        case kReturn: formatSeconds(text, returnMs()); break;
        default: break;
    }
}

void RMSMeter::recomputeCoefficients() {
    const double fs = sampleRate();
    const double t = integrationMs();
    attack_.store(t > 0.05 ? meter_times::approachCoefficient(0.01, fs, t) : 1.0, std::memory_order_relaxed);
    release_.store(meter_times::approachCoefficient(0.0625, fs, returnMs()), std::memory_order_relaxed);
    holdLength_.store(fs * holdMs() * 0.001, std::memory_order_relaxed);
    const float seconds = static_cast<float>(averagingMs() * 0.001);
    averaging_.store(seconds < 0.00001f ? 1.0f
                                        : static_cast<float>(1.0 - std::pow(0.109, 2.0 / (seconds * fs))),
                     std::memory_order_relaxed);
}

void RMSMeter::reset() {
    resetFramework();
    recomputeCoefficients();
    suspend();
}

void RMSMeter::suspend() {
    clearRunningValues();
    ballistics_.clear();
    meanSquare_ = StereoDouble{};
}

void RMSMeter::processStereo(const float* left, const float* right, int count) {
    if (!right) right = left;
    process(left, right, count, false);
}

void RMSMeter::processMono(const float* samples, int count) { process(samples, samples, count, true); }

ALDERMARK_PROCESSOR_VARIANTS
void RMSMeter::process(const float* left, const float* right, int count, bool mono) {
    if (!left || count <= 0) return;
    beginBlock();
    withBlockFlags(preciseOn(), midSide() != 0, displayDelay() > 0, mono,
                   [&](auto precise, auto midSide, auto delay, auto isMono) {
                       run<decltype(precise)::value, decltype(midSide)::value, decltype(delay)::value,
                           decltype(isMono)::value>(left, right, count);
                   });
}

template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
void RMSMeter::run(const float* left, const float* right, int count) {
    const double inverseGain = 1.0 / referenceGain();
    const NeedleBallistics::Coefficients coefficients(attackCoefficient(), returnCoefficient(), holdLength(),
                                                      inverseGain);
    const double averaging = averagingCoefficient();
    // q + (c^2 - q)·k as q·(1 - k) + |x|^2·(k / g^2): one multiply and one add wait on q.
    const StereoDouble keepAveraging = bothChannels(1.0 - averaging);
    const StereoDouble averagingPerUnit = bothChannels(averaging * inverseGain * inverseGain);
    // Over when the relative level reaches t (base: reference) or t / gain (base: full scale),
    // compared on the sample itself so the boundary sample counts exactly.
    const double step = kOverThreshold[overStep_.load(std::memory_order_relaxed)];
    const double threshold = overFromFullScale_.load(std::memory_order_relaxed) ? step : step * referenceGain();
    // The running state lives in locals for the block, so it stays in registers.
    NeedleBallistics ballistics = ballistics_;
    StereoDouble meanSquare = meanSquare_;
    runBlock<kPrecise, kMidSide, kDelay, kMono>(
        left, right, count, {midScale(midSideType_.load(std::memory_order_relaxed)), threshold, overLength()},
        [&](StereoDouble magnitude, StereoDouble peakMagnitude) {
            // The needle and hold measure peaks; the mean square averages the plain samples.
            ballistics.step(peakMagnitude, coefficients);
            meanSquare = meanSquare * keepAveraging + magnitude * magnitude * averagingPerUnit;
            return ballistics.hold;
        },
        [&](double running[][2]) {
            ballistics.snapshot(running);
            for (int ch = 0; ch < 2; ++ch) running[kMeanSquare][ch] = meanSquare[ch];
        },
        [&] {
            ballistics.flush();
            meanSquare = NeedleBallistics::flushed(meanSquare);
        });
    ballistics_ = ballistics;
    meanSquare_ = meanSquare;
}
