#pragma once
// Input trim: the level from its normalised setting, and the one-pole glide of the gain
// that keeps trim moves free of zipper noise.

#include <atomic>
#include <cmath>

// Trim level in dB: -20.0 ... +20.0 in 0.1 dB steps from a normalised 0 ... 1.
// A value that is not a number reads as the 0 dB centre.
inline double trimLevelDecibels(float x)
{
    if (std::isnan(x)) return 0.0;
    const double held = x < 0.0f ? 0.0 : x > 1.0f ? 1.0 : double(x);
    return static_cast<int>(held * 400.0 + 0.5) * 0.1 - 20.0;
}

// Linear gain of a level in dB.
inline float trimGain(double decibels) { return static_cast<float>(std::pow(10.0, decibels * 0.05)); }

class TrimSmoother {
public:
    // The target may change from any thread; the glide itself runs on the audio thread,
    // and resume and suspend happen while no block is being processed.
    void setTarget(float gain)
    {
        if (std::isfinite(gain)) target_.store(gain, std::memory_order_relaxed);
    }

    // Settles the gain and scales the glide so that it takes the same time at any rate.
    void resume(double sampleRate)
    {
        const double fs = (std::isfinite(sampleRate) && sampleRate > 0.0) ? sampleRate : kReferenceRate;
        const double c = kReferenceCoefficient * kReferenceRate / fs;
        coefficient_ = static_cast<float>(c < 1.0 ? c : 1.0);
        gain_ = target();
    }

    void suspend() { gain_ = target(); }

    // One sample of glide; gives the gain to apply to that sample.
    float advance()
    {
        const float target = this->target();
        double next = double(gain_) + (double(target) - double(gain_)) * double(coefficient_);
        next += kDenormalFlush;
        next -= kDenormalFlush;
        const float rounded = static_cast<float>(next);
        // Once the step is below float resolution the glide would stall a hair short of
        // the target (a fixed offset at 0 dB); it is close enough to land on it instead.
        gain_ = (rounded == gain_) ? target : rounded;
        return gain_;
    }

    // At the target, every advance() gives the target again: a block can use it as is.
    bool settled() const { return gain_ == target(); }
    float gain() const { return gain_; }
    float target() const { return target_.load(std::memory_order_relaxed); }
    float coefficient() const { return coefficient_; }

private:
    static constexpr double kReferenceRate = 44100.0;         // Hz
    static constexpr double kReferenceCoefficient = 0.0005;   // per sample at 44.1 kHz
    static constexpr double kDenormalFlush = 1e-14;

    std::atomic<float> target_{1.0f};                              // gain to glide to, linear
    float gain_ = 1.0f;                                            // gain applied now, linear
    float coefficient_ = static_cast<float>(kReferenceCoefficient);  // glide step per sample, 0 ... 1
};
