#pragma once
// Files for the audio tests: raw bytes in and out, and (Linux) audio written by libsndfile
// in any of its formats, as other programs write it.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/aldermark/wav_file.h"

#ifndef _WIN32
#include <sndfile.h>
#endif

namespace host_test {

inline std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    std::ofstream(std::filesystem::u8path(path), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

#ifndef _WIN32
// Writes `audio` through libsndfile in one of its formats (SF_FORMAT_...).
inline void writeWithSndfile(const std::string& path, int format, const aldermark::WavAudio& audio) {
    SF_INFO info{};
    info.samplerate = static_cast<int>(audio.sampleRate);
    info.channels = static_cast<int>(audio.channels.size());
    info.format = format;
    SNDFILE* out = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(out, nullptr) << sf_strerror(nullptr);
    std::vector<float> interleaved;
    for (std::size_t i = 0; i < audio.frames(); ++i)
        for (const auto& channel : audio.channels) interleaved.push_back(channel[i]);
    EXPECT_EQ(sf_writef_float(out, interleaved.data(), static_cast<sf_count_t>(audio.frames())),
              static_cast<sf_count_t>(audio.frames()));
    sf_close(out);
}
#endif

}  // namespace host_test
