// The instance lock on Linux. It behaves like the unnamed Win32 mutex it stands in for: the
// owning thread may take it again (each lock() needs its unlock()), an unlock() by a thread
// that does not own it changes nothing, and every wait is bounded. It never waits without a
// limit, not even briefly on an inner guard, so an audio block can only ever be held up for
// the timeout it asked for.
#include "platform/instance_lock.h"

#include <pthread.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <new>
#include <thread>

namespace platform {
namespace {

struct RecursiveTimedLock {
    pthread_mutex_t mutex;                  // held by the owner while depth > 0
    std::atomic<std::thread::id> owner{};  // thread holding the lock, or none
    unsigned depth = 0;                     // times the owner has taken it; only the owner touches it
};

RecursiveTimedLock* state(void* handle) { return static_cast<RecursiveTimedLock*>(handle); }

RecursiveTimedLock* makeLock() {
    auto* made = new (std::nothrow) RecursiveTimedLock;
    if (made && pthread_mutex_init(&made->mutex, nullptr) != 0) {
        delete made;
        return nullptr;
    }
    return made;
}

bool acquire(pthread_mutex_t& mutex, unsigned timeoutMs) {
    if (timeoutMs == 0) return pthread_mutex_trylock(&mutex) == 0;
    timespec deadline{};
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(timeoutMs / 1000);
    deadline.tv_nsec += static_cast<long>(timeoutMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    int result;
    while ((result = pthread_mutex_timedlock(&mutex, &deadline)) == EINTR) {
    }
    return result == 0;
}

}  // namespace

InstanceLock::InstanceLock() : handle_(makeLock()) {}

InstanceLock::~InstanceLock()
{
    if (RecursiveTimedLock* s = state(handle_)) {
        pthread_mutex_destroy(&s->mutex);
        delete s;
    }
}

bool InstanceLock::valid() const { return handle_ != nullptr; }

bool InstanceLock::lock(unsigned timeoutMs)
{
    RecursiveTimedLock* s = state(handle_);
    if (!s) return false;
    const std::thread::id me = std::this_thread::get_id();
    if (s->owner.load(std::memory_order_relaxed) == me) {  // only this thread can have stored itself
        ++s->depth;
        return true;
    }
    if (!acquire(s->mutex, timeoutMs)) return false;
    s->owner.store(me, std::memory_order_relaxed);
    s->depth = 1;
    return true;
}

void InstanceLock::unlock()
{
    RecursiveTimedLock* s = state(handle_);
    if (!s || s->owner.load(std::memory_order_relaxed) != std::this_thread::get_id()) return;
    if (--s->depth == 0) {
        s->owner.store(std::thread::id(), std::memory_order_relaxed);
        pthread_mutex_unlock(&s->mutex);
    }
}

}  // namespace platform
