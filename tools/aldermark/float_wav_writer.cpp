#include "tools/aldermark/float_wav_writer.h"

#include <bit>
#include <cstring>

#include "tools/aldermark/wav_file.h"

namespace aldermark {

bool FloatWavWriter::open(const std::string& path, std::uint32_t sampleRate, int channels,
                          std::optional<std::uint64_t> frames, std::string& error) {
    if (channels < 1 || channels > kMaxWavChannels || sampleRate == 0) {
        error = "cannot write '" + path + "': " + std::to_string(channels) + " channels at " +
                std::to_string(sampleRate) + " Hz";
        return false;
    }
    if (!file_.open(path, error)) return false;
    sampleRate_ = sampleRate;
    channels_ = channels;
    announced_ = frames;
    written_ = 0;
    // A file's header is written again with the real sizes by finish().
    const std::vector<unsigned char> header =
        floatWavHeader(sampleRate, static_cast<unsigned>(channels), file_.isStandardOutput() ? frames : 0);
    return file_.write(header.data(), header.size());
}

bool FloatWavWriter::write(const float* left, const float* right, std::size_t frames) {
    const std::size_t channels = static_cast<std::size_t>(channels_);
    bytes_.resize(frames * channels * 4);
    unsigned char* out = bytes_.data();
    for (std::size_t i = 0; i < frames; ++i)
        for (std::size_t c = 0; c < channels; ++c) {
            const auto bits = std::bit_cast<std::uint32_t>(c == 0 ? left[i] : right[i]);
            for (int b = 0; b < 4; ++b) *out++ = static_cast<unsigned char>(bits >> (8 * b));
        }
    written_ += frames;
    return file_.write(bytes_.data(), bytes_.size());
}

bool FloatWavWriter::finish(std::string& error) {
    if (file_.isStandardOutput()) {
        if (!file_.commit(error)) return false;
        if (announced_ && *announced_ != written_) {
            error = "standard output: the WAV header announced " + std::to_string(*announced_) +
                    " frames, " + std::to_string(written_) + " followed";
            return false;
        }
        return true;
    }
    const std::vector<unsigned char> header = floatWavHeader(sampleRate_, static_cast<unsigned>(channels_), written_);
    file_.writeAt(0, header.data(), header.size());
    return file_.commit(error);
}

}  // namespace aldermark
