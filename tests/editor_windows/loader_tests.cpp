// The four resource font loaders on their own and as DirectWrite uses them.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "controls/windows/resource_font_loaders.h"
#include "platform/resources.h"

using namespace editor;

namespace {

struct Factory {
    IDWriteFactory* factory = nullptr;
    Factory() {
        DWriteCreateFactory(DWRITE_FACTORY_TYPE_ISOLATED, __uuidof(IDWriteFactory),
                            reinterpret_cast<IUnknown**>(&factory));
    }
    ~Factory() {
        if (factory) factory->Release();
    }
};

std::size_t fontResourceSize() {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    platform::findResource(platform::ResourceType::Font, 111, &data, &size);
    return size;
}

}  // namespace

TEST(ResourceFontStream, ReadsInsideTheResourceOnly) {
    IDWriteFontFileStream* stream = nullptr;
    const std::uint32_t id = 111;
    ASSERT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(&id, 4, &stream), S_OK);
    const std::size_t size = fontResourceSize();
    ASSERT_GT(size, 0u);
    UINT64 fileSize = 0;
    EXPECT_EQ(stream->GetFileSize(&fileSize), S_OK);
    EXPECT_EQ(fileSize, size);

    const void* start = nullptr;
    void* context = reinterpret_cast<void*>(1);
    EXPECT_EQ(stream->ReadFileFragment(&start, 0, 4, &context), S_OK);
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(context, nullptr);
    const auto* bytes = static_cast<const unsigned char*>(start);
    EXPECT_EQ(bytes[0] << 24 | bytes[1] << 16 | bytes[2] << 8 | bytes[3], 0x00010000) << "a TrueType file";
    EXPECT_EQ(stream->ReadFileFragment(&start, size, 0, &context), S_OK) << "zero bytes at the end";
    EXPECT_NE(start, nullptr);
    EXPECT_EQ(stream->ReadFileFragment(&start, size, 1, &context), E_FAIL) << "one byte past the end";
    EXPECT_EQ(start, nullptr);
    EXPECT_EQ(stream->ReadFileFragment(&start, size + 1, 0, &context), E_FAIL);
    EXPECT_EQ(stream->ReadFileFragment(&start, 1, ~0ull, &context), E_FAIL) << "no wrap-around";
    stream->ReleaseFileFragment(context);

    UINT64 time = 7;
    EXPECT_EQ(stream->GetLastWriteTime(&time), E_NOTIMPL);
    EXPECT_EQ(time, 0u);
    stream->Release();
}

TEST(ResourceFontFileLoader, KeyMustBeOneExistingFontId) {
    IDWriteFontFileStream* stream = reinterpret_cast<IDWriteFontFileStream*>(1);
    const std::uint32_t ids[2] = {111, 111};
    EXPECT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(ids, 8, &stream), E_INVALIDARG);
    EXPECT_EQ(stream, nullptr);
    EXPECT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(ids, 3, &stream), E_INVALIDARG);
    const std::uint32_t missing = 4242;
    EXPECT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(&missing, 4, &stream), E_FAIL);
    const std::uint32_t pngId = 10000;  // an image, not a font
    EXPECT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(&pngId, 4, &stream), E_FAIL);
    EXPECT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(nullptr, 4, &stream), E_INVALIDARG);
}

