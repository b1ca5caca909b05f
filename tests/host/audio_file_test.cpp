// Streaming audio files: every format the reader takes gives the samples that were written,
// truncated files are read to their end with a warning, the float WAV writer's files read
// back exactly, and output files replace their targets only when complete.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numbers>
#include <vector>

#include "tests/host/audio_test_files.h"
#include "tests/host/host_test_support.h"
#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/float_wav_writer.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/wav_file.h"

#ifndef _WIN32
#include "tests/host/child_process.h"
#endif

namespace {

namespace fs = std::filesystem;
using aldermark::AudioFileReader;
using aldermark::WavAudio;
using aldermark::WavSampleFormat;
using host_test::contains;
using host_test::fileBytes;
using host_test::writeBytes;

constexpr std::uint32_t kRate = 44100;
constexpr std::size_t kFrames = 22050;

WavAudio testAudio(int channels, std::size_t frames = kFrames) {
    WavAudio audio;
    audio.sampleRate = kRate;
    audio.channels.assign(static_cast<std::size_t>(channels), std::vector<float>(frames));
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        audio.channels[0][i] = static_cast<float>(0.9 * std::sin(2 * std::numbers::pi * 440 * t));
        if (channels > 1) audio.channels[1][i] = static_cast<float>(-0.5 * std::cos(2 * std::numbers::pi * 1000 * t));
    }
    return audio;
}

// The whole file through the reader in odd-sized blocks, as planar channels.
WavAudio readAll(AudioFileReader& reader, std::size_t block = 1000) {
    WavAudio audio;
    audio.sampleRate = reader.sampleRate();
    audio.channels.resize(2);
    std::vector<float> left(block), right(block);
    while (const std::size_t got = reader.read(left.data(), right.data(), block)) {
        audio.channels[0].insert(audio.channels[0].end(), left.begin(), left.begin() + static_cast<long>(got));
        audio.channels[1].insert(audio.channels[1].end(), right.begin(), right.begin() + static_cast<long>(got));
    }
    return audio;
}

// The largest difference from `expected` over the frames both hold (mono feeds both channels);
// a NaN read counts as infinitely wrong, so a tolerance of 0 asks for the very samples.
double maxError(const WavAudio& expected, const WavAudio& read) {
    double worst = 0;
    for (int c = 0; c < 2; ++c) {
        const std::vector<float>& want = expected.channels[expected.channels.size() > 1 ? c : 0];
        for (std::size_t i = 0; i < std::min(want.size(), read.channels[c].size()); ++i) {
            const double error = std::fabs(static_cast<double>(want[i]) - read.channels[c][i]);
            worst = std::isnan(error) ? HUGE_VAL : std::max(worst, error);
        }
    }
    return worst;
}

class AudioFiles : public host_test::ScratchFolder {
protected:
    // A whole file opens with the layout of `original` and gives its samples, without a warning.
    void expectReadsAs(const std::string& name, const WavAudio& original, double tolerance, std::size_t block = 1000) {
        AudioFileReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(file(name), error)) << error;
        EXPECT_EQ(reader.sampleRate(), original.sampleRate);
        EXPECT_EQ(reader.channels(), static_cast<int>(original.channels.size()));
        EXPECT_EQ(reader.frames(), std::optional<std::uint64_t>(original.frames()));
        const WavAudio read = readAll(reader, block);
        ASSERT_EQ(read.frames(), original.frames());
        EXPECT_LE(maxError(original, read), tolerance);
        EXPECT_TRUE(reader.warning().empty()) << reader.warning();
    }
    // A cut file opens and is read to its end: between `fewest` and `most` frames as written,
    // and a warning that names the file (and says `why`, where the reader itself found the cut).
    void expectReadToTheCut(const std::string& name, const WavAudio& original, std::size_t fewest, std::size_t most,
                            double tolerance, const char* why = nullptr) {
        AudioFileReader reader;
        std::string error;
        ASSERT_TRUE(reader.open(file(name), error)) << error;
        const WavAudio read = readAll(reader);
        EXPECT_GT(read.frames(), fewest);
        EXPECT_LT(read.frames(), most);
        EXPECT_LE(maxError(original, read), tolerance);
        EXPECT_TRUE(contains(reader.warning(), name)) << reader.warning();
        if (why) {
            EXPECT_TRUE(contains(reader.warning(), why)) << reader.warning();
        }
    }
};

