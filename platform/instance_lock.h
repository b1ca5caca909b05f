#pragma once
// The per-instance lock: held while constructing, during each audio block and while the
// filter settings change. Every wait is bounded; after a timeout the caller goes on.
// Windows: an unnamed Win32 mutex; Linux: a timed lock with the same behaviour. The owning
// thread may lock again (construction sets parameters that lock); each lock() that answered
// true needs its own unlock(), and unlock() from a thread that does not own it is ignored.

namespace platform {

class InstanceLock {
public:
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // False when the lock could not be created; lock() and unlock() are then no-ops.
    bool valid() const;
    // Waits at most timeoutMs; answers whether the lock is now held by the caller.
    bool lock(unsigned timeoutMs = 1000);
    // Releases a lock taken by lock() that answered true.
    void unlock();

private:
    void* handle_;  // platform object, null when creation failed
};

// Scoped use: locks on construction (bounded), unlocks on destruction if it got the lock.
class InstanceLockGuard {
public:
    explicit InstanceLockGuard(InstanceLock* lock) : lock_(lock), held_(lock && lock->lock()) {}
    ~InstanceLockGuard() { if (held_) lock_->unlock(); }
    InstanceLockGuard(const InstanceLockGuard&) = delete;
    InstanceLockGuard& operator=(const InstanceLockGuard&) = delete;
    bool held() const { return held_; }

private:
    InstanceLock* lock_;
    bool held_;
};

}  // namespace platform
