// The images and the font compiled into the library are found by id with the sizes the
// views rely on, and lookups of anything else fail cleanly.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "model/resource_table.h"
#include "platform/resources.h"

namespace {

std::uint32_t bigEndian32(const unsigned char* p) {
    return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
}
std::uint16_t bigEndian16(const unsigned char* p) { return std::uint16_t((p[0] << 8) | p[1]); }

struct PngSize {
    bool valid = false;
    std::uint32_t width = 0, height = 0;
};

// Width and height from the header chunk, which a valid PNG must carry first.
PngSize pngSize(const unsigned char* data, std::size_t size) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (size < 33 || std::memcmp(data, signature, 8) != 0) return {};
    if (bigEndian32(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0) return {};
    return {true, bigEndian32(data + 16), bigEndian32(data + 20)};
}

// Every family name (name id 1) a TrueType file carries, read with full bounds checks.
std::set<std::string> familyNames(const unsigned char* data, std::size_t size) {
    std::set<std::string> names;
    if (size < 12) return names;
    const std::size_t tables = bigEndian16(data + 4);
    if (12 + tables * 16 > size) return names;
    for (std::size_t t = 0; t < tables; ++t) {
        const unsigned char* record = data + 12 + t * 16;
        if (std::memcmp(record, "name", 4) != 0) continue;
        const std::size_t offset = bigEndian32(record + 8), length = bigEndian32(record + 12);
        if (offset > size || length > size - offset || length < 6) return names;
        const unsigned char* table = data + offset;
        const std::size_t count = bigEndian16(table + 2), strings = bigEndian16(table + 4);
        if (6 + count * 12 > length) return names;
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* name = table + 6 + i * 12;
            const unsigned platform = bigEndian16(name), nameId = bigEndian16(name + 6);
            const std::size_t len = bigEndian16(name + 8), at = strings + bigEndian16(name + 10);
            if (nameId != 1 || at > length || len > length - at) continue;
            std::string text;
            if (platform == 3) {  // UTF-16BE; the names we look for are plain ASCII
                for (std::size_t c = 0; c + 1 < len; c += 2) text += char(table[at + c + 1]);
            } else {
                text.assign(reinterpret_cast<const char*>(table + at), len);
            }
            names.insert(text);
        }
    }
    return names;
}

TEST(ResourceLookup, EveryImageIsAPngOfItsTableSize) {
    for (const auto& info : resources::images) {
        SCOPED_TRACE("image " + std::to_string(info.id));
        const unsigned char* data = nullptr;
        std::size_t size = 0;
        ASSERT_TRUE(platform::findResource(platform::ResourceType::Png, info.id, &data, &size));
        ASSERT_NE(data, nullptr);
        const PngSize png = pngSize(data, size);
        ASSERT_TRUE(png.valid);
        EXPECT_EQ(png.width, std::uint32_t(info.width));
        EXPECT_EQ(png.height, std::uint32_t(info.height));
        EXPECT_EQ(info.height % info.frames, 0) << "frames must split the height evenly";
    }
}

TEST(ResourceLookup, TableHasNoDuplicateIds) {
    std::set<int> seen;
    for (const auto& info : resources::images) EXPECT_TRUE(seen.insert(info.id).second) << info.id;
    EXPECT_EQ(resources::findImage(40007)->frames, 5);
    EXPECT_EQ(resources::findImage(1), nullptr);
}

TEST(ResourceLookup, FontIsTrueTypeNamedZebAldermark) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(platform::findResource(platform::ResourceType::Font, resources::fontResourceId, &data, &size));
    ASSERT_GT(size, 1000u);
    EXPECT_EQ(bigEndian32(data), 0x00010000u) << "TrueType outlines expected";
    const std::set<std::string> names = familyNames(data, size);
    ASSERT_FALSE(names.empty());
    for (const std::string& name : names) EXPECT_EQ(name, "ZEBAldermark");
}

TEST(ResourceLookup, UnknownIdsAndWrongTypesFailWithoutTouchingOutputs) {
    const unsigned char marker = 0;
    const unsigned char* data = &marker;
    std::size_t size = 77;
    for (int id : {0, -1, 1, 9999, 10004, 65535, 65536, 111 + 0x10000, 2147483647}) {
        EXPECT_FALSE(platform::findResource(platform::ResourceType::Png, id, &data, &size)) << id;
        EXPECT_EQ(data, &marker);
        EXPECT_EQ(size, 77u);
    }
    // A font id asked for as an image and an image id asked for as a font are not found.
    EXPECT_FALSE(platform::findResource(platform::ResourceType::Png, resources::fontResourceId, &data, &size));
    EXPECT_FALSE(platform::findResource(platform::ResourceType::Font, 10000, &data, &size));
    EXPECT_EQ(data, &marker);
}

TEST(ResourceLookup, NullOutputsAreRefused) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    EXPECT_FALSE(platform::findResource(platform::ResourceType::Png, 10000, nullptr, &size));
    EXPECT_FALSE(platform::findResource(platform::ResourceType::Png, 10000, &data, nullptr));
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(data, nullptr);
}

}  // namespace
