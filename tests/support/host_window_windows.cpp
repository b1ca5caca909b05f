#include "tests/support/host_window.h"

#include <windows.h>

namespace testsupport {
namespace {

const wchar_t* hostWindowClass() {
    static const wchar_t* name = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"AldermarkTestHost";
        RegisterClassW(&windowClass);
        return L"AldermarkTestHost";
    }();
    return name;
}

}  // namespace

TestHostWindow::TestHostWindow(int width, int height) {
    HWND window = CreateWindowExW(0, hostWindowClass(), L"Test host", WS_OVERLAPPED | WS_CLIPCHILDREN, 0, 0, width,
                                  height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return;
    ShowWindow(window, SW_SHOWNOACTIVATE);
    handle_ = window;
}

TestHostWindow::~TestHostWindow() {
    if (handle_) DestroyWindow(static_cast<HWND>(handle_));
}

void TestHostWindow::setShown(bool shown) {
    if (handle_) ShowWindow(static_cast<HWND>(handle_), shown ? SW_SHOWNOACTIVATE : SW_HIDE);
}

void TestHostWindow::pump(int milliseconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        Sleep(1);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

int TestHostWindow::childCount() const {
    int count = 0;
    for (HWND child = handle_ ? GetWindow(static_cast<HWND>(handle_), GW_CHILD) : nullptr; child;
         child = GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

void* TestHostWindow::bogusHandle() { return reinterpret_cast<void*>(static_cast<INT_PTR>(0x3fffff7)); }

}  // namespace testsupport
