// The millisecond clock on Windows: the performance counter, which is monotonic and finer than
// the 10 to 16 ms steps of the tick count.
#include "platform/clock.h"

#include "platform/windows/windows_lean.h"

namespace platform {

std::uint64_t tickCountMilliseconds()
{
    LARGE_INTEGER frequency, counter;
    if (!QueryPerformanceFrequency(&frequency) || frequency.QuadPart <= 0 || !QueryPerformanceCounter(&counter))
        return GetTickCount64();
    // Split the division so counter × 1000 cannot overflow.
    const auto ticks = static_cast<std::uint64_t>(counter.QuadPart);
    const auto perSecond = static_cast<std::uint64_t>(frequency.QuadPart);
    return ticks / perSecond * 1000u + ticks % perSecond * 1000u / perSecond;
}

}  // namespace platform
