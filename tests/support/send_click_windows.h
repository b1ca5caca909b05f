#pragma once
// A left click made the way the system makes one (SendInput), at a point of a window's client
// area, so the tests exercise the real input path rather than posted messages.
#include <windows.h>

namespace testsupport {

// Moves the cursor over `clientPoint` of `window` and presses and releases the left button;
// answers how many of the two events the system took.
inline UINT sendLeftClick(HWND window, POINT clientPoint) {
    ClientToScreen(window, &clientPoint);
    SetCursorPos(clientPoint.x, clientPoint.y);
    INPUT inputs[2]{};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    return SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace testsupport
