#include "tests/support/wine.h"

#ifdef _WIN32
#include <windows.h>

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}
#else
bool runningUnderWine() { return false; }
#endif
