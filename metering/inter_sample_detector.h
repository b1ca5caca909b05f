#pragma once
// Inter-sample ("precise") peak estimate: a 64-sample window per channel and fixed FIR
// phases that estimate the signal between samples. Below 88.2 kHz the output is the largest
// of the oldest sample and three 4x phases; up to 176.4 kHz the larger of the oldest sample
// and one 2x phase; above that only the 64-sample delay.

class InterSampleDetector {
public:
    InterSampleDetector();

    // Chooses the oversampling path for the sample rate (Hz) and clears the window.
    void init(double sampleRate);
    // Forgets every stored sample (on switching the mode, so nothing stale is measured).
    void clear();

    // Pushes one stereo frame and replaces both samples by their estimates.
    void processStereo(double& left, double& right);
    // Pushes one sample into the left window only and returns its estimate.
    double processMono(double sample);

    // Whether the 256-bit vector path may be used where the processor has it (it gives the
    // same results as the 128-bit path); answers whether it is now in use. For tests.
    static bool useWideVectors(bool allowed);

private:
    enum class Path { kFourTimes, kTwoTimes, kDelayOnly };

    void push(double left, double right);
    void estimate(double out[2]) const;

    Path path_;
    // Interleaved (left, right) frames written twice, at pos and pos + 64, so the 64 frames
    // from the oldest on are always contiguous. Linear amplitude. Read with unaligned loads:
    // 32-bit Windows heaps give only 8-byte alignment.
    double window_[2 * 64][2];
    int position_;  // index of the oldest frame, 0..63
};
