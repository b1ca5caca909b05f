// WAV reading and writing: every supported layout round-trips, hand-made files decode to
// the right values, and damaged or unsupported files are refused without harm.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/wav_file.h"

namespace {

using aldermark::WavAudio;
using aldermark::WavSampleFormat;

WavAudio testSignal(int channels, std::size_t frames, std::uint32_t rate = 48000) {
    WavAudio audio;
    audio.sampleRate = rate;
    audio.channels.resize(static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c)
        for (std::size_t i = 0; i < frames; ++i)
            audio.channels[c].push_back(0.9f * static_cast<float>(std::sin(0.01 * static_cast<double>(i) * (c + 1))));
    return audio;
}

std::vector<unsigned char> encode(const WavAudio& audio, WavSampleFormat format, bool extensible = false) {
    std::vector<unsigned char> bytes;
    std::string error;
    EXPECT_TRUE(aldermark::encodeWav(audio, format, extensible, bytes, error)) << error;
    return bytes;
}

bool decode(const std::vector<unsigned char>& bytes, WavAudio& audio, std::string& error) {
    return aldermark::decodeWav(bytes.data(), bytes.size(), audio, error);
}

// Little-endian writer for hand-made files.
struct Bytes {
    std::vector<unsigned char> data;
    Bytes& id(const char* four) { data.insert(data.end(), four, four + 4); return *this; }
    Bytes& u16(unsigned v) { data.push_back(v & 0xFF); data.push_back((v >> 8) & 0xFF); return *this; }
    Bytes& u32(std::uint32_t v) { u16(v & 0xFFFF); return u16(v >> 16); }
    Bytes& raw(std::initializer_list<unsigned char> b) { data.insert(data.end(), b); return *this; }
};

// RIFF/WAVE with a plain 'fmt ' chunk and a data chunk holding `samples`.
std::vector<unsigned char> handMade(unsigned tag, unsigned channels, unsigned bits, std::uint32_t rate,
                                    std::initializer_list<unsigned char> samples, unsigned blockAlign = 0) {
    if (!blockAlign) blockAlign = channels * bits / 8;
    Bytes b;
    b.id("RIFF").u32(4 + 24 + 8 + static_cast<std::uint32_t>(samples.size())).id("WAVE");
    b.id("fmt ").u32(16).u16(tag).u16(channels).u32(rate).u32(rate * blockAlign).u16(blockAlign).u16(bits);
    b.id("data").u32(static_cast<std::uint32_t>(samples.size())).raw(samples);
    return b.data;
}

TEST(WavRoundTrip, EveryFormatLayoutAndChannelCount) {
    const struct {
        WavSampleFormat format;
        float tolerance;  // one quantisation step
    } formats[] = {{WavSampleFormat::Int16, 1.0f / 32768},
                   {WavSampleFormat::Int24, 1.0f / 8388608},
                   {WavSampleFormat::Int32, 1e-7f},
                   {WavSampleFormat::Float32, 0.0f},
                   {WavSampleFormat::Float64, 0.0f}};
    for (const auto& f : formats)
        for (int channels : {1, 2})
            for (bool extensible : {false, true}) {
                SCOPED_TRACE(::testing::Message() << "format " << static_cast<int>(f.format) << ", " << channels
                                                  << " channels, extensible " << extensible);
                const WavAudio original = testSignal(channels, 301, 96000);
                WavAudio decoded;
                WavSampleFormat format{};
                std::string error;
                const auto bytes = encode(original, f.format, extensible);
                ASSERT_TRUE(aldermark::decodeWav(bytes.data(), bytes.size(), decoded, error, &format)) << error;
                EXPECT_EQ(format, f.format);
                EXPECT_EQ(decoded.sampleRate, 96000u);
                ASSERT_EQ(decoded.channels.size(), static_cast<std::size_t>(channels));
                ASSERT_EQ(decoded.frames(), 301u);
                for (int c = 0; c < channels; ++c)
                    for (std::size_t i = 0; i < 301; ++i)
                        ASSERT_NEAR(decoded.channels[c][i], original.channels[c][i], f.tolerance) << i;
            }
}

TEST(WavDecode, HandMadeFilesGiveTheExpectedSamples) {
    WavAudio audio;
    std::string error;
    // 16-bit stereo: L = -32768, R = 16384.
    ASSERT_TRUE(decode(handMade(1, 2, 16, 44100, {0x00, 0x80, 0x00, 0x40}), audio, error)) << error;
    EXPECT_EQ(audio.channels[0][0], -1.0f);
    EXPECT_EQ(audio.channels[1][0], 0.5f);
    // 24-bit mono: -1 LSB and the most negative value; the sign must extend.
    ASSERT_TRUE(decode(handMade(1, 1, 24, 8000, {0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80}), audio, error)) << error;
    EXPECT_FLOAT_EQ(audio.channels[0][0], -1.0f / 8388608);
    EXPECT_EQ(audio.channels[0][1], -1.0f);
    EXPECT_EQ(audio.sampleRate, 8000u);
    // 32-bit float mono: 0.25.
    ASSERT_TRUE(decode(handMade(3, 1, 32, 44100, {0x00, 0x00, 0x80, 0x3E}), audio, error)) << error;
    EXPECT_EQ(audio.channels[0][0], 0.25f);
}

TEST(WavDecode, ExtensibleWith24ValidBitsIn32BitContainers) {
    Bytes b;
    b.id("RIFF").u32(4 + 48 + 8 + 4).id("WAVE");
    b.id("fmt ").u32(40).u16(0xFFFE).u16(1).u32(48000).u32(192000).u16(4).u16(32);
    b.u16(22).u16(24).u32(0x4).raw({0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00,
                                     0x38, 0x9B, 0x71});
    b.id("data").u32(4).raw({0x00, 0x00, 0x00, 0xC0});  // -0.5 in the top 24 bits
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(decode(b.data, audio, error)) << error;
    EXPECT_EQ(audio.channels[0][0], -0.5f);
}

TEST(WavDecode, ChunksAreWalkedWithPaddingAndTrailingBytesIgnored) {
    Bytes b;
    b.id("RIFF").u32(4 + 10 + 24 + 10).id("WAVE");
    b.id("LIST").u32(1).raw({'x', 0});  // odd size, one pad byte
    b.id("fmt ").u32(16).u16(1).u16(1).u32(44100).u32(88200).u16(2).u16(16);
    b.id("data").u32(2).raw({0x00, 0x20});
    b.raw({'I', 'D', '3', 0x03, 0x00});  // appended tag outside the RIFF chunk
    WavAudio audio;
    std::string error;
    ASSERT_TRUE(decode(b.data, audio, error)) << error;
    ASSERT_EQ(audio.frames(), 1u);
    EXPECT_EQ(audio.channels[0][0], 0.25f);
}

TEST(WavDecode, UnsupportedAndInconsistentFilesAreRefused) {
    const struct {
        std::vector<unsigned char> bytes;
        const char* expected;
    } cases[] = {
        {handMade(1, 1, 8, 44100, {0x80}), "unsupported WAV sample format"},
        {handMade(2, 1, 4, 44100, {0x00}), "format tag 2"},
        {handMade(3, 1, 16, 44100, {0, 0}), "unsupported WAV sample format"},
        {handMade(1, 3, 16, 44100, {0, 0, 0, 0, 0, 0}), "channel count 3"},
        {handMade(1, 0, 16, 44100, {}, 2), "channel count 0"},
        {handMade(1, 1, 16, 0, {0, 0}), "sample rate 0"},
        {handMade(1, 2, 16, 44100, {0, 0, 0, 0}, 2), "inconsistent WAV header"},
        {Bytes().id("RIFF").u32(4).id("WAVE").data, "no format chunk"},
        {Bytes().id("RIFF").u32(28).id("WAVE").id("fmt ").u32(16).u16(1).u16(1).u32(8000).u32(16000).u16(2).u16(16)
             .data,
         "no audio data"},
        {Bytes().id("RF64").u32(0xFFFFFFFF).id("WAVE").data, "RF64"},
        {Bytes().id("RIFX").u32(4).id("WAVE").data, "big-endian"},
        {Bytes().id("FORM").u32(4).id("AIFF").data, "not a WAV file"},
        {{'R', 'I', 'F'}, "too short"},
    };
    for (const auto& c : cases) {
        WavAudio audio = testSignal(1, 3);
        std::string error;
        EXPECT_FALSE(decode(c.bytes, audio, error)) << c.expected;
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.expected << " / " << error;
        EXPECT_EQ(audio.frames(), 3u) << "a refused file leaves the caller's audio alone";
    }
}

TEST(WavDecode, EveryTruncationIsRefusedOrReadConsistently) {
    const auto whole = encode(testSignal(2, 40), WavSampleFormat::Int24, true);
    for (std::size_t size = 0; size < whole.size(); ++size) {
        std::vector<unsigned char> cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size));
        WavAudio audio;
        std::string error;
        EXPECT_FALSE(decode(cut, audio, error)) << "size " << size;
        EXPECT_FALSE(error.empty());
    }
    WavAudio audio;
    std::string error;
    const std::vector<unsigned char> cut(whole.begin(), whole.end() - 7);
    decode(cut, audio, error);
    EXPECT_NE(error.find("truncated"), std::string::npos) << error;
}

