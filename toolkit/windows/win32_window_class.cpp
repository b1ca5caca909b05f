#include "toolkit/windows/win32_window_class.h"

#include <cwchar>

namespace toolkit::windows {
namespace {

struct ClassState {
    wchar_t name[64] = {};
    int users = 0;  // windows (to be) made with the class
};

ClassState& state() {
    static ClassState instance;
    return instance;
}

}  // namespace

HMODULE ownModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ownModule), &module);
    return module;
}

const wchar_t* WindowClass::acquire(WNDPROC procedure) {
    ClassState& c = state();
    if (c.users == 0) {
        std::swprintf(c.name, sizeof c.name / sizeof c.name[0], L"AldermarkFrame%p", static_cast<void*>(ownModule()));
        WNDCLASSEXW info{};
        info.cbSize = sizeof info;
        info.style = CS_DBLCLKS;  // double clicks arrive as their own messages
        info.lpfnWndProc = procedure;
        info.hInstance = ownModule();
        info.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        info.lpszClassName = c.name;
        if (!RegisterClassExW(&info) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
    }
    ++c.users;
    return c.name;
}

void WindowClass::release() {
    ClassState& c = state();
    if (c.users > 0 && --c.users == 0) UnregisterClassW(c.name, ownModule());
}

}  // namespace toolkit::windows
