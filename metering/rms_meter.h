#pragma once
// The RMS meter: a peak needle with attack and return, a peak hold, and a mean square with
// its own averaging time, all relative to a reference level of -20..+10 dBFS.
#include "metering/meter_model.h"
#include "metering/needle_ballistics.h"

class RMSMeter : public MeterModel {
public:
    static constexpr int kFirstSetting = 72;  // 72..81
    enum Setting {
        kReference = 72, kIntegration, kRmsIntegration, kHoldTime, kReturn,
        kMidSideType, kOverLength, kOverReference, kPrecise, kLedReference
    };

    explicit RMSMeter(MeterOwner* owner);
    ~RMSMeter() override;
    void setSetting(int index, float value) override;
    void getSettingText(int index, char* text) const override;

    // Sample-rate change: clears the history and the detectors, recomputes the coefficients.
    void reset();
    // Suspend/resume: clears the detectors.
    void suspend();
    void processStereo(const float* left, const float* right, int count);
    void processMono(const float* samples, int count);

    // Derived quantities (for the panel and for tests).
    double referenceGain() const { return gain_.load(std::memory_order_relaxed); }
    double integrationMs() const { return integrationMs_.load(std::memory_order_relaxed); }
    double averagingMs() const { return averagingMs_.load(std::memory_order_relaxed); }
    double holdMs() const { return holdMs_.load(std::memory_order_relaxed); }
    double returnMs() const { return returnMs_.load(std::memory_order_relaxed); }
    double attackCoefficient() const { return attack_.load(std::memory_order_relaxed); }
    double returnCoefficient() const { return release_.load(std::memory_order_relaxed); }
    float averagingCoefficient() const { return averaging_.load(std::memory_order_relaxed); }
    double holdLength() const { return holdLength_.load(std::memory_order_relaxed); }
    int overLength() const { return overLength_.load(std::memory_order_relaxed); }

private:
    void recomputeCoefficients();
    void process(const float* left, const float* right, int count, bool mono);
    template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono>
    void run(const float* left, const float* right, int count);

    std::atomic<double> gain_{1.0};          // reference level, linear (full scale = 1)
    std::atomic<double> integrationMs_{0.0}; // needle attack time T, ms
    std::atomic<double> averagingMs_{0.0};   // mean-square averaging time Tq, ms
    std::atomic<double> holdMs_{0.0};        // hold time Th, ms
    std::atomic<double> returnMs_{0.0};      // return time Tr, ms
    std::atomic<double> attack_{1.0};        // per-sample attack coefficient a
    std::atomic<double> release_{0.0};       // per-sample return coefficient r
    std::atomic<float> averaging_{1.0f};     // per-sample mean-square coefficient k
    std::atomic<double> holdLength_{0.0};    // samples H
    std::atomic<int> midSideType_{1};        // 0, 1 or 2
    std::atomic<int> overLength_{1};         // consecutive samples N, 1..10
    std::atomic<int> overStep_{6};           // threshold step k, 0..6 (-6..0 dB)
    std::atomic<int> overFromFullScale_{1};  // threshold base: 1 full scale, 0 reference

    NeedleBallistics ballistics_;  // audio thread
    StereoDouble meanSquare_{};    // q per channel, relative to the reference squared
};
