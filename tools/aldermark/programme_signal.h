#pragma once
// A music-like stereo test signal: kick, bass line, a pad chord and hi-hats at 120 beats a
// minute, peaking about -6.5 dBFS with a programme level around -21 dBFS RMS (a mix that
// sits near 0 VU at the usual -18 dBFS reference), the two channels a little different. The same seconds always give the same samples.
#include <cstddef>
#include <cstdint>

#include "tools/aldermark/wav_file.h"

namespace aldermark {

// The signal block by block, in constant memory: blocks of any sizes give the same samples
// as one long run.
class ProgrammeSignal {
public:
    explicit ProgrammeSignal(std::uint32_t sampleRate = 48000) : rate_(sampleRate) {}
    std::uint32_t sampleRate() const { return rate_; }
    void render(float* left, float* right, std::size_t frames);

private:
    std::uint32_t rate_;
    std::size_t position_ = 0;  // frames rendered so far
    std::uint64_t noise_ = 0x5EEDULL;
    double hatLow_ = 0, kickPhase_ = 0;
};

WavAudio makeProgrammeSignal(double seconds, std::uint32_t sampleRate = 48000);

}  // namespace aldermark
