#pragma once
// The peak needles of the RMS and PPM meters, both channels at once: a one-pole follower with
// separate attack and return coefficients, and a hold that waits a number of samples before
// falling back with the return coefficient.
#include <algorithm>

#include "metering/stereo_double.h"

// One sample of a peak hold, both channels. Where `raise` is set the hold takes the needle and
// its counter restarts; elsewhere the hold falls by `keep` once the counter has reached
// `holdLength` (at least 1). A raise leaves the counter below the hold length, so the fall
// test can use the counter as it stood, which keeps the test off the hold's own path.
inline void advanceHold(StereoDouble& hold, StereoDouble& counter, StereoMask raise, StereoDouble needle,
                        StereoDouble holdLength, StereoDouble keep) {
    const StereoDouble held = select(counter >= holdLength, hold * keep, hold);
    hold = select(raise, needle, held);
    counter = clearWhere(raise, counter) + 1.0;
}

struct NeedleBallistics {
    // Per-sample coefficients, prepared once per block. The needle is fed sample magnitudes;
    // the reference gain is folded into the coefficients.
    struct Coefficients {
        StereoDouble keepAttack, attackPerUnit;    // 1 - a and a / g
        StereoDouble keepRelease, releasePerUnit;  // 1 - r and r / g
        StereoDouble holdLength;                   // samples the hold stays before it falls

        // Attack times (0..100 ms) never exceed 1.66 times the return time (100 ms or more),
        // so a >= r; the needle step relies on it, hence the guard.
        Coefficients(double attack, double releaseCoefficient, double holdSamples, double inverseGain)
            : keepAttack(bothChannels(1.0 - std::max(attack, releaseCoefficient))),
              attackPerUnit(bothChannels(std::max(attack, releaseCoefficient) * inverseGain)),
              keepRelease(bothChannels(1.0 - releaseCoefficient)),
              releasePerUnit(bothChannels(releaseCoefficient * inverseGain)),
              holdLength(bothChannels(std::max(holdSamples, 1.0))) {}
    };

    StereoDouble needle{};       // linear, relative to the reference level
    StereoDouble hold{};         // linear, relative to the reference level
    StereoDouble holdCounter{};  // samples since the hold was last raised (stops counting at 2^53)

    void clear() { needle = hold = holdCounter = StereoDouble{}; }

    // magnitude: |sample| per channel, linear full scale.
    void step(StereoDouble magnitude, const Coefficients& k) {
        // v + (c - v)·a when the level c is above the needle v, else v + (c - v)·r. With
        // a >= r the chosen one is always the larger of the two, so the needle waits only on
        // a multiply, an add and a maximum per sample.
        const StereoDouble attacked = needle * k.keepAttack + magnitude * k.attackPerUnit;
        const StereoDouble released = needle * k.keepRelease + magnitude * k.releasePerUnit;
        needle = maximum(attacked, released);
        advanceHold(hold, holdCounter, hold < needle, needle, k.holdLength, k.keepRelease);
    }

    // Writes needle and hold into running[0][channel] and running[1][channel].
    void snapshot(double running[][2]) const {
        for (int ch = 0; ch < 2; ++ch) {
            running[0][ch] = needle[ch];
            running[1][ch] = hold[ch];
        }
    }

    // Adding and removing a small offset rounds values that are decaying towards denormals
    // (slow on x86) to zero; run between stretches of samples (MeterModel::forEachFrame).
    void flush() {
        needle = flushed(needle);
        hold = flushed(hold);
    }
    static StereoDouble flushed(StereoDouble v) {
        v += 1e-14;
        return v - 1e-14;
    }
};
