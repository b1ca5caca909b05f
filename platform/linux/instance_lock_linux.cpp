// The instance lock on Linux. It behaves like the unnamed Win32 mutex it stands in for: the
// owning thread may take it again (each lock() needs its unlock()), an unlock() by a thread
// that does not own it changes nothing, and every wait is bounded.
#include "platform/instance_lock.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>

namespace platform {
namespace {

struct RecursiveTimedLock {
    std::mutex guard;                 // protects the two fields below
    std::condition_variable released; // signalled when depth drops to zero
    std::thread::id owner;            // thread holding the lock, or none
    unsigned depth = 0;               // times the owner has taken it
};

RecursiveTimedLock* state(void* handle) { return static_cast<RecursiveTimedLock*>(handle); }

}  // namespace

InstanceLock::InstanceLock() : handle_(new (std::nothrow) RecursiveTimedLock) {}

InstanceLock::~InstanceLock() { delete state(handle_); }

bool InstanceLock::valid() const { return handle_ != nullptr; }

bool InstanceLock::lock(unsigned timeoutMs)
{
    RecursiveTimedLock* s = state(handle_);
    if (!s) return false;
    const std::thread::id me = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(s->guard);
    if (s->owner == me && s->depth > 0) {
        ++s->depth;
        return true;
    }
    if (!s->released.wait_for(hold, std::chrono::milliseconds(timeoutMs), [s] { return s->depth == 0; }))
        return false;
    s->owner = me;
    s->depth = 1;
    return true;
}

void InstanceLock::unlock()
{
    RecursiveTimedLock* s = state(handle_);
    if (!s) return;
    std::lock_guard<std::mutex> hold(s->guard);
    if (s->depth == 0 || s->owner != std::this_thread::get_id()) return;
    if (--s->depth == 0) {
        s->owner = std::thread::id();
        s->released.notify_one();
    }
}

}  // namespace platform
