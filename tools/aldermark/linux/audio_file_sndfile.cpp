// AudioFileReader through libsndfile.
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "tools/aldermark/audio_file.h"

namespace aldermark {
namespace {

constexpr std::size_t kChunkFrames = 4096;

// libsndfile's reasons end with a full stop and may start with a category.
std::string reasonText(const char* text) {
    std::string reason = text ? text : "unknown error";
    if (reason.rfind("System error : ", 0) == 0) reason.erase(0, 15);
    while (!reason.empty() && (reason.back() == '.' || reason.back() == '\n' || reason.back() == ' ')) reason.pop_back();
    return reason;
}

std::string duration(std::uint64_t frames, int rate) {
    char text[64];
    std::snprintf(text, sizeof text, "%.3f s (%llu frames)", static_cast<double>(frames) / rate,
                  static_cast<unsigned long long>(frames));
    return text;
}

// libsndfile reads a file that is shorter than its header says up to its end without an
// error; its log then has a size the header gave beside the one the file has ("data : 192000
// (should be 96001)") or notes a frame count that does not match.
bool headerPromisesMore(SNDFILE* file) {
    std::vector<char> log(1 << 14, '\0');
    sf_command(file, SFC_GET_LOG_INFO, log.data(), static_cast<int>(log.size()));
    std::istringstream lines(std::string(log.data()));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("Calculated frame count") != std::string::npos ||
            line.find("Frame count read from") != std::string::npos)
            return true;
        const std::size_t colon = line.find(" : ");
        const std::size_t should = line.find("(should be ");
        if (colon == std::string::npos || should == std::string::npos || should < colon) continue;
        const unsigned long long given = std::strtoull(line.c_str() + colon + 3, nullptr, 0);
        const unsigned long long real = std::strtoull(line.c_str() + should + 11, nullptr, 0);
        // 0xFFFFFFFF is what writers of streams leave when they do not know the size.
        if (given > real && given != 0xFFFFFFFFull) return true;
    }
    return false;
}

// Standard input as a pipe. libsndfile reads a pipe given as a descriptor only in some
// formats (FLAC fails, RF64 loses its first frames), so it gets a stream of its own: the
// first bytes are kept, for the readers that go back to the start after recognising the
// format; any other seek fails, which the readers take as a stream they cannot skip in.
class PipeStream {
public:
    static SF_VIRTUAL_IO callbacks() { return {&length, &seek, &read, nullptr, &tell}; }

private:
    static constexpr std::size_t kKept = 1 << 16;

    static PipeStream& of(void* data) { return *static_cast<PipeStream*>(data); }
    static sf_count_t length(void*) { return SF_COUNT_MAX; }
    static sf_count_t tell(void* data) { return of(data).position_; }

    static sf_count_t read(void* into, sf_count_t count, void* data) {
        PipeStream& s = of(data);
        auto* out = static_cast<unsigned char*>(into);
        sf_count_t done = 0;
        while (done < count) {
            if (s.position_ < s.consumed_) {  // kept bytes, read again
                const auto step = std::min<sf_count_t>(count - done, s.consumed_ - s.position_);
                std::memcpy(out + done, s.kept_.data() + s.position_, static_cast<std::size_t>(step));
                done += step;
                s.position_ += step;
                continue;
            }
            const ssize_t got = ::read(STDIN_FILENO, out + done, static_cast<std::size_t>(count - done));
            if (got <= 0) break;
            if (s.kept_.size() < kKept) {
                const std::size_t keep = std::min(kKept - s.kept_.size(), static_cast<std::size_t>(got));
                s.kept_.insert(s.kept_.end(), out + done, out + done + keep);
            }
            done += got;
            s.position_ += got;
            s.consumed_ += got;
        }
        return done;
    }

    static sf_count_t seek(sf_count_t offset, int whence, void* data) {
        PipeStream& s = of(data);
        const sf_count_t target = whence == SEEK_SET ? offset : whence == SEEK_CUR ? s.position_ + offset : -1;
        // Back within the kept bytes, as long as nothing beyond them was consumed.
        const bool kept = s.consumed_ <= static_cast<sf_count_t>(s.kept_.size());
        if (target < 0 || target > s.consumed_ || (target < s.position_ && !kept)) return -1;
        s.position_ = target;
        return target;
    }

    std::vector<unsigned char> kept_;
    sf_count_t position_ = 0;  // of the reader
    sf_count_t consumed_ = 0;  // read from the pipe
};

