// Wait counting on Linux. In a plain build this file replaces the POSIX calls that may wait
// for ever with ones that note the call and go on to glibc's own; the plug-in, loaded later,
// binds to these. Only the thread between begin() and end() is counted.
#include "tools/aldermark/wait_counter.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
namespace wait_counter {
bool available() { return false; }
void begin() {}
long end() { return 0; }
}  // namespace wait_counter
#else
#include <dlfcn.h>
#include <pthread.h>
#include <semaphore.h>

namespace {

__attribute__((tls_model("initial-exec"))) thread_local bool counting = false;
__attribute__((tls_model("initial-exec"))) thread_local long counted = 0;

void noteWait() {
    if (counting) ++counted;
}

// glibc's own calls, found past this file's replacements.
template <typename Function>
Function next(Function& cached, const char* name) {
    if (!cached) cached = reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
    return cached;
}
int (*nextMutexLock)(pthread_mutex_t*) = nullptr;
int (*nextReadLock)(pthread_rwlock_t*) = nullptr;
int (*nextWriteLock)(pthread_rwlock_t*) = nullptr;
int (*nextCondWait)(pthread_cond_t*, pthread_mutex_t*) = nullptr;
int (*nextSemWait)(sem_t*) = nullptr;

// Looked up early, so that later calls never go through the dynamic linker.
__attribute__((constructor(101))) void findNextWaits() {
    next(nextMutexLock, "pthread_mutex_lock");
    next(nextReadLock, "pthread_rwlock_rdlock");
    next(nextWriteLock, "pthread_rwlock_wrlock");
    next(nextCondWait, "pthread_cond_wait");
    next(nextSemWait, "sem_wait");
}

}  // namespace

extern "C" {
int pthread_mutex_lock(pthread_mutex_t* mutex) {
    noteWait();
    return next(nextMutexLock, "pthread_mutex_lock")(mutex);
}
int pthread_rwlock_rdlock(pthread_rwlock_t* lock) {
    noteWait();
    return next(nextReadLock, "pthread_rwlock_rdlock")(lock);
}
int pthread_rwlock_wrlock(pthread_rwlock_t* lock) {
    noteWait();
    return next(nextWriteLock, "pthread_rwlock_wrlock")(lock);
}
int pthread_cond_wait(pthread_cond_t* condition, pthread_mutex_t* mutex) {
    noteWait();
    return next(nextCondWait, "pthread_cond_wait")(condition, mutex);
}
int sem_wait(sem_t* semaphore) {
    noteWait();
    return next(nextSemWait, "sem_wait")(semaphore);
}
}

namespace wait_counter {

bool available() { return true; }

void begin() {
    counted = 0;
    counting = true;
}

long end() {
    counting = false;
    return counted;
}

}  // namespace wait_counter
#endif