TEST(WavDecode, RandomGarbageNeverCrashes) {
    std::mt19937 random(1234);
    std::uniform_int_distribution<int> byte(0, 255);
    const auto valid = encode(testSignal(2, 16), WavSampleFormat::Int16);
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> bytes = valid;
        // Damage a few header bytes: sizes, tags, counts.
        for (int k = 0; k < 3; ++k)
            bytes[static_cast<std::size_t>(byte(random)) % 48] = static_cast<unsigned char>(byte(random));
        WavAudio audio;
        std::string error;
        if (decode(bytes, audio, error)) {
            ASSERT_GE(audio.channels.size(), 1u);
            for (const auto& channel : audio.channels) ASSERT_EQ(channel.size(), audio.frames());
        } else {
            ASSERT_FALSE(error.empty());
        }
    }
}

TEST(WavEncode, IntegerSamplesClipRoundAndDropNaN) {
    WavAudio audio;
    audio.sampleRate = 44100;
    audio.channels = {{1.5f, -2.0f, std::nanf(""), 0.5f / 32768, -1.0f}};
    WavAudio decoded;
    std::string error;
    ASSERT_TRUE(decode(encode(audio, WavSampleFormat::Int16), decoded, error)) << error;
    EXPECT_EQ(decoded.channels[0][0], 32767.0f / 32768);
    EXPECT_EQ(decoded.channels[0][1], -1.0f);
    EXPECT_EQ(decoded.channels[0][2], 0.0f);
    EXPECT_EQ(std::fabs(decoded.channels[0][3]), 0.0f) << "half a step rounds to even";
    EXPECT_EQ(decoded.channels[0][4], -1.0f);
}

