#pragma once
// An audio file played through an effect built from the plug-in's own code, driven through
// its AEffect record like a host: what `meter` and `plot` read their meter from. The file is
// read block by block, so memory does not grow with its length.
//
// One thread uses a MeteredFile; the effect's audio and GUI calls both come from it.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/aldermark/arguments.h"
#include "tools/aldermark/audio_file.h"
#include "vst2/aeffect.h"

class Templete;

namespace aldermark {

class MeteredFile {
public:
    MeteredFile() = default;
    ~MeteredFile();
    MeteredFile(const MeteredFile&) = delete;
    MeteredFile& operator=(const MeteredFile&) = delete;

    // Opens `path` ("-": standard input), makes the effect, applies the assignments and
    // starts it at the file's rate with blocks of up to `block` frames. False with a one-line
    // reason.
    bool open(const std::string& path, const std::vector<ParameterAssignment>& assignments, std::size_t block,
              std::string& error);

    Templete& effect() const;
    double sampleRate() const { return reader_.sampleRate(); }
    int channels() const { return reader_.channels(); }
    // The file's length in frames, where it says (not for standard input).
    std::optional<std::uint64_t> frames() const { return reader_.frames(); }
    // Plays the next block, of at most `frames` frames (and the block size); answers the
    // frames played, 0 at the end of the file.
    std::size_t play(std::size_t frames);
    std::uint64_t played() const { return played_; }
    double playedMs() const { return static_cast<double>(played_) * 1000.0 / reader_.sampleRate(); }
    // The last block's output (what the meter measured); right is the left for a mono file.
    const float* outputLeft() const { return outLeft_.data(); }
    const float* outputRight() const { return channels() > 1 ? outRight_.data() : outLeft_.data(); }
    // A note on a file that ended early, once its end is reached; empty otherwise.
    const std::string& warning() const { return reader_.warning(); }

private:
    AudioFileReader reader_;
    AEffect* effect_ = nullptr;
    std::vector<float> inLeft_, inRight_, outLeft_, outRight_;
    std::uint64_t played_ = 0;
};

}  // namespace aldermark
