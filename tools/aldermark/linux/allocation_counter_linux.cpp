// Allocation counting on Linux. In a plain build this file replaces malloc, calloc, realloc
// and free for the whole process (the plug-in's operator new included) with glibc's own
// functions plus a per-thread count; sanitizer builds keep their allocator and count
// through its hooks. Only the thread between begin() and end() is counted.
#include <cerrno>
#include <cstddef>

#include "tools/aldermark/allocation_counter.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ALDERMARK_SANITIZER_ALLOCATOR 1
// From the sanitizer runtime's allocator interface (its header is not always installed).
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                                         void (*onFree)(const volatile void*));
#endif

namespace {

// Plain integers with static storage: touching them must not allocate.
__attribute__((tls_model("initial-exec"))) thread_local bool counting = false;
__attribute__((tls_model("initial-exec"))) thread_local long counted = 0;

void noteAllocation() {
    if (counting) ++counted;
}

}  // namespace

#ifdef ALDERMARK_SANITIZER_ALLOCATOR
namespace {
void onMalloc(const volatile void*, std::size_t) { noteAllocation(); }
void onFree(const volatile void*) {}
}  // namespace
#else
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void __libc_free(void* pointer);
void* __libc_memalign(std::size_t alignment, std::size_t size);

void* malloc(std::size_t size) {
    noteAllocation();
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) {
    noteAllocation();
    return __libc_calloc(count, size);
}
void* realloc(void* pointer, std::size_t size) {
    noteAllocation();
    return __libc_realloc(pointer, size);
}
void* memalign(std::size_t alignment, std::size_t size) {
    noteAllocation();
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) { return memalign(alignment, size); }
int posix_memalign(void** result, std::size_t alignment, std::size_t size) {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0) return EINVAL;
    void* pointer = memalign(alignment, size);
    if (!pointer) return ENOMEM;
    *result = pointer;
    return 0;
}
void free(void* pointer) { __libc_free(pointer); }
}
#endif

namespace allocation_counter {

bool available() { return true; }

void begin() {
#ifdef ALDERMARK_SANITIZER_ALLOCATOR
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree) != 0;
    (void)installed;
#endif
    counted = 0;
    counting = true;
}

long end() {
    counting = false;
    return counted;
}

}  // namespace allocation_counter
