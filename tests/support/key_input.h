#pragma once
// Keyboard input for a frame, as the platform window would deliver it.
#include "toolkit/frame.h"

namespace testkeys {

// One key-down per character of `text` (ASCII).
inline void type(CFrame* frame, const char* text) {
    for (const char* c = text; *c; ++c) {
        CKeyEvent key;
        key.character = static_cast<unsigned char>(*c);
        frame->platformOnKeyDown(key);
    }
}

inline void press(CFrame* frame, VirtualKey virtualKey) {
    CKeyEvent key;
    key.virtualKey = virtualKey;
    frame->platformOnKeyDown(key);
}

}  // namespace testkeys