TEST(ResourceFontLoaders, AnswerOnlyTheirOwnInterfaces) {
    ResourceFontFileLoader* loader = ResourceFontFileLoader::instance();
    void* object = nullptr;
    EXPECT_EQ(loader->QueryInterface(__uuidof(IUnknown), &object), S_OK);
    EXPECT_EQ(object, static_cast<IDWriteFontFileLoader*>(loader));
    loader->Release();
    EXPECT_EQ(loader->QueryInterface(__uuidof(IDWriteFontFileLoader), &object), S_OK);
    loader->Release();
    EXPECT_EQ(loader->QueryInterface(__uuidof(IDWriteFontCollectionLoader), &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    IDWriteFontCollectionLoader* collection = ResourceFontCollectionLoader::instance();
    EXPECT_EQ(collection->QueryInterface(__uuidof(IDWriteFontFileLoader), &object), E_NOINTERFACE);
    EXPECT_EQ(ResourceFontFileLoader::instance(), loader) << "one loader per process";
}

TEST(ResourceFontLoaders, ReferenceCountsDeleteAtZero) {
    const std::uint32_t id = 111;
    IDWriteFontFileStream* stream = nullptr;
    ASSERT_EQ(ResourceFontFileLoader::instance()->CreateStreamFromKey(&id, 4, &stream), S_OK);
    EXPECT_EQ(stream->AddRef(), 2u);
    EXPECT_EQ(stream->Release(), 1u);
    EXPECT_EQ(stream->Release(), 0u);
}

TEST(ResourceFontCollectionLoader, KeySizeMustBeAMultipleOfFour) {
    Factory f;
    ASSERT_NE(f.factory, nullptr);
    const std::uint32_t ids[2] = {111, 111};
    IDWriteFontFileEnumerator* enumerator = nullptr;
    for (UINT32 size : {1u, 2u, 3u, 5u, 7u}) {
        EXPECT_EQ(ResourceFontCollectionLoader::instance()->CreateEnumeratorFromKey(f.factory, ids, size, &enumerator),
                  E_INVALIDARG)
            << size;
        EXPECT_EQ(enumerator, nullptr);
    }
    // File references need the file loader registered with the factory.
    ASSERT_EQ(f.factory->RegisterFontFileLoader(ResourceFontFileLoader::instance()), S_OK);
    ASSERT_EQ(ResourceFontCollectionLoader::instance()->CreateEnumeratorFromKey(f.factory, ids, 8, &enumerator), S_OK);
    IDWriteFontFile* file = nullptr;
    EXPECT_EQ(enumerator->GetCurrentFontFile(&file), E_FAIL) << "no current file before the first move";
    EXPECT_EQ(file, nullptr);
    BOOL hasFile = FALSE;
    int files = 0;
    while (SUCCEEDED(enumerator->MoveNext(&hasFile)) && hasFile) {
        ASSERT_EQ(enumerator->GetCurrentFontFile(&file), S_OK);
        const void* key = nullptr;
        UINT32 keySize = 0;
        EXPECT_EQ(file->GetReferenceKey(&key, &keySize), S_OK);
        EXPECT_EQ(keySize, 4u);
        file->Release();
        ++files;
    }
    EXPECT_EQ(files, 2);
    EXPECT_EQ(enumerator->MoveNext(&hasFile), S_OK) << "past the end: no file, no error";
    EXPECT_FALSE(hasFile);
    EXPECT_EQ(enumerator->GetCurrentFontFile(&file), E_FAIL);
    enumerator->Release();
    f.factory->UnregisterFontFileLoader(ResourceFontFileLoader::instance());
}

TEST(ResourceFontCollectionLoader, DirectWriteBuildsTheCollectionFromTheResource) {
    Factory f;
    ASSERT_NE(f.factory, nullptr);
    ASSERT_EQ(f.factory->RegisterFontFileLoader(ResourceFontFileLoader::instance()), S_OK);
    ASSERT_EQ(f.factory->RegisterFontCollectionLoader(ResourceFontCollectionLoader::instance()), S_OK);
    const std::uint32_t key = 111;
    IDWriteFontCollection* collection = nullptr;
    ASSERT_EQ(f.factory->CreateCustomFontCollection(ResourceFontCollectionLoader::instance(), &key, 4, &collection),
              S_OK);
    ASSERT_EQ(collection->GetFontFamilyCount(), 1u);
    UINT32 index = 99;
    BOOL exists = FALSE;
    EXPECT_EQ(collection->FindFamilyName(L"ZEBAldermark", &index, &exists), S_OK);
    EXPECT_TRUE(exists);
    EXPECT_EQ(index, 0u);
    collection->Release();
    f.factory->UnregisterFontCollectionLoader(ResourceFontCollectionLoader::instance());
    f.factory->UnregisterFontFileLoader(ResourceFontFileLoader::instance());
}
