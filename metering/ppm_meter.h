#pragma once
// The PPM (peak programme meter): a fast-attack needle, a peak hold and a slow return,
// relative to a reference level of -24..0 dBFS.
#include "metering/meter_model.h"
#include "metering/needle_ballistics.h"

class PPMmeter : public MeterModel {
public:
    static constexpr int kFirstSetting = 93;  // 93..100
    enum Setting {
        kReference = 93, kIntegration, kHoldTime, kReturn, kMidSideType, kOverLength, kOverChoice, kPrecise
    };

    explicit PPMmeter(MeterOwner* owner);
    ~PPMmeter() override;
    void setSetting(int index, float value) override;
    void getSettingText(int index, char* text) const override;

    void reset();
    void suspend();
    void processStereo(const float* left, const float* right, int count);
    void processMono(const float* samples, int count);

    double referenceGain() const { return gain_.load(std::memory_order_relaxed); }
    double integrationMs() const { return integrationMs_.load(std::memory_order_relaxed); }
    double holdMs() const { return holdMs_.load(std::memory_order_relaxed); }
    double returnMs() const { return returnMs_.load(std::memory_order_relaxed); }
    double attackCoefficient() const { return attack_.load(std::memory_order_relaxed); }
    double returnCoefficient() const { return release_.load(std::memory_order_relaxed); }
    double holdLength() const { return holdLength_.load(std::memory_order_relaxed); }
    int overLength() const { return overLength_.load(std::memory_order_relaxed); }

private:
    void recomputeCoefficients();
    void process(const float* left, const float* right, int count, bool mono);
    template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
    void run(const float* left, const float* right, int count);

    std::atomic<double> gain_{1.0};          // reference level, linear
    std::atomic<double> integrationMs_{0.0}; // attack time T, ms
    std::atomic<double> holdMs_{0.0};        // hold time Th, ms
    std::atomic<double> returnMs_{0.0};      // return time Tr, ms
    std::atomic<double> attack_{1.0};        // per-sample attack coefficient a
    std::atomic<double> release_{0.0};       // per-sample return coefficient r
    std::atomic<double> holdLength_{0.0};    // samples H
    std::atomic<int> midSideType_{1};        // 0, 1 or 2
    std::atomic<int> overLength_{1};         // consecutive samples N, 1..10
    std::atomic<int> overChoice_{3};         // 0: +8.15 dB over reference, 1..3: -3, -1, 0 dBFS

    NeedleBallistics ballistics_;  // audio thread
};
