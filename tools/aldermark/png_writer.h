#pragma once
// A small PNG encoder: 8-bit RGBA, no filtering, deflate "stored" blocks (no compression),
// which every PNG reader accepts. Header-only, so that the host and the test programs of
// every folder share it without linking each other.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace aldermark {

// width x height pixels, 4 bytes each (red, green, blue, alpha), rows from the top.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

namespace png_detail {

inline std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

inline void putBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

inline void putChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    putBigEndian(out, crc32(out.data() + typeAt, out.size() - typeAt));
}

// The zlib stream of `raw` in stored blocks of at most 65535 bytes.
inline std::vector<unsigned char> storedZlib(const std::vector<unsigned char>& raw) {
    std::vector<unsigned char> zlib = {0x78, 0x01};
    std::size_t at = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + length >= raw.size();
        zlib.push_back(last ? 1 : 0);
        zlib.push_back(static_cast<unsigned char>(length));
        zlib.push_back(static_cast<unsigned char>(length >> 8));
        zlib.push_back(static_cast<unsigned char>(~length));
        zlib.push_back(static_cast<unsigned char>(~length >> 8));
        zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(at),
                    raw.begin() + static_cast<std::ptrdiff_t>(at + length));
        at += length;
    } while (at < raw.size());
    std::uint32_t a = 1, b = 0;  // Adler-32
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(zlib, (b << 16) | a);
    return zlib;
}

}  // namespace png_detail

// The PNG file of `image`; empty when its size and pixels do not agree.
inline std::vector<unsigned char> encodePng(const RgbaImage& image) {
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * 4;
    if (image.width <= 0 || image.height <= 0 || image.pixels.size() != rowBytes * static_cast<std::size_t>(image.height))
        return {};
    std::vector<unsigned char> raw;
    raw.reserve((rowBytes + 1) * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);  // filter: none
        const auto row = image.pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * static_cast<std::size_t>(y));
        raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
    }
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> header;
    png_detail::putBigEndian(header, static_cast<std::uint32_t>(image.width));
    png_detail::putBigEndian(header, static_cast<std::uint32_t>(image.height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits a sample, RGBA, deflate, no filter, no interlace
    png_detail::putChunk(png, "IHDR", header);
    png_detail::putChunk(png, "IDAT", png_detail::storedZlib(raw));
    png_detail::putChunk(png, "IEND", {});
    return png;
}

}  // namespace aldermark
