#include "tools/aldermark/programme_signal.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace aldermark {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kBeat = 0.5;  // seconds: 120 beats a minute
constexpr double kMix = 0.5;   // the mix level: peaks about -6.5 dBFS, -21 dBFS RMS

// Deterministic noise in -1..1.
double nextNoise(std::uint64_t& state) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

}  // namespace

void ProgrammeSignal::render(float* left, float* right, std::size_t frames) {
    static constexpr double kBassNotes[4] = {55.0, 55.0, 73.42, 65.41};  // A, A, D, C
    static constexpr double kChord[3] = {220.0, 277.18, 329.63};
    const double sampleRate = rate_;
    for (std::size_t n = 0; n < frames; ++n) {
        const double t = static_cast<double>(position_++) / sampleRate;
        const double inBeat = std::fmod(t, kBeat);
        const auto beat = static_cast<long>(t / kBeat);
        // Kick: a falling sweep with a fast decay on every beat.
        const double kickFrequency = 45.0 + 90.0 * std::exp(-inBeat * 30.0);
        kickPhase_ += kTwoPi * kickFrequency / sampleRate;
        const double kick = 0.55 * std::exp(-inBeat * 9.0) * std::sin(kickPhase_);
        // Bass: one note a bar, plucked on each beat.
        const double bassNote = kBassNotes[(beat / 4) % 4];
        const double bass = 0.22 * (0.4 + 0.6 * std::exp(-inBeat * 4.0)) * std::sin(kTwoPi * bassNote * t);
        // Pad: a chord that swells over two bars, spread across the channels.
        const double swell = 0.5 - 0.5 * std::cos(kTwoPi * t / (8 * kBeat));
        double padLeft = 0, padRight = 0;
        for (int k = 0; k < 3; ++k) {
            padLeft += std::sin(kTwoPi * kChord[k] * t + k);
            padRight += std::sin(kTwoPi * kChord[k] * 1.003 * t + 2 * k);
        }
        // Hi-hat: bright noise on the off-beats.
        const double white = nextNoise(noise_);
        hatLow_ += (white - hatLow_) * 0.3;
        const double offBeat = std::fmod(t + kBeat / 2, kBeat);
        const double hat = 0.12 * std::exp(-offBeat * 40.0) * (white - hatLow_);
        const double centre = kick + bass;
        left[n] = static_cast<float>(kMix * (centre + 0.06 * (0.3 + swell) * padLeft + hat));
        right[n] = static_cast<float>(kMix * (centre + 0.05 * (0.3 + swell) * padRight + 0.7 * hat));
    }
}

WavAudio makeProgrammeSignal(double seconds, std::uint32_t sampleRate) {
    WavAudio audio;
    audio.sampleRate = sampleRate;
    const auto frames = static_cast<std::size_t>(std::max(0.0, seconds) * sampleRate);
    audio.channels.assign(2, std::vector<float>(frames));
    ProgrammeSignal(sampleRate).render(audio.channels[0].data(), audio.channels[1].data(), frames);
    return audio;
}

}  // namespace aldermark
