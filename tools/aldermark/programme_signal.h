#pragma once
// A music-like stereo test signal: kick, bass line, a pad chord and hi-hats at 120 beats a
// minute, peaking about -6.5 dBFS with a programme level around -21 dBFS RMS (a mix that
// sits near 0 VU at the usual -18 dBFS reference), the two channels a little different. The same seconds always give the same samples.
#include <cstdint>

#include "tools/aldermark/wav_file.h"

namespace aldermark {

WavAudio makeProgrammeSignal(double seconds, std::uint32_t sampleRate = 48000);

}  // namespace aldermark
