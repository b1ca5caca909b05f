#pragma once
// WAV files in and out of memory: PCM 16, 24 and 32-bit integer and 32 and 64-bit float
// samples, as plain or WAVE_FORMAT_EXTENSIBLE files, mono or stereo. Samples are held as
// floats (full scale ±1), one vector per channel.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace aldermark {

enum class WavSampleFormat { Int16, Int24, Int32, Float32, Float64 };

struct WavAudio {
    std::uint32_t sampleRate = 0;              // Hz
    std::vector<std::vector<float>> channels;  // planar; every channel has frames() samples

    std::size_t frames() const { return channels.empty() ? 0 : channels.front().size(); }
};

constexpr int kMaxWavChannels = 2;

// Decodes a complete file image. False with a one-line reason for anything that is not a
// readable mono or stereo WAV of a supported sample format; `audio` is then unchanged.
bool decodeWav(const unsigned char* bytes, std::size_t size, WavAudio& audio, std::string& error,
               WavSampleFormat* format = nullptr);

// Encodes `audio`; integer formats are rounded and clipped to full scale, NaN becomes 0.
// `extensible` writes the WAVE_FORMAT_EXTENSIBLE header with a front-speaker channel mask.
bool encodeWav(const WavAudio& audio, WavSampleFormat format, bool extensible, std::vector<unsigned char>& bytes,
               std::string& error);

bool readWavFile(const std::string& path, WavAudio& audio, std::string& error, WavSampleFormat* format = nullptr);
bool writeWavFile(const std::string& path, const WavAudio& audio, WavSampleFormat format, std::string& error,
                  bool extensible = false);

}  // namespace aldermark
