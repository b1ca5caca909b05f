#pragma once
// The peak needle of the RMS and PPM meters: a one-pole follower with separate attack and
// return coefficients, and a hold that waits a number of samples before falling back with
// the return coefficient.
#include <climits>

struct NeedleBallistics {
    double needle = 0.0;   // linear, relative to the reference level
    double hold = 0.0;     // linear, relative to the reference level
    int holdCounter = 0;   // samples since the hold was last raised (saturates)

    void clear() { needle = hold = 0.0; holdCounter = 0; }

    // level: |sample| relative to the reference; attack/release: per-sample coefficients;
    // holdLength: samples the hold stays before it falls.
    void step(double level, double attack, double release, double holdLength) {
        needle += (level - needle) * (level > needle ? attack : release);
        needle = flush(needle);
        // Written as selects rather than branches: on programme material the comparisons
        // flip unpredictably from sample to sample.
        const bool raise = hold < needle;
        hold = raise ? needle : hold;
        holdCounter = raise ? 0 : holdCounter;
        const double fallen = flush(hold - hold * release);
        hold = holdCounter >= holdLength ? fallen : hold;
        holdCounter += holdCounter < INT_MAX;
    }

    // Adding and removing a small offset rounds values that would otherwise decay into
    // denormals (slow on x86) to zero.
    static double flush(double v) {
        v += 1e-14;
        return v - 1e-14;
    }
};
