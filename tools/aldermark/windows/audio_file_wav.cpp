// AudioFileReader for WAV files, streamed: the chunks before the audio are walked, the audio
// is then decoded block by block.
#include <windows.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/host_files.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/wav_file.h"

namespace aldermark {
namespace {

constexpr std::size_t kChunkFrames = 4096;
constexpr std::uint32_t kMaxFormatChunk = 1 << 16;
constexpr std::uint32_t kStreamedSize = 0xFFFFFFFF;  // left by writers that did not know the size

std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

std::string duration(std::uint64_t frames, std::uint32_t rate) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s (%llu frames)", static_cast<double>(frames) / rate,
                  static_cast<unsigned long long>(frames));
    return text;
}

// A file on a disk, where the size is known and seeking works (not a pipe or a console).
bool isDiskFile(std::FILE* file) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK;
}

}  // namespace

struct AudioFileReader::State {
    std::FILE* file = nullptr;
    bool ownsFile = false;
    bool seekable = false;
    std::string name;  // for messages: 'path' or standard input
    WavFormat format;
    std::int64_t dataStart = 0;
    std::optional<std::uint64_t> announced;  // frames the data chunk's size gives
    std::optional<std::uint64_t> present;    // frames the file holds, when it can be measured
    std::uint64_t delivered = 0;
    bool ended = false;
    std::string warning;
    std::vector<unsigned char> bytes;

    ~State() {
        if (file && ownsFile) std::fclose(file);
    }

    bool readExactly(void* into, std::size_t size) { return std::fread(into, 1, size, file) == size; }

    bool skip(std::uint64_t size) {
        if (seekable) return _fseeki64(file, static_cast<__int64>(size), SEEK_CUR) == 0;
        unsigned char scratch[4096];
        while (size > 0) {
            const std::size_t step = static_cast<std::size_t>(std::min<std::uint64_t>(size, sizeof scratch));
            if (!readExactly(scratch, step)) return false;
            size -= step;
        }
        return true;
    }

    // Walks the chunks up to the audio data; false with a reason.
    bool readHeader(std::string& error) {
        unsigned char riff[12];
        if (!readExactly(riff, sizeof riff)) return (error = "not a WAV file (too short)"), false;
        if (!std::memcmp(riff, "RF64", 4) || !std::memcmp(riff, "BW64", 4))
            return (error = "RF64 WAV files are not read by this build"), false;
        if (std::memcmp(riff, "RIFF", 4) || std::memcmp(riff + 8, "WAVE", 4))
            return (error = "not a WAV file (no RIFF/WAVE header)"), false;
        bool haveFormat = false;
        for (;;) {
            unsigned char header[8];
            if (!readExactly(header, sizeof header))
                return (error = haveFormat ? "WAV file has no audio data chunk" : "not a WAV file (no format chunk)"),
                       false;
            const std::uint32_t size = readU32(header + 4);
            if (!std::memcmp(header, "fmt ", 4) && !haveFormat) {
                if (size > kMaxFormatChunk) return (error = "malformed WAV format chunk"), false;
                std::vector<unsigned char> body(size);
                if (!readExactly(body.data(), size)) return (error = "truncated WAV format chunk"), false;
                if (!parseWavFormatChunk(body.data(), size, format, error)) return false;
                if ((size & 1) && !skip(1)) return (error = "truncated WAV file"), false;
                haveFormat = true;
            } else if (!std::memcmp(header, "data", 4)) {
                if (!haveFormat) return (error = "the format chunk comes after the audio data"), false;
                if (size != kStreamedSize) announced = size / format.blockAlign;
                return true;
            } else if (!skip(static_cast<std::uint64_t>(size) + (size & 1))) {
                return (error = "truncated WAV file: a chunk runs past the end"), false;
            }
        }
    }

    // How many frames lie between the data's start and the end of the file.
    void measure() {
        dataStart = _ftelli64(file);
        if (dataStart < 0 || _fseeki64(file, 0, SEEK_END) != 0) return;
        const std::int64_t end = _ftelli64(file);
        if (end >= dataStart) present = static_cast<std::uint64_t>(end - dataStart) / format.blockAlign;
        if (_fseeki64(file, dataStart, SEEK_SET) != 0) seekable = false;
    }

    std::optional<std::uint64_t> expected() const {
        if (announced && present) return std::min(*announced, *present);
        return announced ? announced : present;
    }

    void reachEnd() {
        ended = true;
        if (!warning.empty()) return;
        if (std::ferror(file))
            warning = name + " could not be read past " + duration(delivered, format.sampleRate) + ": " +
                      std::strerror(errno) + "; the audio up to there was used";
        else if (announced && delivered < *announced)
            warning = name + " is truncated: it ends after " + duration(delivered, format.sampleRate) + " of the " +
                      duration(*announced, format.sampleRate) + " its header announces";
    }
};

AudioFileReader::AudioFileReader() = default;
AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::open(const std::string& path, std::string& error) {
    auto state = std::make_unique<State>();
    const bool standardInput = path == "-";
    state->name = standardInput ? "standard input" : "'" + path + "'";
    state->file = standardInput ? host_files::binaryStandardInput() : host_platform::openFile(path, "rb");
    state->ownsFile = !standardInput;
    if (!state->file) {
        error = "cannot read " + state->name + ": " + std::strerror(errno);
        return false;
    }
    state->seekable = isDiskFile(state->file);
    std::string reason;
    if (!state->readHeader(reason)) {
        error = "cannot read " + state->name + ": " + reason;
        return false;
    }
    if (state->seekable) state->measure();
    state->bytes.resize(kChunkFrames * state->format.blockAlign);
    state_ = std::move(state);
    return true;
}

std::uint32_t AudioFileReader::sampleRate() const { return state_ ? state_->format.sampleRate : 0; }

int AudioFileReader::channels() const { return state_ ? static_cast<int>(state_->format.channels) : 0; }

std::optional<std::uint64_t> AudioFileReader::frames() const {
    if (!state_ || !state_->seekable) return std::nullopt;
    return state_->expected();
}

std::size_t AudioFileReader::read(float* left, float* right, std::size_t maxFrames) {
    if (!state_ || !left) return 0;
    State& s = *state_;
    const unsigned align = s.format.blockAlign;
    const unsigned sampleBytes = align / s.format.channels;
    const std::optional<std::uint64_t> limit = s.expected();
    std::size_t done = 0;
    while (done < maxFrames && !s.ended) {
        std::size_t wanted = std::min(maxFrames - done, kChunkFrames);
        if (limit) wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, *limit - s.delivered));
        if (wanted == 0) {
            s.reachEnd();
            break;
        }
        // A partial frame at the end of the file is dropped.
        const std::size_t count = std::fread(s.bytes.data(), 1, wanted * align, s.file) / align;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* frame = s.bytes.data() + i * align;
            left[done + i] = decodeWavSample(frame, s.format.sampleFormat);
            if (right) right[done + i] = decodeWavSample(frame + (s.format.channels > 1 ? sampleBytes : 0), s.format.sampleFormat);
        }
        done += count;
        s.delivered += count;
        if (count < wanted) s.reachEnd();
    }
    return done;
}

bool AudioFileReader::rewind() {
    if (!state_ || !state_->seekable || _fseeki64(state_->file, state_->dataStart, SEEK_SET) != 0) return false;
    std::clearerr(state_->file);
    state_->ended = false;
    state_->delivered = 0;
    return true;
}

const std::string& AudioFileReader::warning() const {
    static const std::string none;
    return state_ ? state_->warning : none;
}

}  // namespace aldermark
