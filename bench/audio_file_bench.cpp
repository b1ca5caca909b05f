// Reading a long file block by block: a 1-hour 48 kHz stereo file as 16-bit WAV and as FLAC
// through AudioFileReader in blocks of 512 frames. "x_realtime" is the audio's duration over
// the time taken, "peak_rss_MB" the most memory the program has held so far (it must not
// grow with the file). `--make-files DIR` only writes the two files (for
// bench/process_memory.sh); otherwise they are made in $ALDERMARK_BENCH_AUDIO (default
// /tmp/aldermark-bench) when missing.
#include <benchmark/benchmark.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/programme_signal.h"

namespace {

constexpr int kRate = 48000;
constexpr std::uint64_t kFrames = 3600ull * kRate;
constexpr std::size_t kBlock = 512;

std::string folder() {
    const char* chosen = std::getenv("ALDERMARK_BENCH_AUDIO");
    return chosen && *chosen ? chosen : "/tmp/aldermark-bench";
}

// The music-like programme for an hour, written in blocks.
bool writeHour(const std::string& path, int format) {
    if (std::filesystem::exists(path)) return true;
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = format;
    const std::string partial = path + ".part";
    SNDFILE* out = sf_open(partial.c_str(), SFM_WRITE, &info);
    if (!out) return false;
    aldermark::ProgrammeSignal signal(kRate);
    std::vector<float> left(4096), right(4096), interleaved(8192);
    bool written = true;
    for (std::uint64_t done = 0; done < kFrames && written;) {
        const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left.size(), kFrames - done));
        signal.render(left.data(), right.data(), count);
        for (std::size_t i = 0; i < count; ++i) interleaved[2 * i] = left[i], interleaved[2 * i + 1] = right[i];
        written = sf_writef_float(out, interleaved.data(), static_cast<sf_count_t>(count)) ==
                  static_cast<sf_count_t>(count);
        done += count;
    }
    written = sf_close(out) == 0 && written;
    std::error_code error;
    if (written) std::filesystem::rename(partial, path, error);
    return written && !error;
}

bool makeFiles(const std::string& dir) {
    std::filesystem::create_directories(dir);
    return writeHour(dir + "/hour.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16) &&
           writeHour(dir + "/hour.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

void readHour(benchmark::State& state, const char* name) {
    const std::string path = folder() + "/" + name;
    if (!makeFiles(folder())) {
        state.SkipWithError("cannot write the test files");
        return;
    }
    std::vector<float> left(kBlock), right(kBlock);
    std::uint64_t frames = 0;
    for (auto _ : state) {
        aldermark::AudioFileReader reader;
        std::string error;
        if (!reader.open(path, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        while (const std::size_t got = reader.read(left.data(), right.data(), kBlock)) frames += got;
        benchmark::DoNotOptimize(left.data());
    }
    state.counters["x_realtime"] =
        benchmark::Counter(static_cast<double>(frames) / kRate, benchmark::Counter::kIsRate);
    state.counters["peak_rss_MB"] = peakMegabytes();
}

BENCHMARK_CAPTURE(readHour, wav16, "hour.wav")->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK_CAPTURE(readHour, flac16, "hour.flac")->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--make-files") == 0) return makeFiles(argv[2]) ? 0 : 1;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
