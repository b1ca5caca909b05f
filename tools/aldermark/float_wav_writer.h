#pragma once
// 32-bit float WAV output written block by block, in constant memory, through an OutputFile:
// the file appears complete or not at all. A file's header gets its sizes at the end; on
// standard output the header comes first, with the frame count given to open() (or "to the
// end of the stream" when it is not known). Past 4 GB the file is RF64.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/aldermark/output_file.h"

namespace aldermark {

class FloatWavWriter {
public:
    // `channels` 1 or 2. `frames`: how many will come, when known (needed for standard output).
    bool open(const std::string& path, std::uint32_t sampleRate, int channels, std::optional<std::uint64_t> frames,
              std::string& error);
    // `frames` samples of each channel (`right` is not read for mono).
    bool write(const float* left, const float* right, std::size_t frames);
    // Completes the header and puts the file in place. False with a one-line reason when any
    // write failed, or when standard output got another number of frames than announced.
    bool finish(std::string& error);
    std::uint64_t framesWritten() const { return written_; }

private:
    OutputFile file_;
    std::uint32_t sampleRate_ = 0;
    int channels_ = 0;
    std::optional<std::uint64_t> announced_;
    std::uint64_t written_ = 0;
    std::vector<unsigned char> bytes_;  // one block, interleaved little-endian
};

}  // namespace aldermark
