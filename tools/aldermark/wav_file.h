#pragma once
// WAV files in and out of memory: PCM 16, 24 and 32-bit integer and 32 and 64-bit float
// samples, as plain or WAVE_FORMAT_EXTENSIBLE files, mono or stereo. Samples are held as
// floats (full scale ±1), one vector per channel. Also the parts the streaming reader and
// writer share: the format chunk, one sample's decoding, the float stream's header.
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The sample layout a WAV format chunk describes.
struct WavFormat {
    WavSampleFormat sampleFormat = WavSampleFormat::Int16;
    unsigned channels = 0;
    std::uint32_t sampleRate = 0;  // Hz
    unsigned blockAlign = 0;       // bytes a frame
};

// Reads the body of a 'fmt ' chunk (plain or WAVE_FORMAT_EXTENSIBLE). False with a one-line
// reason for a sample format or channel count we do not read, or an inconsistent header.
bool parseWavFormatChunk(const unsigned char* body, std::size_t size, WavFormat& format, std::string& error);
// The sample at `p` as a float, full scale ±1.
float decodeWavSample(const unsigned char* p, WavSampleFormat format);

// The header of a 32-bit float WAV written as a stream, kFloatWavHeaderSize bytes before the
// samples. `frames` unknown gives the sizes 0xFFFFFFFF ("to the end of the stream"). A JUNK
// chunk keeps the room of a ds64 chunk: when the RIFF size would pass `riffLimit` (the
// 32-bit limit of plain WAV) the same bytes become an RF64 header, so a file that outgrows
// 4 GB needs no move of its samples.
constexpr std::size_t kFloatWavHeaderSize = 94;
std::vector<unsigned char> floatWavHeader(std::uint32_t sampleRate, unsigned channels,
                                          std::optional<std::uint64_t> frames,
                                          std::uint64_t riffLimit = 0xFFFFFFFFu);

// Decodes a complete file image. False with a one-line reason for anything that is not a
// readable mono or stereo WAV of a supported sample format; `audio` is then unchanged.
bool decodeWav(const unsigned char* bytes, std::size_t size, WavAudio& audio, std::string& error,
               WavSampleFormat* format = nullptr);

// Encodes `audio`; integer formats are rounded and clipped to full scale, NaN becomes 0.
// `extensible` writes the WAVE_FORMAT_EXTENSIBLE header with a front-speaker channel mask.
bool encodeWav(const WavAudio& audio, WavSampleFormat format, bool extensible, std::vector<unsigned char>& bytes,
               std::string& error);

// The whole file in memory (for short files and tests; the commands read through
// AudioFileReader). writeWavFile replaces `path` only once the file is complete.
bool readWavFile(const std::string& path, WavAudio& audio, std::string& error, WavSampleFormat* format = nullptr);
bool writeWavFile(const std::string& path, const WavAudio& audio, WavSampleFormat format, std::string& error,
                  bool extensible = false);

}  // namespace aldermark
