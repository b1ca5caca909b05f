#pragma once
// Waiting in tests for something that happens in another process or thread.
#include <chrono>
#include <thread>

namespace testwait {

// Checks `done` every few milliseconds until it answers true (true) or `seconds` pass (false).
template <typename Done>
bool waitUntil(double seconds, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace testwait
