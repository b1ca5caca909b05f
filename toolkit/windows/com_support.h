#pragma once
// Small helpers for the Windows back end: an owning COM pointer, a base for our own COM
// objects, a COM initialisation that respects the host's, and UTF-8 <-> UTF-16 conversion.
#include <windows.h>
#include <unknwn.h>

#include <string>

namespace toolkit::windows {

// Holds one reference to a COM object and releases it when it goes.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef& other) : object_(other.object_) {
        if (object_) object_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
    ~ComRef() { reset(); }
    ComRef& operator=(ComRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For creation calls that hand out a new reference.
    T** put() {
        reset();
        return &object_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (object_) object_->Release();
        object_ = nullptr;
    }
    // Takes a new reference to `object`.
    void share(T* object) {
        if (object) object->AddRef();
        reset();
        object_ = object;
    }

private:
    T* object_ = nullptr;
};

// Reference counting and QueryInterface for an object of ours that implements one COM
// interface (DirectWrite may release such objects late): answers IUnknown and `Interface`,
// deletes itself when the last reference goes.
template <class Interface>
class ComObject : public Interface {
public:
    ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~ComObject() = default;

private:
    volatile LONG references_ = 1;  // the creator's reference
};

// Makes COM usable on this thread for the scope's life. A thread the host already set up
// (in either apartment model) is left exactly as it was.
class ComScope {
public:
    ComScope();
    ~ComScope();
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // COM calls may be made (initialised here or already by someone else).
    bool usable() const { return usable_; }

private:
    bool mustUninitialise_ = false;
    bool usable_ = false;
};

// Invalid UTF-8 sequences become U+FFFD.
std::wstring widen(const char* utf8);
std::string narrow(const wchar_t* text, int length = -1);

}  // namespace toolkit::windows
