#pragma once
// Audio played looped, block by block, for the sessions and pictures that run longer than
// their input: samples in memory, or a file streamed through its reader and read again
// from the top at its end.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/wav_file.h"

namespace aldermark {

// Copies `count` frames of `audio` from `position` on into `left` and `right`, starting
// again at the top when the file ends (a mono file feeds both); answers the next position.
std::size_t fillLoopedBlock(const WavAudio& audio, std::size_t position, float* left, float* right, int count);

class LoopedAudio {
public:
    virtual ~LoopedAudio() = default;
    virtual std::uint32_t sampleRate() const = 0;
    // The next `count` frames of both channels (a mono source feeds both). False when the
    // audio cannot go on (it holds no samples, it cannot be read again): the rest of the
    // block is silence and error() says why.
    virtual bool fill(float* left, float* right, int count) = 0;
    const std::string& error() const { return error_; }

protected:
    std::string error_;
};

class MemoryLoop final : public LoopedAudio {
public:
    // `audio` must outlive the loop.
    explicit MemoryLoop(const WavAudio& audio) : audio_(audio) {}
    std::uint32_t sampleRate() const override { return audio_.sampleRate; }
    bool fill(float* left, float* right, int count) override;

private:
    const WavAudio& audio_;
    std::size_t position_ = 0;
};

class FileLoop final : public LoopedAudio {
public:
    // `reader` is open and outlives the loop; `name` is the file's name for messages.
    FileLoop(AudioFileReader& reader, std::string name) : reader_(reader), name_(std::move(name)) {}
    std::uint32_t sampleRate() const override { return reader_.sampleRate(); }
    bool fill(float* left, float* right, int count) override;

private:
    AudioFileReader& reader_;
    std::string name_;
};

}  // namespace aldermark
