#include "platform/desktop_scale.h"

#include "platform/windows/windows_lean.h"

namespace platform {
namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

// Windows 10 1607 and later; resolved at run time so older systems load the plug-in.
GetDpiForWindowFn dpiForWindowFunction() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")))
                  : nullptr;
}

UINT systemDpi() {
    HDC screen = GetDC(nullptr);
    if (!screen) return 96;
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

double desktopScale(void* window) {
    static const GetDpiForWindowFn dpiForWindow = dpiForWindowFunction();
    HWND hwnd = static_cast<HWND>(window);
    UINT dpi = 0;
    if (dpiForWindow && hwnd && IsWindow(hwnd)) dpi = dpiForWindow(hwnd);
    if (dpi == 0) dpi = systemDpi();
    const double scale = dpi / 96.0;
    return scale < 1 ? 1 : scale > 3 ? 3 : scale;
}

}  // namespace platform