bool isFileDescriptorSeekable(int fd) {
    struct stat status {};
    return fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

struct AudioFileReader::State {
    PipeStream pipe;
    SNDFILE* file = nullptr;
    SF_INFO info{};
    std::string name;                       // for messages: 'path' or standard input
    std::optional<std::uint64_t> announced;  // what the header says, even for a stream
    bool headerPromisesMore = false;
    std::uint64_t delivered = 0;
    bool ended = false;
    std::string warning;
    std::vector<float> interleaved;

    ~State() {
        if (file) sf_close(file);
    }

    void reachEnd() {
        ended = true;
        if (!warning.empty()) return;
        if (sf_error(file) != SF_ERR_NO_ERROR)
            warning = name + " could not be read past " + duration(delivered, info.samplerate) + ": " +
                      reasonText(sf_strerror(file)) + "; the audio up to there was used";
        else if (announced && delivered < *announced)
            warning = name + " is truncated: it ends after " + duration(delivered, info.samplerate) + " of the " +
                      duration(*announced, info.samplerate) + " its header announces";
        else if (headerPromisesMore)
            warning = name + " is truncated: it holds less audio than its header announces; the " +
                      duration(delivered, info.samplerate) + " present were read";
    }
};

AudioFileReader::AudioFileReader() = default;
AudioFileReader::~AudioFileReader() = default;

bool AudioFileReader::open(const std::string& path, std::string& error) {
    auto state = std::make_unique<State>();
    const bool standardInput = path == "-";
    state->name = standardInput ? "standard input" : "'" + path + "'";
    if (!standardInput) {
        state->file = sf_open(path.c_str(), SFM_READ, &state->info);
    } else {
        const bool seekable = isFileDescriptorSeekable(STDIN_FILENO);
        SF_VIRTUAL_IO io = PipeStream::callbacks();
        state->file = seekable ? sf_open_fd(STDIN_FILENO, SFM_READ, &state->info, SF_FALSE)
                               : sf_open_virtual(&io, SFM_READ, &state->info, &state->pipe);
        if (!seekable) state->info.seekable = SF_FALSE;
    }
    if (!state->file) {
        const int code = sf_error(nullptr);
        error = "cannot read " + state->name + ": " +
                (code == SF_ERR_UNRECOGNISED_FORMAT
                     ? std::string("not an audio file this program reads (WAV, RF64, Wave64, AIFF, FLAC, Ogg)")
                     : reasonText(sf_strerror(nullptr)));
        return false;
    }
    const SF_INFO& info = state->info;
    if (info.channels < 1 || info.channels > 2) {
        error = state->name + " has " + std::to_string(info.channels) +
                " channels; only mono and stereo files are read";
        return false;
    }
    if (info.samplerate <= 0) {
        error = "cannot read " + state->name + ": invalid sample rate " + std::to_string(info.samplerate);
        return false;
    }
    // A stream of unknown length announces the largest count there is, or near it.
    if (info.frames >= 0 && info.frames < SF_COUNT_MAX / 1024)
        state->announced = static_cast<std::uint64_t>(info.frames);
    state->headerPromisesMore = headerPromisesMore(state->file);
    state->interleaved.resize(kChunkFrames * static_cast<std::size_t>(info.channels));
    state_ = std::move(state);
    return true;
}

std::uint32_t AudioFileReader::sampleRate() const {
    return state_ ? static_cast<std::uint32_t>(state_->info.samplerate) : 0;
}

int AudioFileReader::channels() const { return state_ ? state_->info.channels : 0; }

std::optional<std::uint64_t> AudioFileReader::frames() const {
    if (!state_ || !state_->info.seekable) return std::nullopt;
    return state_->announced;
}

std::size_t AudioFileReader::read(float* left, float* right, std::size_t maxFrames) {
    if (!state_ || !left) return 0;
    State& s = *state_;
    const bool stereo = s.info.channels == 2;
    std::size_t done = 0;
    while (done < maxFrames && !s.ended) {
        const std::size_t wanted = std::min(maxFrames - done, kChunkFrames);
        const sf_count_t got = sf_readf_float(s.file, s.interleaved.data(), static_cast<sf_count_t>(wanted));
        const std::size_t count = got > 0 ? static_cast<std::size_t>(got) : 0;
        const float* in = s.interleaved.data();
        for (std::size_t i = 0; i < count; ++i) {
            left[done + i] = in[stereo ? 2 * i : i];
            if (right) right[done + i] = in[stereo ? 2 * i + 1 : i];
        }
        done += count;
        s.delivered += count;
        if (count < wanted) s.reachEnd();
    }
    return done;
}

bool AudioFileReader::rewind() {
    if (!state_ || !state_->info.seekable || sf_seek(state_->file, 0, SEEK_SET) != 0) return false;
    state_->ended = false;
    state_->delivered = 0;
    return true;
}

const std::string& AudioFileReader::warning() const {
    static const std::string none;
    return state_ ? state_->warning : none;
}

}  // namespace aldermark
