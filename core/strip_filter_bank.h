#pragma once
// The strip filters of the process section: a 12 or 24 dB/oct high-pass followed by a 6 or
// 18 dB/oct low-pass, for two channels, worked in place through fixed sub-blocks.
//
// Setters and processing are serialised by the owner's instance lock; the stored settings
// are atomics as well so that display texts can be read from any thread.

#include <atomic>

#include "core/filter_section.h"

class StripFilterBank {
public:
    static constexpr int kWorkBufferLength = 128;  // floats per work buffer
    static constexpr int kSubBlockLength = 64;     // samples filtered per pass

    enum Slot : int {
        kHighPassALeft, kHighPassBLeft, kHighPassARight, kHighPassBRight,
        kLowPassFirstLeft, kLowPassSecondLeft, kLowPassFirstRight, kLowPassSecondRight,
        kSectionCount
    };

    // High-pass in at 20 Hz, 12 dB/oct; low-pass in at 30 kHz, 6 dB/oct; at 44.1 kHz.
    StripFilterBank();

    // Rates are held to 44.1 ... 192 kHz (not a number: 44.1 kHz). Sections are redesigned;
    // the low-pass blend follows at the next refresh.
    void setSampleRate(float rate);
    // Redesigns every section at the current rate and applies the stored settings again.
    void refresh();
    // Silences the work buffers and the history of every section.
    void clear();

    // Normalised settings, 0 ... 1. Values outside are held to the range and a value that
    // is not a number is ignored, so the stored settings stay meaningful.
    void setHighPassOn(float x);
    void setHighPassSlope(float x);
    void setHighPassFrequency(float x);
    void setLowPassOn(float x);
    void setLowPassSlope(float x);
    void setLowPassFrequency(float x);

    // Filters two channels in place. Null buffers or a count <= 0 do nothing.
    void processStereo(float* left, float* right, int count);
    // Filters one channel with the left sections and writes the result to both outputs;
    // either output may be null or the same buffer as the other or as the input.
    void processMono(const float* input, float* outLeft, float* outRight, int count);

    // Read-outs: the stored normalised settings and what was derived from them.
    float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    float highPassOnValue() const { return highPassOnValue_.load(std::memory_order_relaxed); }
    float highPassSlopeValue() const { return highPassSlopeValue_.load(std::memory_order_relaxed); }
    float highPassFrequencyValue() const { return highPassFrequencyValue_.load(std::memory_order_relaxed); }
    float lowPassOnValue() const { return lowPassOnValue_.load(std::memory_order_relaxed); }
    float lowPassSlopeValue() const { return lowPassSlopeValue_.load(std::memory_order_relaxed); }
    float lowPassFrequencyValue() const { return lowPassFrequencyValue_.load(std::memory_order_relaxed); }
    int highPassOn() const { return highPassOn_.load(std::memory_order_relaxed); }
    int highPassSlope() const { return highPassSlope_.load(std::memory_order_relaxed); }
    float highPassFrequency() const { return highPassFrequency_.load(std::memory_order_relaxed); }
    int lowPassOn() const { return lowPassOn_.load(std::memory_order_relaxed); }
    int lowPassSlope() const { return lowPassSlope_.load(std::memory_order_relaxed); }
    float lowPassFrequency() const { return lowPassFrequency_.load(std::memory_order_relaxed); }
    float lowPassWetWeight() const { return wetWeight_.load(std::memory_order_relaxed); }
    float lowPassDryWeight() const { return dryWeight_.load(std::memory_order_relaxed); }
    const FilterSection& section(Slot slot) const { return sections_[slot]; }

private:
    void applyHighPassEnables();
    void applyLowPassEnables();
    // Runs one channel's sections over the sub-block already in its high-pass buffer and
    // leaves the blended result in its low-pass buffer.
    // Mixes the low-pass result with the dry high-pass result by the low-pass blend weights.
    void blend(const float* highPass, float* lowPass, int count) const;
    void filterChannel(float* highPass, float* lowPass, Slot stageA, Slot stageB,
                       Slot firstOrder, Slot secondOrder, int count);

    std::atomic<float> sampleRate_{44100.0f};          // fs_f, Hz
    std::atomic<float> highPassOnValue_{0.0f};         // normalised settings as last given
    std::atomic<float> highPassSlopeValue_{0.0f};
    std::atomic<float> highPassFrequencyValue_{0.0f};
    std::atomic<float> lowPassOnValue_{0.0f};
    std::atomic<float> lowPassSlopeValue_{0.0f};
    std::atomic<float> lowPassFrequencyValue_{0.0f};
    std::atomic<int> highPassOn_{0};                   // 1: high-pass in
    std::atomic<int> highPassSlope_{0};                // 0: 12 dB/oct, 1: 24 dB/oct
    std::atomic<float> highPassFrequency_{20.0f};      // fHP, Hz
    std::atomic<int> lowPassOn_{0};                    // 1: low-pass in
    std::atomic<int> lowPassSlope_{0};                 // 0: 6 dB/oct, 1: 18 dB/oct
    std::atomic<float> lowPassFrequency_{30000.0f};    // fLP, Hz
    std::atomic<float> wetWeight_{1.0f};               // share of the low-passed signal, 0 ... 1
    std::atomic<float> dryWeight_{0.0f};               // share of the high-passed signal, 1 - wet

    FilterSection sections_[kSectionCount];
    float highPassLeft_[kWorkBufferLength] = {};       // sub-block after the high-pass, full scale = 1
    float highPassRight_[kWorkBufferLength] = {};
    float lowPassLeft_[kWorkBufferLength] = {};        // sub-block after the low-pass
    float lowPassRight_[kWorkBufferLength] = {};
};
