#pragma once
// The VU meter: a moving-coil needle model (a bank of low-pass sections whose damping
// follows the needle position) driven by the rectified signal, with a peak hold, relative to
// a reference level of -24..0 dBFS.
#include "metering/meter_model.h"
#include "metering/vu_needle_bank.h"

class VUmeter : public MeterModel {
public:
    static constexpr int kFirstSetting = 83;  // 83..91
    enum Setting {
        kReference = 83, kIntegration, kHoldTime, kBallistics, kMidSideType, kBacklight,
        kOverLength, kOverChoice, kPrecise
    };
    static constexpr double kRestingNeedle = -0.05;  // just below the scale start

    explicit VUmeter(MeterOwner* owner);
    ~VUmeter() override;
    void setSetting(int index, float value) override;
    void getSettingText(int index, char* text) const override;

    void reset();
    void suspend();
    void processStereo(const float* left, const float* right, int count);
    void processMono(const float* samples, int count);

    double referenceGain() const { return gain_.load(std::memory_order_relaxed); }
    double integrationMs() const { return integrationMs_.load(std::memory_order_relaxed); }
    // The integration time the settings show: the nominal time, which the model runs slower than.
    double shownIntegrationMs() const { return integrationMs() * 0.85689802913; }
    double holdMs() const { return holdMs_.load(std::memory_order_relaxed); }
    double holdLength() const { return holdLength_.load(std::memory_order_relaxed); }
    bool ballisticsB() const { return ballisticsB_.load(std::memory_order_relaxed); }
    // Backlight level of the meter face: 0, 0.25, 0.5, 0.75 or 1.
    double backlight() const { return backlight_.load(std::memory_order_relaxed); }
    int overLength() const { return overLength_.load(std::memory_order_relaxed); }
    // Needle section each channel stands in (0..15), as of the last block.
    int section(int channel) const;

private:
    void recomputeCoefficients();
    void redesignNeedles();
    void process(const float* left, const float* right, int count, bool mono);
    template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
    void run(const float* left, const float* right, int count);

    std::atomic<double> gain_{1.0};           // reference level, linear
    std::atomic<double> integrationMs_{350.0};// model integration time T, ms
    std::atomic<double> holdMs_{0.0};         // hold time Th, ms
    std::atomic<double> holdLength_{0.0};     // samples H
    std::atomic<double> holdRelease_{0.0};    // per-sample hold fall coefficient
    std::atomic<bool> ballisticsB_{false};    // type A (false) or B
    std::atomic<int> midSideType_{1};         // 0, 1 or 2
    std::atomic<double> backlight_{0.5};
    std::atomic<int> overLength_{1};          // consecutive samples N, 1..10
    std::atomic<int> overChoice_{3};          // 0: +8 dB over reference, 1..3: -3, -1, 0 dBFS
    std::atomic<bool> redesignRequest_{false};// ballistics changed; the audio thread redesigns
    std::atomic<int> publishedSection_[2]{};

    VUNeedleBank needles_;           // audio thread
    StereoDouble needle_{kRestingNeedle, kRestingNeedle};  // linear, relative to reference
    StereoDouble hold_{};            // linear, relative to reference
    StereoDouble holdCounter_{};     // samples since the hold was raised (stops at 2^53)
};
