// The DirectWrite loaders that read font faces straight out of memory.
#include <gtest/gtest.h>

#include <windows.h>
#include <dwrite.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "toolkit/windows/memory_font_loader.h"

using toolkit::windows::addMemoryFace;
using toolkit::windows::memoryFontCollectionLoader;
using toolkit::windows::memoryFontFileLoader;

TEST(MemoryFontLoader, StreamsServeExactlyTheFaceBytes) {
    static const std::vector<unsigned char> bytes(100, 0x5A);
    const std::uint32_t key = addMemoryFace(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    IDWriteFontFileLoader* loader = memoryFontFileLoader();
    ASSERT_NE(loader, nullptr);

    IDWriteFontFileStream* stream = nullptr;
    const std::uint16_t shortKey = 0;
    EXPECT_EQ(loader->CreateStreamFromKey(&shortKey, sizeof shortKey, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    const std::uint32_t unknown = 0xFFFFFFF0u;
    EXPECT_EQ(loader->CreateStreamFromKey(&unknown, sizeof unknown, &stream), E_FAIL);
    ASSERT_EQ(loader->CreateStreamFromKey(&key, sizeof key, &stream), S_OK);
    ASSERT_NE(stream, nullptr);

    UINT64 size = 0;
    EXPECT_EQ(stream->GetFileSize(&size), S_OK);
    EXPECT_EQ(size, 100u);
    const void* start = nullptr;
    void* context = nullptr;
    EXPECT_EQ(stream->ReadFileFragment(&start, 10, 90, &context), S_OK);
    EXPECT_EQ(start, bytes.data() + 10);
    EXPECT_EQ(stream->ReadFileFragment(&start, 100, 0, &context), S_OK) << "nothing, at the very end";
    EXPECT_EQ(stream->ReadFileFragment(&start, 100, 1, &context), E_FAIL) << "one byte past the end";
    EXPECT_EQ(start, nullptr);
    EXPECT_EQ(stream->ReadFileFragment(&start, 1, ~0ull, &context), E_FAIL) << "a size that wraps around";
    UINT64 written = 1;
    EXPECT_EQ(stream->GetLastWriteTime(&written), E_NOTIMPL);
    EXPECT_EQ(written, 0u);

    void* other = nullptr;
    EXPECT_EQ(stream->QueryInterface(__uuidof(IDWriteFontFileLoader), &other), E_NOINTERFACE);
    EXPECT_EQ(other, nullptr);
    IUnknown* unknownInterface = nullptr;
    ASSERT_EQ(stream->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(&unknownInterface)), S_OK);
    EXPECT_EQ(unknownInterface->Release(), 1u) << "the query added one reference";
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(MemoryFontLoader, CollectionKeysMustHoldOneFaceIndex) {
    IDWriteFactory* factory = nullptr;
    ASSERT_EQ(DWriteCreateFactory(DWRITE_FACTORY_TYPE_ISOLATED, __uuidof(IDWriteFactory),
                                  reinterpret_cast<IUnknown**>(&factory)),
              S_OK);
    IDWriteFontCollectionLoader* loader = memoryFontCollectionLoader();
    ASSERT_NE(loader, nullptr);
    IDWriteFontFileEnumerator* files = nullptr;
    const unsigned char threeBytes[3] = {};
    EXPECT_EQ(loader->CreateEnumeratorFromKey(factory, threeBytes, 3, &files), E_INVALIDARG);
    EXPECT_EQ(files, nullptr);

    static const std::vector<unsigned char> bytes(64, 0);
    const std::uint32_t key = addMemoryFace(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    ASSERT_EQ(factory->RegisterFontFileLoader(memoryFontFileLoader()), S_OK);
    ASSERT_EQ(loader->CreateEnumeratorFromKey(factory, &key, sizeof key, &files), S_OK);
    IDWriteFontFile* file = nullptr;
    EXPECT_EQ(files->GetCurrentFontFile(&file), E_FAIL) << "nothing before the first step";
    BOOL hasCurrent = FALSE;
    EXPECT_EQ(files->MoveNext(&hasCurrent), S_OK);
    EXPECT_TRUE(hasCurrent);
    ASSERT_EQ(files->GetCurrentFontFile(&file), S_OK);
    const void* fileKey = nullptr;
    UINT32 fileKeySize = 0;
    EXPECT_EQ(file->GetReferenceKey(&fileKey, &fileKeySize), S_OK);
    ASSERT_EQ(fileKeySize, sizeof key);
    std::uint32_t readBack = 0;
    std::memcpy(&readBack, fileKey, sizeof readBack);
    EXPECT_EQ(readBack, key);
    file->Release();
    EXPECT_EQ(files->MoveNext(&hasCurrent), S_OK);
    EXPECT_FALSE(hasCurrent) << "one face per key";
    files->Release();
    factory->UnregisterFontFileLoader(memoryFontFileLoader());
    factory->Release();
}
