#pragma once
// Audio files read block by block, in memory that does not grow with the file. On Linux
// through libsndfile: WAV of every PCM depth and 32/64-bit float, WAVE_FORMAT_EXTENSIBLE,
// RF64, Wave64, AIFF, FLAC and Ogg. The Windows build reads WAV (16/24/32-bit PCM and 32/64-bit
// float, plain or extensible). Each platform implements this in its own folder.
//
// A file that ends before its header says (a truncated file) is read up to its end, and
// warning() then says so. Files of more than two channels are refused when opened: which two
// of them a meter should show is not for the reader to guess.
//
// Typical use:
//     AudioFileReader reader;
//     if (!reader.open(path, error)) ...;                // "-" reads standard input
//     while (const std::size_t n = reader.read(left, right, block)) ...;
//     if (!reader.warning().empty()) ...;                // tell the user, go on
//
// One thread at a time uses a reader.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace aldermark {

class AudioFileReader {
public:
    AudioFileReader();
    ~AudioFileReader();
    AudioFileReader(const AudioFileReader&) = delete;
    AudioFileReader& operator=(const AudioFileReader&) = delete;

    // Opens `path`, or standard input for "-". False with a one-line reason naming the file
    // when it cannot be read (missing, not audio, more than two channels).
    bool open(const std::string& path, std::string& error);

    std::uint32_t sampleRate() const;  // Hz
    int channels() const;              // 1 or 2
    // The number of frames, when the file says and can be trusted to hold them: a file,
    // not a stream through standard input.
    std::optional<std::uint64_t> frames() const;

    // Up to `maxFrames` frames into `left` and `right`: a mono file gives its samples to
    // both; `right` may be null to take the first channel only. Answers the frames read,
    // less than asked only at the end of the file, and 0 from then on.
    std::size_t read(float* left, float* right, std::size_t maxFrames);

    // Back to the first frame, for playing a file again; false for standard input.
    bool rewind();

    // Empty, or once the end is reached, a one-line note that the file ended before its
    // header said or could not be read on (the frames up to there were delivered).
    const std::string& warning() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace aldermark
