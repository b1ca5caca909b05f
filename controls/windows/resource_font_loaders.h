#pragma once
// DirectWrite loaders that read the resource font straight out of the library's RT_FONT
// resources: a collection key is an array of 32-bit resource ids, a file key is one id.
// The collection loader and the file loader exist once per process.
#include <windows.h>
#include <dwrite.h>

#include <cstdint>

#include "toolkit/windows/com_support.h"

namespace editor {

using toolkit::windows::ComObject;

// The bytes of one RT_FONT resource.
class ResourceFontFileStream : public ComObject<IDWriteFontFileStream> {
public:
    ResourceFontFileStream(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}

    HRESULT STDMETHODCALLTYPE ReadFileFragment(const void** fragmentStart, UINT64 fileOffset, UINT64 fragmentSize,
                                               void** fragmentContext) override;
    void STDMETHODCALLTYPE ReleaseFileFragment(void* fragmentContext) override;
    HRESULT STDMETHODCALLTYPE GetFileSize(UINT64* fileSize) override;
    HRESULT STDMETHODCALLTYPE GetLastWriteTime(UINT64* lastWriteTime) override;

private:
    const unsigned char* data_;  // resource bytes, valid for the life of the module
    std::size_t size_;           // bytes
};

// Turns a 4-byte key (a resource id) into a stream over that RT_FONT resource.
class ResourceFontFileLoader : public ComObject<IDWriteFontFileLoader> {
public:
    // The process-wide loader; the process keeps one reference for good.
    static ResourceFontFileLoader* instance();

    HRESULT STDMETHODCALLTYPE CreateStreamFromKey(const void* key, UINT32 keySize,
                                                  IDWriteFontFileStream** stream) override;
};

// Walks the resource ids of a collection key, one font file reference per id.
class ResourceFontFileEnumerator : public ComObject<IDWriteFontFileEnumerator> {
public:
    // Takes over `ids` (allocated with new[]) and holds a reference to `factory`.
    ResourceFontFileEnumerator(IDWriteFactory* factory, std::uint32_t* ids, UINT32 count);
    ~ResourceFontFileEnumerator() override;

    HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasCurrentFile) override;
    HRESULT STDMETHODCALLTYPE GetCurrentFontFile(IDWriteFontFile** fontFile) override;

private:
    IDWriteFactory* factory_;
    std::uint32_t* ids_;           // resource ids of the key
    UINT32 count_;
    UINT32 next_ = 0;              // index of the id MoveNext takes next
    IDWriteFontFile* current_ = nullptr;
};

// Turns a collection key (32-bit resource ids) into a file enumerator.
class ResourceFontCollectionLoader : public ComObject<IDWriteFontCollectionLoader> {
public:
    static ResourceFontCollectionLoader* instance();

    HRESULT STDMETHODCALLTYPE CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key, UINT32 keySize,
                                                      IDWriteFontFileEnumerator** enumerator) override;
};

}  // namespace editor
