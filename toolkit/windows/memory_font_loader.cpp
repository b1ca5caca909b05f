#include "toolkit/windows/memory_font_loader.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "toolkit/windows/com_support.h"

namespace toolkit::windows {
namespace {

struct MemoryFace {
    const unsigned char* data;  // resource bytes, valid for the process
    UINT32 size;                // bytes
};

std::mutex& facesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<MemoryFace>& memoryFaces() {
    static auto* faces = new std::vector<MemoryFace>();  // guarded by facesMutex(); lives for the process
    return *faces;
}

bool faceForKey(const void* key, UINT32 keySize, MemoryFace& face) {
    if (!key || keySize != sizeof(UINT32)) return false;
    UINT32 index = 0;
    std::memcpy(&index, key, sizeof index);
    std::lock_guard<std::mutex> lock(facesMutex());
    if (index >= memoryFaces().size()) return false;
    face = memoryFaces()[index];
    return true;
}

class MemoryFontStream : public ComObject<IDWriteFontFileStream> {
public:
    explicit MemoryFontStream(MemoryFace face) : face_(face) {}
    HRESULT STDMETHODCALLTYPE ReadFileFragment(const void** start, UINT64 offset, UINT64 size,
                                               void** context) override {
        if (!start || !context) return E_POINTER;
        *context = nullptr;
        if (offset > face_.size || size > face_.size - offset) {
            *start = nullptr;
            return E_FAIL;
        }
        *start = face_.data + offset;
        return S_OK;
    }
    void STDMETHODCALLTYPE ReleaseFileFragment(void*) override {}
    HRESULT STDMETHODCALLTYPE GetFileSize(UINT64* size) override {
        if (!size) return E_POINTER;
        *size = face_.size;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLastWriteTime(UINT64* time) override {
        if (time) *time = 0;
        return E_NOTIMPL;
    }

private:
    MemoryFace face_;
};

class MemoryFontFileLoader : public ComObject<IDWriteFontFileLoader> {
public:
    HRESULT STDMETHODCALLTYPE CreateStreamFromKey(const void* key, UINT32 keySize,
                                                  IDWriteFontFileStream** stream) override {
        if (!stream) return E_POINTER;
        *stream = nullptr;
        MemoryFace face{};
        if (!key || keySize != sizeof(UINT32)) return E_INVALIDARG;
        if (!faceForKey(key, keySize, face)) return E_FAIL;
        *stream = new (std::nothrow) MemoryFontStream(face);
        return *stream ? S_OK : E_OUTOFMEMORY;
    }
};

// Hands out the one file of a registered face.
class MemoryFontEnumerator : public ComObject<IDWriteFontFileEnumerator> {
public:
    MemoryFontEnumerator(IDWriteFactory* factory, IDWriteFontFileLoader* loader, UINT32 index)
        : factory_(factory), loader_(loader), index_(index) {}
    HRESULT STDMETHODCALLTYPE MoveNext(BOOL* hasCurrent) override {
        if (!hasCurrent) return E_POINTER;
        *hasCurrent = FALSE;
        current_.reset();
        if (done_) return S_OK;
        done_ = true;
        const HRESULT result = factory_->CreateCustomFontFileReference(&index_, sizeof index_, loader_, current_.put());
        if (FAILED(result)) return result;
        *hasCurrent = TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCurrentFontFile(IDWriteFontFile** file) override {
        if (!file) return E_POINTER;
        *file = current_.get();
        if (!*file) return E_FAIL;
        (*file)->AddRef();
        return S_OK;
    }

private:
    IDWriteFactory* factory_;
    IDWriteFontFileLoader* loader_;
    UINT32 index_;
    ComRef<IDWriteFontFile> current_;
    bool done_ = false;
};

class MemoryFontCollectionLoader : public ComObject<IDWriteFontCollectionLoader> {
public:
    explicit MemoryFontCollectionLoader(IDWriteFontFileLoader* fileLoader) : fileLoader_(fileLoader) {}
    // Keys of faces added later are welcome: the enumerator checks nothing but the size.
    HRESULT STDMETHODCALLTYPE CreateEnumeratorFromKey(IDWriteFactory* factory, const void* key, UINT32 keySize,
                                                      IDWriteFontFileEnumerator** enumerator) override {
        if (!enumerator) return E_POINTER;
        *enumerator = nullptr;
        if (!factory || !key || keySize != sizeof(UINT32)) return E_INVALIDARG;
        UINT32 index = 0;
        std::memcpy(&index, key, sizeof index);
        *enumerator = new (std::nothrow) MemoryFontEnumerator(factory, fileLoader_, index);
        return *enumerator ? S_OK : E_OUTOFMEMORY;
    }

private:
    IDWriteFontFileLoader* fileLoader_;  // registered for the process, never released
};

}  // namespace

std::uint32_t addMemoryFace(const unsigned char* data, std::uint32_t size) {
    std::lock_guard<std::mutex> lock(facesMutex());
    memoryFaces().push_back(MemoryFace{data, size});
    return static_cast<std::uint32_t>(memoryFaces().size() - 1);
}

IDWriteFontFileLoader* memoryFontFileLoader() {
    static IDWriteFontFileLoader* loader = new (std::nothrow) MemoryFontFileLoader();  // kept for the process
    return loader;
}

IDWriteFontCollectionLoader* memoryFontCollectionLoader() {
    static IDWriteFontCollectionLoader* loader =
        memoryFontFileLoader() ? new (std::nothrow) MemoryFontCollectionLoader(memoryFontFileLoader()) : nullptr;
    return loader;
}

}  // namespace toolkit::windows