TEST(WavEncode, RefusesWhatAWavCannotHold) {
    std::vector<unsigned char> bytes;
    std::string error;
    WavAudio ragged = testSignal(2, 10);
    ragged.channels[1].pop_back();
    EXPECT_FALSE(aldermark::encodeWav(ragged, WavSampleFormat::Float32, false, bytes, error));
    EXPECT_FALSE(aldermark::encodeWav(testSignal(3, 10), WavSampleFormat::Float32, false, bytes, error));
    EXPECT_FALSE(aldermark::encodeWav(WavAudio{}, WavSampleFormat::Float32, false, bytes, error));
    EXPECT_FALSE(aldermark::encodeWav(testSignal(1, 10, 0), WavSampleFormat::Float32, false, bytes, error));
    EXPECT_TRUE(bytes.empty());

    // Empty audio is still a valid file.
    ASSERT_TRUE(aldermark::encodeWav(testSignal(2, 0), WavSampleFormat::Float32, false, bytes, error));
    WavAudio decoded;
    ASSERT_TRUE(decode(bytes, decoded, error)) << error;
    EXPECT_EQ(decoded.channels.size(), 2u);
    EXPECT_EQ(decoded.frames(), 0u);
}

class WavFiles : public host_test::ScratchFolder {};

TEST_F(WavFiles, WriteThenReadAndNameTheFileOnErrors) {
    const WavAudio original = testSignal(2, 100, 44100);
    std::string error;
    ASSERT_TRUE(aldermark::writeWavFile(file("out.wav"), original, WavSampleFormat::Float32, error)) << error;
    WavAudio read;
    ASSERT_TRUE(aldermark::readWavFile(file("out.wav"), read, error)) << error;
    EXPECT_EQ(read.channels, original.channels);

    EXPECT_FALSE(aldermark::readWavFile(file("missing.wav"), read, error));
    EXPECT_NE(error.find("missing.wav"), std::string::npos) << error;
    EXPECT_FALSE(aldermark::writeWavFile(file("no/such/folder/x.wav"), original, WavSampleFormat::Int16, error));
    EXPECT_NE(error.find("x.wav"), std::string::npos) << error;
}

}  // namespace
