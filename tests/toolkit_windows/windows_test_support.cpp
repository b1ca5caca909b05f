#include "tests/toolkit_windows/windows_test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include "platform/resources.h"

namespace winsupport {
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

// A zlib stream of stored (uncompressed) blocks.
std::vector<unsigned char> zlibStored(const std::vector<unsigned char>& raw) {
    std::vector<unsigned char> out{0x78, 0x01};
    std::size_t position = 0;
    do {
        const std::size_t length = std::min<std::size_t>(65535, raw.size() - position);
        const bool last = position + length == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<unsigned char>(length));
        out.push_back(static_cast<unsigned char>(length >> 8));
        out.push_back(static_cast<unsigned char>(~length));
        out.push_back(static_cast<unsigned char>(~length >> 8));
        out.insert(out.end(), raw.begin() + static_cast<std::ptrdiff_t>(position),
                   raw.begin() + static_cast<std::ptrdiff_t>(position + length));
        position += length;
    } while (position < raw.size());
    std::uint32_t a = 1, b = 0;
    for (unsigned char byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    putBigEndian(out, (b << 16) | a);
    return out;
}

struct Table {
    std::map<int, std::vector<unsigned char>> resources;
    Table() {
        resources[kThreeFrames] = makePng(10, 30, {kRedCColor, kGreenCColor, kBlueCColor});
        resources[kTwoFrameButton] = makePng(20, 40, {kRedCColor, kGreenCColor});
        resources[kWhiteSquare] = makePng(8, 8, {kWhiteCColor});
        resources[kHalfTransparent] = makePng(4, 4, {CColor{0, 0, 255, 128}});
        const char broken[] = "\x89PNG\r\n\x1a\n but nothing of an image follows";
        resources[kBrokenPng] = std::vector<unsigned char>(broken, broken + sizeof broken);
    }
};

const Table& table() {
    static const Table instance;
    return instance;
}

}  // namespace

std::vector<unsigned char> makePng(int width, int height, const std::vector<CColor>& bands) {
    std::vector<unsigned char> raw;
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        const CColor c = bands[static_cast<std::size_t>(y) * bands.size() / static_cast<std::size_t>(height)];
        for (int x = 0; x < width; ++x) raw.insert(raw.end(), {c.red, c.green, c.blue, c.alpha});
    }
    std::vector<unsigned char> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    putBigEndian(header, static_cast<std::uint32_t>(width));
    putBigEndian(header, static_cast<std::uint32_t>(height));
    header.insert(header.end(), {8, 6, 0, 0, 0});  // 8 bits, RGBA, deflate, no filter set, not interlaced
    putChunk(png, "IHDR", header);
    putChunk(png, "IDAT", zlibStored(raw));
    putChunk(png, "IEND", {});
    return png;
}

std::string describe(CColor c) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", c.red, c.green, c.blue, c.alpha);
    return text;
}

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace winsupport

namespace platform {

bool findResource(ResourceType type, int id, const unsigned char** data, std::size_t* size) {
    if (type != ResourceType::Png || !data || !size) return false;
    auto found = winsupport::table().resources.find(id);
    if (found == winsupport::table().resources.end()) return false;
    *data = found->second.data();
    *size = found->second.size();
    return true;
}

}  // namespace platform
