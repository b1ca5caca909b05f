#pragma once
// The Win32 window class of frame windows, registered while any of them exists.
#include <windows.h>

namespace toolkit::windows {

// The module (DLL or program) this code lives in, not the host's executable.
HMODULE ownModule();

// GUI thread only. The class name carries the module's address, so two copies of the
// library loaded side by side never share a window procedure.
class WindowClass {
public:
    // Registers the class on first use; null when that fails.
    static const wchar_t* acquire(WNDPROC procedure);
    // Unregisters it when the last user lets go.
    static void release();
};

}  // namespace toolkit::windows
