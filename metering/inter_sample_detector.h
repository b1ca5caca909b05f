#pragma once
// Inter-sample ("precise") peak estimate: a 64-sample window per channel and fixed FIR
// phases that estimate the signal between samples. The phases lie between window taps 31 and
// 32, so the sample they are compared with is tap 31: below 88.2 kHz the peak is the largest
// of that sample and three 4x phases, up to 176.4 kHz the larger of that sample and one 2x
// phase; above that only the delay to the oldest sample (tap 0) remains.
//
// Each sample gives two outputs: the plain sample the estimate is aligned with, for the
// averaging detectors, and the peak, for the peak detectors and the over counting, so both
// describe the same moment. With mid/side, mid and side are formed at every candidate
// position before the largest is taken: the candidates are linear in the inputs, but the
// largest of the left ones and the largest of the right ones need not be at one position.
//
// Samples arrive in stretches: a stretch is appended to the window first and then estimated
// in one loop, so the estimates of neighbouring samples overlap rather than each waiting on
// the sample just stored.

class InterSampleDetector {
public:
    static constexpr int kTaps = 64;
    static constexpr int kMaxStretch = 64;  // samples per call
    static constexpr int kAlignedTap = kTaps / 2 - 1;  // the window tap the phases start from

    InterSampleDetector();

    // Chooses the oversampling path for the sample rate (Hz) and clears the window.
    void init(double sampleRate);
    // Forgets every stored sample (on switching the mode, so nothing stale is measured).
    void clear();

    // How the two channels leave the detector: as they are, or as mid = (L + R)·midScale
    // and side = L - R.
    struct Form {
        bool midSide = false;
        double midScale = 1.0;
    };

    // Appends `count` samples per channel (at most kMaxStretch; more are ignored), replaces
    // each by the plain sample the estimate is aligned with (32 samples earlier on the 4x
    // and 2x paths, 63 on the delay-only path) and writes the peak estimate of the same
    // moment to `peakLeft` and `peakRight` (which must not alias the samples).
    void processStereo(double* left, double* right, double* peakLeft, double* peakRight, int count,
                       Form form);
    // The same for one channel (the left window).
    void processMono(double* samples, double* peak, int count);
    // Samples from a sample's arrival to its plain output, at the current rate.
    int plainDelay() const { return path_ == Path::kDelayOnly ? kTaps - 1 : kTaps - 1 - kAlignedTap; }

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
    void estimateStretch(double* const plain[kChannels], double* const peak[kChannels], int count, int held,
                         Form form);

    Path path_;
    Window windows_[2];  // left, right
};
