#pragma once
// The desktop's display scale for the editor's window (1 = 96 dpi), as the user set it for
// the system. Any thread; it asks the window system each time, so call it on opening and
// from the editor's timer, not per frame. Never fails: a value that cannot be read, or one
// outside 1 ... 3, gives 1 or is clamped (never 0, never a giant editor).
// Linux: the X resource Xft.dpi / 96, else GDK_SCALE, else QT_SCALE_FACTOR, else 1.
// Windows: the DPI of the monitor `window` (an HWND) is on, else the system DPI, / 96. The
// process's DPI awareness is the host's and is never changed here.
namespace platform {

double desktopScale(void* window);

#if !defined(_WIN32)
// The Linux rules above over the texts they come from (any may be null): the X resource
// string (as XResourceManagerString gives it) and the two environment variables.
double desktopScaleFrom(const char* xResources, const char* gdkScale, const char* qtScaleFactor);
#endif

}  // namespace platform
