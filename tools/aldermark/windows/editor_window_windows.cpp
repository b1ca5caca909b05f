// The editor's window on Windows: a top-level Win32 window whose client area holds the
// plug-in's child window, and the message loop that serves both (the editor's timer and
// input arrive through it).
#include <windows.h>

#include <cstdint>

#include "tools/aldermark/editor_window.h"
#include "tools/aldermark/windows/gdi_capture.h"
#include "tools/aldermark/windows/wide_text.h"

namespace aldermark {
namespace {

constexpr UINT kResizeMessage = WM_APP + 1;  // wParam: width, lParam: height
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr wchar_t kClassName[] = L"AldermarkEditHost";

class Win32EditorWindow : public EditorWindow {
public:
    ~Win32EditorWindow() override {
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }

    bool create(const std::string& title, int width, int height, std::string& error) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = &Win32EditorWindow::windowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // the arrow
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
        windowClass.lpszClassName = kClassName;
        if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            error = "cannot register the window class";
            return false;
        }
        const SIZE outer = outerSize(width, height);
        window_ = CreateWindowExW(0, kClassName, aldermark_windows::widen(title).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, outer.cx,
                                  outer.cy, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        if (!window_) {
            error = "cannot create the editor's window";
            return false;
        }
        return true;
    }

    void* nativeHandle() const override { return window_; }

    void show() override {
        ShowWindow(window_, SW_SHOWNORMAL);
        UpdateWindow(window_);
        handleEvents(0);
    }

    void requestClientSize(int width, int height) override {
        PostMessageW(window_, kResizeMessage, static_cast<WPARAM>(width), static_cast<LPARAM>(height));
    }

    void handleEvents(int milliseconds) override {
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) && milliseconds > 0)
            MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(milliseconds), QS_ALLINPUT,
                                        MWMO_INPUTAVAILABLE);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }

    bool closedByUser() const override { return closed_; }

    void clientSize(int& width, int& height) const override {
        RECT client{};
        GetClientRect(window_, &client);
        width = client.right - client.left;
        height = client.bottom - client.top;
    }

    bool capture(RgbaImage& image, std::string& error) override {
        int width = 0, height = 0;
        clientSize(width, height);
        if (!IsWindowVisible(window_) || IsIconic(window_) || width <= 0 || height <= 0) {
            error = "the window is not on screen";
            return false;
        }
        HDC client = GetDC(window_);
        const bool copied = aldermark_windows::copyPixels(client, 0, 0, width, height, image);
        if (client) ReleaseDC(window_, client);
        if (!copied) error = "cannot copy the window's pixels";
        return copied;
    }

private:
    static SIZE outerSize(int width, int height) {
        RECT frame{0, 0, width, height};
        AdjustWindowRectEx(&frame, kStyle, FALSE, 0);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32EditorWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self) switch (message) {
                case WM_CLOSE:
                    // The session closes the editor before the window goes.
                    self->closed_ = true;
                    return 0;
                case kResizeMessage: {
                    const SIZE outer = outerSize(static_cast<int>(wParam), static_cast<int>(lParam));
                    SetWindowPos(window, nullptr, 0, 0, outer.cx, outer.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                    return 0;
                }
                case WM_DESTROY:
                    self->window_ = nullptr;
                    self->closed_ = true;
                    break;
                default: break;
            }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    HWND window_ = nullptr;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(const std::string& title, int width, int height,
                                                   std::string& error) {
    auto window = std::make_unique<Win32EditorWindow>();
    if (!window->create(title, width, height, error)) return nullptr;
    return window;
}

bool EditorWindow::displayAvailable(std::string&) { return true; }

}  // namespace aldermark
