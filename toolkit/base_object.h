#pragma once
// Reference counting and the class-name test shared by views and bitmaps.
#include <atomic>
#include <cstring>
#include <utility>

class CBaseObject {
public:
    CBaseObject() = default;
    CBaseObject(const CBaseObject&) = delete;
    CBaseObject& operator=(const CBaseObject&) = delete;

    // A new object starts with one reference, held by whoever created it.
    void remember() { refCount_.fetch_add(1, std::memory_order_relaxed); }
    // Drops one reference; the last one deletes the object.
    void forget() {
        if (refCount_.fetch_sub(1, std::memory_order_acq_rel) == 1) delete this;
    }
    int getNbReference() const { return refCount_.load(std::memory_order_relaxed); }

    // True for the object's own class name and the names of its bases.
    virtual bool isTypeOf(const char* name) const { return name && std::strcmp(name, "CBaseObject") == 0; }

protected:
    virtual ~CBaseObject() = default;

private:
    std::atomic<int> refCount_{1};
};

// Answers `name == own || base::isTypeOf(name)`; for the overrides of isTypeOf.
#define TOOLKIT_TYPE_NAME(own, base)                                        \
    bool isTypeOf(const char* name) const override {                        \
        return (name && std::strcmp(name, own) == 0) || base::isTypeOf(name); \
    }

// Holds one reference for its lifetime.
template <class T>
class SharedPointer {
public:
    SharedPointer() = default;
    // Adopts an existing reference (as given by `new`).
    static SharedPointer adopt(T* p) { SharedPointer s; s.p_ = p; return s; }
    SharedPointer(T* p) : p_(p) { if (p_) p_->remember(); }
    SharedPointer(const SharedPointer& o) : SharedPointer(o.p_) {}
    SharedPointer(SharedPointer&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    SharedPointer& operator=(SharedPointer o) noexcept { std::swap(p_, o.p_); return *this; }
    ~SharedPointer() { if (p_) p_->forget(); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};
