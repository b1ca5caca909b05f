#pragma once
// A click made the way the system makes one (SendInput), at a point of a window's client
// area, so the tests exercise the real input path rather than posted messages.
#include <windows.h>

namespace testsupport {

// Moves the cursor over `clientPoint` of `window` and presses and releases a button; answers
// how many of the two events the system took.
inline UINT sendClick(HWND window, POINT clientPoint, DWORD downFlag, DWORD upFlag) {
    ClientToScreen(window, &clientPoint);
    SetCursorPos(clientPoint.x, clientPoint.y);
    INPUT inputs[2]{};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = downFlag;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = upFlag;
    return SendInput(2, inputs, sizeof(INPUT));
}
inline UINT sendLeftClick(HWND window, POINT clientPoint) {
    return sendClick(window, clientPoint, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
}
inline UINT sendRightClick(HWND window, POINT clientPoint) {
    return sendClick(window, clientPoint, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
}

}  // namespace testsupport