TEST_F(AudioFiles, EveryWavLayoutReadsAsDecoded) {
    const struct {
        WavSampleFormat format;
        double tolerance;
    } formats[] = {{WavSampleFormat::Int16, 0.5 / 32768}, {WavSampleFormat::Int24, 0.5 / 8388608},
                   {WavSampleFormat::Int32, 1e-7},        {WavSampleFormat::Float32, 0},
                   {WavSampleFormat::Float64, 0}};
    for (const auto& f : formats)
        for (int channels : {1, 2})
            for (bool extensible : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "format " << static_cast<int>(f.format) << ", " << channels
                                                  << " channels, extensible " << extensible);
                const WavAudio original = testAudio(channels);
                std::string error;
                ASSERT_TRUE(aldermark::writeWavFile(file("in.wav"), original, f.format, error, extensible)) << error;
                expectReadsAs("in.wav", original, f.tolerance, 999);
            }
}

TEST_F(AudioFiles, RightMayBeNullAndRewindPlaysTheFileAgain) {
    const WavAudio original = testAudio(2, 5000);
    std::string error;
    ASSERT_TRUE(aldermark::writeWavFile(file("in.wav"), original, WavSampleFormat::Float32, error)) << error;
    AudioFileReader reader;
    ASSERT_TRUE(reader.open(file("in.wav"), error)) << error;
    std::vector<float> left(5000);
    ASSERT_EQ(reader.read(left.data(), nullptr, 3000), 3000u);
    ASSERT_EQ(reader.read(left.data() + 3000, nullptr, 4000), 2000u) << "short only at the end";
    EXPECT_EQ(left, original.channels[0]);
    EXPECT_EQ(reader.read(left.data(), nullptr, 10), 0u);
    ASSERT_TRUE(reader.rewind());
    EXPECT_EQ(readAll(reader).channels, original.channels);
}

TEST_F(AudioFiles, TruncatedWavIsReadToItsEndWithAWarning) {
    for (const WavSampleFormat format : {WavSampleFormat::Int16, WavSampleFormat::Float32}) {
        const WavAudio original = testAudio(2);
        std::vector<unsigned char> bytes;
        std::string error;
        ASSERT_TRUE(aldermark::encodeWav(original, format, false, bytes, error)) << error;
        bytes.resize(bytes.size() / 2 + 3);  // mid-file, mid-frame
        writeBytes(file("cut.wav"), bytes);
        expectReadToTheCut("cut.wav", original, kFrames * 45 / 100, kFrames / 2, 0.5 / 32768, "truncated");
    }
}

TEST_F(AudioFiles, UnreadableFilesAreRefusedNamingThem) {
    // Three channels: which two a meter shows is not for the reader to guess.
    const std::vector<unsigned char> threeChannels = {
        'R', 'I', 'F', 'F', 42, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 3, 0,
        0x44, 0xAC, 0, 0, 0x98, 0x09, 0x04, 0, 6, 0, 16, 0, 'd', 'a', 't', 'a', 6, 0, 0, 0, 1, 0, 2, 0, 3, 0};
    writeBytes(file("three.wav"), threeChannels);
    writeBytes(file("text.wav"), {'R', 'I', 'F', 'F', ' ', 'b', 'u', 't', ' ', 'n', 'o', 't', ' ', 'a', 'u', 'd', 'i', 'o'});
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {{"three.wav", "mono"}, {"text.wav", "text.wav"}, {"missing.wav", "missing.wav"}};
    for (const auto& c : cases) {
        AudioFileReader reader;
        std::string error;
        EXPECT_FALSE(reader.open(file(c.name), error)) << c.name;
        EXPECT_TRUE(contains(error, c.name) && contains(error, c.expected)) << error;
        float sample = 0;
        EXPECT_EQ(reader.read(&sample, &sample, 1), 0u);
    }
}

