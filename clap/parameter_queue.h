#pragma once
// Parameter changes the editor makes, on their way to the host: the editor pushes (from one
// thread at a time, under its lock), and whichever of process() (audio thread) and
// params.flush() runs drains them into the host's output event list. One producer, one consumer, no locks, no allocation; a full queue drops
// the newest change rather than wait (the value itself is already set in the effect).
#include <atomic>
#include <cstdint>

class ParameterQueue {
public:
    enum class Kind : std::uint8_t { kGestureBegin, kValue, kGestureEnd };
    struct Change {
        Kind kind;
        std::uint32_t id;
        double value;  // plain value, for kValue
    };
    static constexpr std::uint32_t kCapacity = 512;  // a power of two

    // Producer (the editor). False when full.
    bool push(const Change& change) {
        const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
        slots_[tail % kCapacity] = change;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    // Consumer: the oldest change, left in place until pop(); null when empty.
    const Change* front() const {
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        return head == tail_.load(std::memory_order_acquire) ? nullptr : &slots_[head % kCapacity];
    }
    void pop() { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

private:
    Change slots_[kCapacity] = {};
    std::atomic<std::uint32_t> head_{0}, tail_{0};  // counts, wrapping; tail - head is the fill
};
