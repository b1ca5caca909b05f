// Resources are found in the library that carries them, not in the program that loaded it
// (a host never has our images).
#include <gtest/gtest.h>

#include <cstddef>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "model/resource_table.h"

extern "C" std::size_t probeImageSize(int id);

namespace {

TEST(LibraryLookup, ImagesAreFoundInsideTheLoadedLibrary) {
#if defined(_WIN32)
    // The host program itself holds no images, so a lookup in the wrong module would fail.
    ASSERT_EQ(FindResourceW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(10000), L"PNG"), nullptr);
#endif
    for (const auto& info : resources::images) EXPECT_GT(probeImageSize(info.id), 8u) << info.id;
    EXPECT_EQ(probeImageSize(12345), 0u);
}

}  // namespace