TEST_F(AudioFiles, FloatWriterOutputReadsBackExactly) {
    for (int channels : {1, 2}) {
        fs::remove(fs::u8path(file("out.wav")));
        const WavAudio original = testAudio(channels, 10007);
        aldermark::FloatWavWriter writer;
        std::string error;
        ASSERT_TRUE(writer.open(file("out.wav"), kRate, channels, std::nullopt, error)) << error;
        for (std::size_t at = 0; at < 10007; at += 1000) {
            const std::size_t count = std::min<std::size_t>(1000, 10007 - at);
            ASSERT_TRUE(writer.write(original.channels[0].data() + at,
                                     channels > 1 ? original.channels[1].data() + at : nullptr, count));
        }
        EXPECT_FALSE(fs::exists(fs::u8path(file("out.wav")))) << "not in place before it is complete";
        ASSERT_TRUE(writer.finish(error)) << error;
        WavAudio read;
        WavSampleFormat format{};
        ASSERT_TRUE(aldermark::readWavFile(file("out.wav"), read, error, &format)) << error;
        EXPECT_EQ(format, WavSampleFormat::Float32);
        EXPECT_EQ(read.sampleRate, kRate);
        EXPECT_EQ(read.channels, original.channels);
        EXPECT_EQ(entries(), std::vector<std::string>{"out.wav"}) << "no temporary file left";
    }
}

TEST(FloatWavHeader, SizesForFilesStreamsAndRf64) {
    const auto u32 = [](const std::vector<unsigned char>& h, std::size_t at) {
        return static_cast<std::uint32_t>(h[at] | (h[at + 1] << 8) | (h[at + 2] << 16)) |
               (static_cast<std::uint32_t>(h[at + 3]) << 24);
    };
    const auto id = [](const std::vector<unsigned char>& h, std::size_t at) {
        return std::string(h.begin() + static_cast<long>(at), h.begin() + static_cast<long>(at + 4));
    };
    // RIFF size at 4, ds64 sizes at 20 and 28, fact count at 82, data size at 90.
    const struct {
        std::optional<std::uint64_t> frames;
        std::uint64_t limit;
        const char* riff;
        const char* reserved;
        std::uint32_t riffSize, dataSize, factFrames, ds64Data;
    } cases[] = {
        {1000, 0xFFFFFFFF, "RIFF", "JUNK", 86 + 8000, 8000, 1000, 0},
        {std::nullopt, 0xFFFFFFFF, "RIFF", "JUNK", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0},
        {1000, 4000, "RF64", "ds64", 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 8000},
    };
    for (const auto& c : cases) {
        const std::vector<unsigned char> h = aldermark::floatWavHeader(48000, 2, c.frames, c.limit);
        ASSERT_EQ(h.size(), aldermark::kFloatWavHeaderSize);
        EXPECT_EQ(id(h, 0), c.riff);
        EXPECT_EQ(id(h, 12), c.reserved);
        EXPECT_EQ(id(h, 86), "data");
        EXPECT_EQ(u32(h, 4), c.riffSize);
        EXPECT_EQ(u32(h, 90), c.dataSize);
        EXPECT_EQ(u32(h, 82), c.factFrames);
        EXPECT_EQ(u32(h, 28), c.ds64Data);
    }
}

TEST_F(AudioFiles, OutputReplacesItsTargetOnlyWhenCommitted) {
    writeBytes(file("target.bin"), {1, 2, 3});
    {
        aldermark::OutputFile output;
        std::string error;
        ASSERT_TRUE(output.open(file("target.bin"), error)) << error;
        EXPECT_TRUE(output.write("new", 3));
        EXPECT_EQ(entries().size(), 2u) << "written beside the target";
    }  // given up without commit
    EXPECT_EQ(fileBytes(file("target.bin")), (std::vector<unsigned char>{1, 2, 3}));
    EXPECT_EQ(entries(), std::vector<std::string>{"target.bin"});

    std::string error;
    ASSERT_TRUE(aldermark::writeFileSafely(file("target.bin"), "new", 3, error)) << error;
    EXPECT_EQ(fileBytes(file("target.bin")), (std::vector<unsigned char>{'n', 'e', 'w'}));
    EXPECT_FALSE(aldermark::writeFileSafely(file("no/such/folder/x.bin"), "x", 1, error));
    EXPECT_TRUE(contains(error, "x.bin")) << error;
    fs::create_directory(fs::u8path(file("folder")));
    EXPECT_FALSE(aldermark::writeThroughTemporaryFile(file("folder"), [](const std::string&) { return true; }, error));
    EXPECT_TRUE(contains(error, "is a folder")) << error;
    EXPECT_TRUE(fs::is_directory(fs::u8path(file("folder"))));
    fs::remove(fs::u8path(file("folder")));
    EXPECT_EQ(entries(), std::vector<std::string>{"target.bin"});
}

