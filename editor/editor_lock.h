#pragma once
// The lock every touch of an editor's frame and views runs under. The format's calls (open,
// close, idle, keys) come from the host's user-interface thread, the window's timer runs the
// idle step from a thread of its own on Linux, and tools and tests look at the views from
// theirs. Recursive: a host may call back into the editor from inside a request it made.
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

class EditorMutex {
public:
    std::recursive_mutex& get() { return mutex_; }

private:
    std::recursive_mutex mutex_;
};

// Holds the lock for its scope.
class EditorLock {
public:
    explicit EditorLock(EditorMutex& mutex) : lock_(mutex.get()) {}
    // Waits for the lock only as long as `giveUp` stays false (a timer that is being stopped
    // must not wait for a thread that waits for it); owns() tells the outcome, and a caller
    // that does not own it must leave the views alone.
    EditorLock(EditorMutex& mutex, const std::atomic<bool>& giveUp) : lock_(mutex.get(), std::defer_lock) {
        // Polls rather than waits with a timeout: short waits on a contended lock are rare,
        // and plain try_lock is understood by every thread checker.
        while (!giveUp.load(std::memory_order_acquire)) {
            if (lock_.try_lock()) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    bool owns() const { return lock_.owns_lock(); }

private:
    std::unique_lock<std::recursive_mutex> lock_;
};
