#include "controls/windows/resource_font_loaders.h"

#include <cstring>
#include <new>

#include "platform/resources.h"

namespace editor {

// ---- ResourceFontFileStream

HRESULT ResourceFontFileStream::ReadFileFragment(const void** fragmentStart, UINT64 fileOffset, UINT64 fragmentSize,
                                                 void** fragmentContext) {
    if (!fragmentStart || !fragmentContext) return E_POINTER;
    *fragmentContext = nullptr;
    if (fileOffset <= size_ && fragmentSize <= size_ - fileOffset) {
        *fragmentStart = data_ + fileOffset;
        return S_OK;
    }
    *fragmentStart = nullptr;
    return E_FAIL;
}

void ResourceFontFileStream::ReleaseFileFragment(void*) {}  // the bytes belong to the module

HRESULT ResourceFontFileStream::GetFileSize(UINT64* fileSize) {
    if (!fileSize) return E_POINTER;
    *fileSize = size_;
    return S_OK;
}

HRESULT ResourceFontFileStream::GetLastWriteTime(UINT64* lastWriteTime) {
    if (!lastWriteTime) return E_POINTER;
    *lastWriteTime = 0;
    return E_NOTIMPL;
}

// ---- ResourceFontFileLoader

ResourceFontFileLoader* ResourceFontFileLoader::instance() {
    static ResourceFontFileLoader* loader = new ResourceFontFileLoader;
    return loader;
}

HRESULT ResourceFontFileLoader::CreateStreamFromKey(const void* key, UINT32 keySize, IDWriteFontFileStream** stream) {
    if (!stream) return E_POINTER;
    *stream = nullptr;
    if (!key || keySize != sizeof(std::uint32_t)) return E_INVALIDARG;
    std::uint32_t id = 0;
    std::memcpy(&id, key, sizeof id);
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (id > 0xFFFF || !platform::findResource(platform::ResourceType::Font, static_cast<int>(id), &data, &size))
        return E_FAIL;
    auto* created = new (std::nothrow) ResourceFontFileStream(data, size);
    if (!created) return E_OUTOFMEMORY;
    *stream = created;
    return S_OK;
}

// ---- ResourceFontFileEnumerator

ResourceFontFileEnumerator::ResourceFontFileEnumerator(IDWriteFactory* factory, std::uint32_t* ids, UINT32 count)
    : factory_(factory), ids_(ids), count_(count) {
    if (factory_) factory_->AddRef();
}

ResourceFontFileEnumerator::~ResourceFontFileEnumerator() {
    if (current_) current_->Release();
    if (factory_) factory_->Release();
    delete[] ids_;
}

HRESULT ResourceFontFileEnumerator::MoveNext(BOOL* hasCurrentFile) {
    if (!hasCurrentFile) return E_POINTER;
    *hasCurrentFile = FALSE;
    if (current_) {
        current_->Release();
        current_ = nullptr;
    }
    if (next_ >= count_) return S_OK;
    if (!factory_) return E_FAIL;
    const HRESULT result = factory_->CreateCustomFontFileReference(&ids_[next_], sizeof(std::uint32_t),
                                                                   ResourceFontFileLoader::instance(), &current_);
    ++next_;
    if (FAILED(result)) {
        current_ = nullptr;
        return result;
    }
    *hasCurrentFile = TRUE;
    return S_OK;
}

HRESULT ResourceFontFileEnumerator::GetCurrentFontFile(IDWriteFontFile** fontFile) {
    if (!fontFile) return E_POINTER;
    *fontFile = current_;
    if (!current_) return E_FAIL;
    current_->AddRef();
    return S_OK;
}

// ---- ResourceFontCollectionLoader

ResourceFontCollectionLoader* ResourceFontCollectionLoader::instance() {
    static ResourceFontCollectionLoader* loader = new ResourceFontCollectionLoader;
    return loader;
}

HRESULT ResourceFontCollectionLoader::CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key,
                                                              UINT32 keySize, IDWriteFontFileEnumerator** enumerator) {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    if (keySize % sizeof(std::uint32_t) != 0) return E_INVALIDARG;
    if (keySize > 0 && !key) return E_INVALIDARG;
    const UINT32 count = keySize / sizeof(std::uint32_t);
    std::uint32_t* ids = nullptr;
    if (count > 0) {
        ids = new (std::nothrow) std::uint32_t[count];
        if (!ids) return E_OUTOFMEMORY;
        std::memcpy(ids, key, keySize);
    }
    auto* created = new (std::nothrow) ResourceFontFileEnumerator(factory, ids, count);
    if (!created) {
        delete[] ids;
        return E_OUTOFMEMORY;
    }
    *enumerator = created;
    return S_OK;
}

}  // namespace editor