TEST_F(AudioFiles, AnOutputThatIsAnInputIsRefusedHoweverItIsReached) {
    writeBytes(file("in.wav"), {1});
    writeBytes(file("other.wav"), {2});
    std::error_code linkError;
    fs::create_hard_link(fs::u8path(file("in.wav")), fs::u8path(file("hard.wav")), linkError);
#ifndef _WIN32
    fs::create_symlink(fs::u8path(file("in.wav")), fs::u8path(file("soft.wav")));
#endif
    const struct {
        std::string output;
        bool refused;
    } cases[] = {
        {file("in.wav"), true},
        {file("hard.wav"), !linkError},
#ifndef _WIN32
        {file("soft.wav"), true},
        {file("./in.wav"), true},
#endif
        {file("other.wav"), false},
        {file("new.wav"), false},
        {"-", false},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(aldermark::refuseOutputOverInputs(c.output, {file("missing.wav"), file("in.wav")}, error),
                  !c.refused)
            << c.output;
        if (c.refused) {
            EXPECT_TRUE(contains(error, "same file") && contains(error, c.output)) << error;
        }
    }
    std::string error;
    EXPECT_TRUE(aldermark::refuseOutputOverInputs(file("in.wav"), {"-"}, error)) << "standard input is no file";
}

#ifndef _WIN32

using host_test::writeWithSndfile;

struct SndfileFormat {
    const char* name;
    int format;
    double tolerance;  // libsndfile scales by 2^(n-1) - 1 when it writes, 2^(n-1) when it reads
};

