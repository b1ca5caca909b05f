#pragma once
// Inter-sample ("precise") peak estimate: a 64-sample window per channel and fixed FIR
// phases that estimate the signal between samples. Below 88.2 kHz the output is the largest
// of the oldest sample and three 4x phases; up to 176.4 kHz the larger of the oldest sample
// and one 2x phase; above that only the delay to the oldest sample.
//
// Samples arrive in stretches: a stretch is appended to the window first and then estimated
// in one loop, so the estimates of neighbouring samples overlap rather than each waiting on
// the sample just stored.

class InterSampleDetector {
public:
    static constexpr int kTaps = 64;
    static constexpr int kMaxStretch = 64;  // samples per call

    InterSampleDetector();

    // Chooses the oversampling path for the sample rate (Hz) and clears the window.
    void init(double sampleRate);
    // Forgets every stored sample (on switching the mode, so nothing stale is measured).
    void clear();

    // Appends `count` samples per channel (at most kMaxStretch; more are ignored) and
    // replaces each by its estimate, whose oldest tap is 63 samples earlier.
    void processStereo(double* left, double* right, int count);
    // The same for one channel (the left window).
    void processMono(double* samples, int count);

    // Whether the 256-bit vector path may be used where the processor has it (it gives the
    // same results as the 128-bit path); answers whether it is now in use. For tests.
    static bool useWideVectors(bool allowed);

private:
    enum class Path { kFourTimes, kTwoTimes, kDelayOnly };
    static constexpr int kHistory = kTaps - 1;  // samples kept from one stretch to the next

    struct Window {
        // The 63 samples before the stretch, then the stretch, oldest first. Linear amplitude.
        double forward[kHistory + kMaxStretch];
        // The same samples newest first, so each window's mirrored taps (63 - j) are also
        // contiguous for vector loads.
        double reversed[kHistory + kMaxStretch];
    };

    // Appends a stretch to a window; returns the number of samples now held.
    static int append(Window& window, const double* samples, int count);
    // Keeps the last 63 samples for the next stretch.
    static void retire(Window& window, int count);
    template <int kChannels>
    void estimateStretch(double* const out[kChannels], int count, int held);

    Path path_;
    Window windows_[2];  // left, right
};
