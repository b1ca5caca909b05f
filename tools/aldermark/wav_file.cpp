#include "tools/aldermark/wav_file.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/output_file.h"

namespace aldermark {
namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
// The extensible sub-format is a GUID whose first two bytes are the plain format tag; the
// remaining fourteen bytes are the same for PCM and float.
constexpr unsigned char kSubFormatTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                              0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

std::uint16_t readU16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t readU32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void writeU16(std::vector<unsigned char>& out, std::uint32_t v) {
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void writeU32(std::vector<unsigned char>& out, std::uint32_t v) {
    writeU16(out, v & 0xFFFF);
    writeU16(out, v >> 16);
}

void writeId(std::vector<unsigned char>& out, const char* id) {
    out.insert(out.end(), id, id + 4);
}

bool isId(const unsigned char* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

unsigned bytesPerSample(WavSampleFormat format) {
    switch (format) {
    case WavSampleFormat::Int16: return 2;
    case WavSampleFormat::Int24: return 3;
    case WavSampleFormat::Int32:
    case WavSampleFormat::Float32: return 4;
    case WavSampleFormat::Float64: return 8;
    }
    return 0;
}

bool isFloat(WavSampleFormat format) {
    return format == WavSampleFormat::Float32 || format == WavSampleFormat::Float64;
}

bool formatFromHeader(std::uint16_t tag, unsigned bits, WavSampleFormat& format) {
    if (tag == kTagPcm && bits == 16) format = WavSampleFormat::Int16;
    else if (tag == kTagPcm && bits == 24) format = WavSampleFormat::Int24;
    else if (tag == kTagPcm && bits == 32) format = WavSampleFormat::Int32;
    else if (tag == kTagFloat && bits == 32) format = WavSampleFormat::Float32;
    else if (tag == kTagFloat && bits == 64) format = WavSampleFormat::Float64;
    else return false;
    return true;
}

std::int32_t toInteger(float sample, double fullScale) {
    if (std::isnan(sample)) return 0;
    const double scaled = std::nearbyint(static_cast<double>(sample) * fullScale);
    return static_cast<std::int32_t>(std::clamp(scaled, -fullScale, fullScale - 1.0));
}

void encodeSample(std::vector<unsigned char>& out, float sample, WavSampleFormat format) {
    switch (format) {
    case WavSampleFormat::Int16: writeU16(out, static_cast<std::uint32_t>(toInteger(sample, 32768.0))); break;
    case WavSampleFormat::Int24: {
        const auto v = static_cast<std::uint32_t>(toInteger(sample, 8388608.0));
        out.push_back(static_cast<unsigned char>(v));
        out.push_back(static_cast<unsigned char>(v >> 8));
        out.push_back(static_cast<unsigned char>(v >> 16));
        break;
    }
    case WavSampleFormat::Int32: writeU32(out, static_cast<std::uint32_t>(toInteger(sample, 2147483648.0))); break;
    case WavSampleFormat::Float32: writeU32(out, std::bit_cast<std::uint32_t>(sample)); break;
    case WavSampleFormat::Float64: {
        const auto bits = std::bit_cast<std::uint64_t>(static_cast<double>(sample));
        writeU32(out, static_cast<std::uint32_t>(bits));
        writeU32(out, static_cast<std::uint32_t>(bits >> 32));
        break;
    }
    }
}

std::string fourCharText(const unsigned char* p) {
    std::string id;
    for (int i = 0; i < 4; ++i) id += (p[i] >= 0x20 && p[i] < 0x7F) ? static_cast<char>(p[i]) : '?';
    return id;
}

}  // namespace

float decodeWavSample(const unsigned char* p, WavSampleFormat format) {
    switch (format) {
    case WavSampleFormat::Int16: return static_cast<std::int16_t>(readU16(p)) / 32768.0f;
    case WavSampleFormat::Int24: {
        // Place the 24 bits at the top of a 32-bit word and shift back to extend the sign.
        const std::uint32_t raw = p[0] | (p[1] << 8) | (p[2] << 16);
        const auto word = static_cast<std::int32_t>(raw << 8);
        return static_cast<float>((word >> 8) / 8388608.0);
    }
    case WavSampleFormat::Int32: return static_cast<float>(static_cast<std::int32_t>(readU32(p)) / 2147483648.0);
    case WavSampleFormat::Float32: return std::bit_cast<float>(readU32(p));
    case WavSampleFormat::Float64: {
        const std::uint64_t bits = readU32(p) | (static_cast<std::uint64_t>(readU32(p + 4)) << 32);
        return static_cast<float>(std::bit_cast<double>(bits));
    }
    }
    return 0.0f;
}

bool parseWavFormatChunk(const unsigned char* fmt, std::size_t fmtSize, WavFormat& parsed, std::string& error) {
    if (!fmt || fmtSize < 16) {
        error = "malformed WAV format chunk";
        return false;
    }
    std::uint16_t tag = readU16(fmt);
    const unsigned channelCount = readU16(fmt + 2);
    const std::uint32_t sampleRate = readU32(fmt + 4);
    const unsigned blockAlign = readU16(fmt + 12);
    const unsigned bits = readU16(fmt + 14);
    if (tag == kTagExtensible) {
        if (fmtSize < 40 || readU16(fmt + 16) < 22) {
            error = "malformed WAVE_FORMAT_EXTENSIBLE format chunk";
            return false;
        }
        const unsigned validBits = readU16(fmt + 18);
        if (std::memcmp(fmt + 26, kSubFormatTail, sizeof kSubFormatTail) != 0 || validBits > bits) {
            error = "unsupported WAVE_FORMAT_EXTENSIBLE sub-format";
            return false;
        }
        tag = readU16(fmt + 24);
    }
    WavSampleFormat format{};
    if (!formatFromHeader(tag, bits, format)) {
        error = "unsupported WAV sample format (format tag " + std::to_string(tag) + ", " + std::to_string(bits) +
                " bits); 16/24/32-bit PCM and 32/64-bit float are supported";
        return false;
    }
    if (channelCount < 1 || channelCount > kMaxWavChannels) {
        error = "unsupported channel count " + std::to_string(channelCount) + " (mono or stereo only)";
        return false;
    }
    if (sampleRate == 0) {
        error = "invalid sample rate 0 in the WAV header";
        return false;
    }
    if (blockAlign != channelCount * bytesPerSample(format)) {
        error = "inconsistent WAV header (block size " + std::to_string(blockAlign) + " for " +
                std::to_string(channelCount) + " channels of " + std::to_string(bits) + " bits)";
        return false;
    }
    parsed = {format, channelCount, sampleRate, blockAlign};
    return true;
}

bool decodeWav(const unsigned char* bytes, std::size_t size, WavAudio& audio, std::string& error,
               WavSampleFormat* formatOut) {
    if (size < 12 || !bytes) {
        error = "not a WAV file (too short)";
        return false;
    }
    if (isId(bytes, "RF64") || isId(bytes, "BW64")) {
        error = "RF64 WAV files are not supported";
        return false;
    }
    if (isId(bytes, "RIFX")) {
        error = "big-endian WAV files are not supported";
        return false;
    }
    if (!isId(bytes, "RIFF") || !isId(bytes + 8, "WAVE")) {
        error = "not a WAV file (no RIFF/WAVE header)";
        return false;
    }
    // Bytes after the RIFF chunk (tags appended by some tools) are not part of the file.
    const std::size_t end = std::min<std::size_t>(size, 8 + static_cast<std::size_t>(readU32(bytes + 4)));

    const unsigned char* fmt = nullptr;
    std::size_t fmtSize = 0;
    const unsigned char* data = nullptr;
    std::size_t dataSize = 0;
    for (std::size_t pos = 12; pos + 8 <= end;) {
        const unsigned char* header = bytes + pos;
        const std::size_t chunkSize = readU32(header + 4);
        const std::size_t available = end - (pos + 8);
        if (chunkSize > available) {
            if (isId(header, "data")) {
                error = "truncated WAV file: the audio data needs " + std::to_string(chunkSize) + " bytes, " +
                        std::to_string(available) + " remain";
                return false;
            }
            if (fmt && data) break;  // damage after the audio does not matter
            error = "truncated WAV file: chunk '" + fourCharText(header) + "' runs past the end";
            return false;
        }
        if (isId(header, "fmt ") && !fmt) fmt = header + 8, fmtSize = chunkSize;
        if (isId(header, "data") && !data) data = header + 8, dataSize = chunkSize;
        pos += 8 + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
    }
    if (!fmt) {
        error = "not a WAV file (no format chunk)";
        return false;
    }
    WavFormat layout;
    if (!parseWavFormatChunk(fmt, fmtSize, layout, error)) return false;
    if (!data) {
        error = "WAV file has no audio data chunk";
        return false;
    }

    // A partial frame at the end of the data is dropped.
    const std::size_t frames = dataSize / layout.blockAlign;
    const unsigned sampleBytes = bytesPerSample(layout.sampleFormat);
    WavAudio decoded;
    decoded.sampleRate = layout.sampleRate;
    decoded.channels.assign(layout.channels, std::vector<float>(frames));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (unsigned c = 0; c < layout.channels; ++c)
            decoded.channels[c][frame] =
                decodeWavSample(data + frame * layout.blockAlign + c * sampleBytes, layout.sampleFormat);
    audio = std::move(decoded);
    if (formatOut) *formatOut = layout.sampleFormat;
    return true;
}

bool encodeWav(const WavAudio& audio, WavSampleFormat format, bool extensible, std::vector<unsigned char>& bytes,
               std::string& error) {
    const std::size_t channelCount = audio.channels.size();
    if (channelCount < 1 || channelCount > static_cast<std::size_t>(kMaxWavChannels)) {
        error = "cannot write " + std::to_string(channelCount) + " channels (mono or stereo only)";
        return false;
    }
    const std::size_t frames = audio.frames();
    for (const auto& channel : audio.channels)
        if (channel.size() != frames) {
            error = "cannot write channels of different lengths";
            return false;
        }
    if (audio.sampleRate == 0) {
        error = "cannot write a sample rate of 0";
        return false;
    }
    const unsigned sampleBytes = bytesPerSample(format);
    const std::size_t blockAlign = channelCount * sampleBytes;
    const std::size_t dataSize = frames * blockAlign;
    const std::uint32_t fmtSize = extensible ? 40 : isFloat(format) ? 18 : 16;
    const std::size_t headerSize = 12 + 8 + fmtSize + (isFloat(format) ? 12 : 0) + 8;
    if (frames > std::numeric_limits<std::uint32_t>::max() / blockAlign ||
        dataSize + (dataSize & 1) + headerSize - 8 > std::numeric_limits<std::uint32_t>::max()) {
        error = "audio too long for a WAV file (4 GB limit)";
        return false;
    }
    const std::uint16_t tag = isFloat(format) ? kTagFloat : kTagPcm;

    std::vector<unsigned char> out;
    out.reserve(headerSize + dataSize + 1);
    writeId(out, "RIFF");
    writeU32(out, static_cast<std::uint32_t>(headerSize - 8 + dataSize + (dataSize & 1)));
    writeId(out, "WAVE");
    writeId(out, "fmt ");
    writeU32(out, fmtSize);
    writeU16(out, extensible ? kTagExtensible : tag);
    writeU16(out, static_cast<std::uint32_t>(channelCount));
    writeU32(out, audio.sampleRate);
    writeU32(out, static_cast<std::uint32_t>(static_cast<std::uint64_t>(audio.sampleRate) * blockAlign));
    writeU16(out, static_cast<std::uint32_t>(blockAlign));
    writeU16(out, sampleBytes * 8);
    if (extensible) {
        writeU16(out, 22);                             // extension size
        writeU16(out, sampleBytes * 8);                // valid bits
        writeU32(out, channelCount == 1 ? 0x4 : 0x3);  // front centre / front left and right
        writeU16(out, tag);
        out.insert(out.end(), std::begin(kSubFormatTail), std::end(kSubFormatTail));
    } else if (isFloat(format)) {
        writeU16(out, 0);  // no extension
    }
    if (isFloat(format)) {
        writeId(out, "fact");  // frame count, expected with every non-PCM format
        writeU32(out, 4);
        writeU32(out, static_cast<std::uint32_t>(frames));
    }
    writeId(out, "data");
    writeU32(out, static_cast<std::uint32_t>(dataSize));
    for (std::size_t frame = 0; frame < frames; ++frame)
        for (const auto& channel : audio.channels) encodeSample(out, channel[frame], format);
    if (dataSize & 1) out.push_back(0);
    bytes = std::move(out);
    return true;
}

std::vector<unsigned char> floatWavHeader(std::uint32_t sampleRate, unsigned channels,
                                          std::optional<std::uint64_t> frames, std::uint64_t riffLimit) {
    constexpr std::uint32_t kUnknown = 0xFFFFFFFF;
    constexpr std::uint32_t kDs64Size = 28;  // RIFF size, data size, sample count, empty table
    const std::uint64_t blockAlign = 4ull * channels;
    const std::uint64_t dataSize = frames ? *frames * blockAlign : 0;
    const std::uint64_t riffSize = kFloatWavHeaderSize - 8 + dataSize;
    const bool rf64 = frames && riffSize > riffLimit;
    const auto size32 = [&](std::uint64_t size) {
        return !frames || rf64 ? kUnknown : static_cast<std::uint32_t>(size);
    };

    std::vector<unsigned char> out;
    out.reserve(kFloatWavHeaderSize);
    writeId(out, rf64 ? "RF64" : "RIFF");
    writeU32(out, size32(riffSize));
    writeId(out, "WAVE");
    writeId(out, rf64 ? "ds64" : "JUNK");
    writeU32(out, kDs64Size);
    for (const std::uint64_t value : {riffSize, dataSize, frames.value_or(0)}) {
        writeU32(out, rf64 ? static_cast<std::uint32_t>(value) : 0);
        writeU32(out, rf64 ? static_cast<std::uint32_t>(value >> 32) : 0);
    }
    writeU32(out, 0);  // no table of other chunk sizes
    writeId(out, "fmt ");
    writeU32(out, 18);
    writeU16(out, kTagFloat);
    writeU16(out, channels);
    writeU32(out, sampleRate);
    writeU32(out, static_cast<std::uint32_t>(sampleRate * blockAlign));
    writeU16(out, static_cast<std::uint32_t>(blockAlign));
    writeU16(out, 32);
    writeU16(out, 0);  // no extension
    writeId(out, "fact");
    writeU32(out, 4);
    writeU32(out, size32(frames.value_or(0)));
    writeId(out, "data");
    writeU32(out, size32(dataSize));
    return out;
}

bool readWavFile(const std::string& path, WavAudio& audio, std::string& error, WavSampleFormat* format) {
    std::FILE* file = host_platform::openFile(path, "rb");
    if (!file) {
        error = "cannot open '" + path + "': " + std::strerror(errno);
        return false;
    }
    std::vector<unsigned char> bytes;
    unsigned char buffer[1 << 16];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        error = "cannot read '" + path + "': " + std::strerror(readErrno);
        return false;
    }
    std::string reason;
    if (!decodeWav(bytes.data(), bytes.size(), audio, reason, format)) {
        error = "'" + path + "': " + reason;
        return false;
    }
    return true;
}

bool writeWavFile(const std::string& path, const WavAudio& audio, WavSampleFormat format, std::string& error,
                  bool extensible) {
    std::vector<unsigned char> bytes;
    std::string reason;
    if (!encodeWav(audio, format, extensible, bytes, reason)) {
        error = "cannot write '" + path + "': " + reason;
        return false;
    }
    return writeFileSafely(path, bytes.data(), bytes.size(), error);
}

}  // namespace aldermark
