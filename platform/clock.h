#pragma once
// The monotonic millisecond clock shared by the audio path's block clock and the editor.
#include <cstdint>

namespace platform {

// Milliseconds since an arbitrary fixed point; never goes backwards.
std::uint64_t tickCountMilliseconds();

}  // namespace platform
