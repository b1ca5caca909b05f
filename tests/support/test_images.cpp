#include "tests/support/test_images.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace testimages {
namespace {

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void putBigEndian(std::vector<unsigned char>& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<unsigned char>(value >> shift));
}

void putChunk(std::vector<unsigned char>& out, const char* type, const std::vector<unsigned char>& data) {
    putBigEndian(out, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBigEndian(out, crc32(typed.data(), typed.size()));
}

}  // namespace

std::vector<unsigned char> makePng(int width, int height, const std::vector<CColor>& bands) {
    std::vector<unsigned char> raw;
    for (int y = 0; y < height; ++y) {
        const CColor c = bands[static_cast<std::size_t>(y) * bands.size() / static_cast<std::size_t>(height)];
        raw.push_back(0);  // no filter
        for (int x = 0; x < width; ++x) raw.insert(raw.end(), {c.red, c.green, c.blue, c.alpha});
    }
    std::vector<unsigned char> zlib = {0x78, 0x01};
    for (std::size_t at = 0; at < raw.size() || at == 0;) {
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
        if (last) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(zlib, (b << 16) | a);

    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<unsigned char> header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlib);
    putChunk(png, "IEND", {});
    return png;
}

std::string describe(CColor c) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", c.red, c.green, c.blue, c.alpha);
    return text;
}

}  // namespace testimages
