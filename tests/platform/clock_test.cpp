// The millisecond clock: never goes backwards and counts milliseconds.
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

TEST(ClockTest, NeverGoesBackwards)
{
    std::uint64_t previous = platform::tickCountMilliseconds();
    for (int i = 0; i < 200000; ++i) {
        std::uint64_t now = platform::tickCountMilliseconds();
        ASSERT_GE(now, previous);
        previous = now;
    }
}

TEST(ClockTest, CountsMillisecondsLikeTheSteadyClock)
{
    // Bracketing both readings of our clock between two steady-clock readings bounds its
    // advance from both sides without depending on how long the sleep really took.
    using namespace std::chrono;
    const auto steadyBefore = steady_clock::now();
    const std::uint64_t before = platform::tickCountMilliseconds();
    std::this_thread::sleep_for(milliseconds(50));
    const std::uint64_t after = platform::tickCountMilliseconds();
    const auto steadyAfter = steady_clock::now();

    const auto outer = duration_cast<milliseconds>(steadyAfter - steadyBefore).count();
    EXPECT_GE(after - before, 49u);  // at least the sleep, allowing for whole-millisecond steps
    EXPECT_LE(after - before, static_cast<std::uint64_t>(outer) + 2u);
}

}  // namespace