constexpr SndfileFormat kSndfileFormats[] = {
    {"float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 0},
    {"double.wav", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 1e-7},
    {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2.0 / 32768},
    {"pcm8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 2.0 / 128},
    {"pcm24x.wav", SF_FORMAT_WAVEX | SF_FORMAT_PCM_24, 2.0 / 8388608},
    {"rf64.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 2.0 / 32768},
    {"w64.w64", SF_FORMAT_W64 | SF_FORMAT_FLOAT, 0},
    {"aiff.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 2.0 / 32768},
    {"flac16.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 2.0 / 32768},
    {"flac24.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 2.0 / 8388608},
    {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 0.05},  // lossy
};

TEST_F(AudioFiles, EveryFormatGivesTheSamplesOfTheFloatWav) {
    for (const SndfileFormat& f : kSndfileFormats)
        for (int channels : {1, 2}) {
            SCOPED_TRACE(::testing::Message() << f.name << ", " << channels << " channels");
            const WavAudio original = testAudio(channels);
            writeWithSndfile(file(f.name), f.format, original);
            expectReadsAs(f.name, original, f.tolerance);
        }
}

TEST_F(AudioFiles, EveryTruncatedFormatIsReadToItsEnd) {
    for (const SndfileFormat& f : kSndfileFormats) {
        if (f.format == (SF_FORMAT_OGG | SF_FORMAT_VORBIS)) continue;  // a cut Ogg page is refused
        SCOPED_TRACE(f.name);
        const WavAudio original = testAudio(2);
        writeWithSndfile(file(f.name), f.format, original);
        std::vector<unsigned char> bytes = fileBytes(file(f.name));
        bytes.resize(bytes.size() / 2);
        writeBytes(file(f.name), bytes);
        expectReadToTheCut(f.name, original, kFrames / 4, kFrames * 3 / 4, f.tolerance);
    }
}

TEST_F(AudioFiles, Rf64HeaderOfTheWriterIsReadAsRf64) {
    const WavAudio original = testAudio(2, 1000);
    std::vector<unsigned char> bytes = aldermark::floatWavHeader(kRate, 2, 1000, 4000);
    for (std::size_t i = 0; i < 1000; ++i)
        for (const auto& channel : original.channels) {
            const auto* sample = reinterpret_cast<const unsigned char*>(&channel[i]);
            bytes.insert(bytes.end(), sample, sample + 4);
        }
    writeBytes(file("big.wav"), bytes);
    expectReadsAs("big.wav", original, 0);
}

TEST_F(AudioFiles, StandardInputStreamsAndATruncatedStreamWarns) {
    const struct {
        const char* name;
        int format;
        bool cut;
    } cases[] = {
        {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, false}, {"pcm16.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, true},
        {"rf64.wav", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, false}, {"flac.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, false},
        {"flac.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, true},  {"aiff.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, false},
    };
    const WavAudio original = testAudio(2);
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.name << (c.cut ? ", cut" : ""));
        writeWithSndfile(file(c.name), c.format, original);
        std::vector<unsigned char> input = fileBytes(file(c.name));
        if (c.cut) input.resize(input.size() / 2);
        // Through a pipe; the child reports the frames and the warning on stderr.
        const host_test::ChildOutcome outcome = host_test::runInChild({input, "", "/dev/null", -1}, [&] {
            AudioFileReader reader;
            std::string why;
            if (!reader.open("-", why)) return std::fputs(why.c_str(), stderr), 1;
            if (reader.frames()) return 3;  // a pipe's length is not known
            const WavAudio read = readAll(reader);
            std::fprintf(stderr, "%zu %s", read.frames(), reader.warning().c_str());
            return maxError(original, read) <= 2.0 / 32768 ? 0 : 2;
        });
        ASSERT_EQ(outcome.code, 0) << outcome.err;
        const std::size_t frames = std::stoul(outcome.err);
        EXPECT_EQ(frames == kFrames, !c.cut) << outcome.err;
        EXPECT_EQ(contains(outcome.err, "standard input is truncated"), c.cut) << outcome.err;
    }
}

TEST_F(AudioFiles, AFullDiskLeavesTheTargetAsItWasAndNoPartialFile) {
    writeBytes(file("out.wav"), {'o', 'l', 'd'});
    const WavAudio original = testAudio(2);  // 176 kB as float WAV
    const host_test::ChildOutcome outcome = host_test::runInChild({std::nullopt, "", "/dev/null", 64 * 1024}, [&] {
        aldermark::FloatWavWriter writer;
        std::string error;
        if (!writer.open(file("out.wav"), kRate, 2, std::nullopt, error)) return 3;
        writer.write(original.channels[0].data(), original.channels[1].data(), original.frames());
        const bool finished = writer.finish(error);
        std::fputs(error.c_str(), stderr);
        return finished ? 0 : 1;
    });
    EXPECT_EQ(outcome.code, 1) << outcome.err;
    EXPECT_TRUE(contains(outcome.err, "out.wav") && contains(outcome.err, "File too large")) << outcome.err;
    EXPECT_EQ(fileBytes(file("out.wav")), (std::vector<unsigned char>{'o', 'l', 'd'}));
    EXPECT_EQ(entries(), std::vector<std::string>{"out.wav"});
}

TEST_F(AudioFiles, ASymbolicLinkOutputWritesItsTargetAndStaysALink) {
    writeBytes(file("real.bin"), {1});
    fs::create_symlink(fs::u8path(file("real.bin")), fs::u8path(file("link.bin")));
    std::string error;
    ASSERT_TRUE(aldermark::writeFileSafely(file("link.bin"), "ab", 2, error)) << error;
    EXPECT_TRUE(fs::is_symlink(fs::u8path(file("link.bin"))));
    EXPECT_EQ(fileBytes(file("real.bin")), (std::vector<unsigned char>{'a', 'b'}));
}

#endif

}  // namespace
