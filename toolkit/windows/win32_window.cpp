// The Win32 platform window: a child window inside the host's window. Input arrives through
// its window procedure while the host pumps messages; drawing goes through a Direct2D back
// buffer (a WIC bitmap) whose pixels are copied to a DIB section and from there to the
// window, so partial repaints and exposures never need a redraw of the views.
#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/desktop_scale.h"
#include "toolkit/backend.h"
#include "toolkit/dirty_region.h"
#include "toolkit/windows/d2d_surface.h"
#include "toolkit/windows/win32_text_edit.h"
#include "toolkit/windows/win32_window_class.h"

namespace toolkit {
namespace {

using windows::D2DSurface;
using windows::ownModule;
using windows::Win32TextEdit;
using windows::WindowClass;

std::int32_t modifierBits(WPARAM keys) {
    std::int32_t bits = 0;
    if (keys & MK_SHIFT) bits |= kShift;
    if (keys & MK_CONTROL) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt;
    return bits;
}

std::int32_t buttonBits(WPARAM keys) {
    std::int32_t bits = modifierBits(keys);
    if (keys & MK_LBUTTON) bits |= kLButton;
    if (keys & MK_MBUTTON) bits |= kMButton;
    if (keys & MK_RBUTTON) bits |= kRButton;
    return bits;
}

std::int32_t keyModifiers() {
    std::int32_t bits = 0;
    if (GetKeyState(VK_SHIFT) < 0) bits |= kShift;
    if (GetKeyState(VK_CONTROL) < 0) bits |= kControl;
    if (GetKeyState(VK_MENU) < 0) bits |= kAlt;
    return bits;
}

VirtualKey virtualKeyFor(WPARAM key) {
    switch (key) {
        case VK_RETURN: return VirtualKey::Return;
        case VK_TAB: return VirtualKey::Tab;
        case VK_ESCAPE: return VirtualKey::Escape;
        case VK_BACK: return VirtualKey::Back;
        case VK_DELETE: return VirtualKey::Delete;
        case VK_LEFT: return VirtualKey::Left;
        case VK_RIGHT: return VirtualKey::Right;
        case VK_HOME: return VirtualKey::Home;
        case VK_END: return VirtualKey::End;
        case VK_UP: return VirtualKey::Up;
        case VK_DOWN: return VirtualKey::Down;
        default: return VirtualKey::NoKey;
    }
}

class Win32Window : public IPlatformWindow {
public:
    explicit Win32Window(IPlatformFrameCallbacks& frame) : frame_(frame) {}

    ~Win32Window() override {
        *alive_ = false;
        stopTimer();
        if (window_) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);  // no more callbacks
            if (GetCapture() == window_) ReleaseCapture();
            DestroyWindow(window_);
        }
        destroyDib();
        if (className_) WindowClass::release();
    }
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool create(HWND parent, int width, int height) {
        if (!IsWindow(parent) || width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
        className_ = WindowClass::acquire(&Win32Window::windowProc);
        if (!className_) return false;
        width_ = width;
        height_ = height;
        if (!makeBuffers()) return false;
        window_ = CreateWindowExW(0, className_, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                                  width, height, parent, nullptr, ownModule(), this);
        if (!window_) return false;
        pending_.add(CRect(0, 0, width, height), bounds());
        return true;
    }

    void invalidRect(const CRect& rect) override { pending_.add(rect, bounds()); }

    // Messages reach the window procedure through the host's message loop.
    void processEvents() override {}

    void update() override {
        if (!window_ || pending_.empty() || !backBuffer_) return;
        const std::vector<CRect> areas = pending_.rects();
        pending_.clear();
        HDC dc = GetDC(window_);
        for (CRect area : areas) {
            // Whole pixels: anti-aliased edges of the area must be copied too.
            area = CRect(std::floor(area.left), std::floor(area.top), std::ceil(area.right), std::ceil(area.bottom));
            backBuffer_->setClip(area);
            frame_.platformDrawRect(*backBuffer_, area);
            const RECT rect{static_cast<LONG>(area.left), static_cast<LONG>(area.top), static_cast<LONG>(area.right),
                            static_cast<LONG>(area.bottom)};
            if (backBuffer_->copyPixels(rect.left, rect.top, rect.right, rect.bottom, dibPixels_, width_ * 4) && dc)
                present(dc, rect);
        }
        backBuffer_->setClip(bounds());
        if (dc) ReleaseDC(window_, dc);
    }

    bool setSize(int width, int height) override {
        if (!window_ || width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
        const int oldWidth = width_, oldHeight = height_;
        width_ = width;
        height_ = height;
        if (!makeBuffers()) {
            width_ = oldWidth;
            height_ = oldHeight;
            makeBuffers();
            pending_.add(bounds(), bounds());
            return false;
        }
        SetWindowPos(window_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pending_.clear();
        pending_.add(bounds(), bounds());
        return true;
    }

    void takeKeyboardFocus() override {
        if (window_) SetFocus(window_);
    }
    void releaseKeyboardFocus() override {
        if (window_ && GetFocus() == window_) SetFocus(GetParent(window_));
    }

    void* nativeHandle() const override { return window_; }

    bool isViewable() override {
        // Hidden with (or inside) a hidden parent, or the whole top-level window minimised.
        return window_ && IsWindowVisible(window_) && !IsIconic(GetAncestor(window_, GA_ROOT));
    }

    bool keysArriveNatively() const override {
        const HWND focused = GetFocus();
        return window_ && focused && (focused == window_ || IsChild(window_, focused));
    }

    double desktopScale() override { return window_ ? platform::desktopScale(GetParent(window_)) : 0; }

    bool screenOrigin(int& x, int& y) override {
        POINT origin{0, 0};
        if (!window_ || !ClientToScreen(window_, &origin)) return false;
        x = origin.x;
        y = origin.y;
        return true;
    }

    bool resizeParent(int width, int height) override {
        const HWND parent = window_ ? GetParent(window_) : nullptr;
        if (!parent || width <= 0 || height <= 0) return false;
        // The parent's client area must hold the editor: add whatever frame and caption it
        // has (none for the usual child window a host gives us).
        RECT outer{}, client{};
        int frameWidth = 0, frameHeight = 0;
        if (GetWindowRect(parent, &outer) && GetClientRect(parent, &client)) {
            frameWidth = (outer.right - outer.left) - (client.right - client.left);
            frameHeight = (outer.bottom - outer.top) - (client.bottom - client.top);
        }
        return SetWindowPos(parent, nullptr, 0, 0, width + std::max(0, frameWidth), height + std::max(0, frameHeight),
                            SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE) != FALSE;
    }

    bool startTimer(int periodMs, std::function<void()> tick) override {
        stopTimer();
        if (!window_ || periodMs <= 0 || !tick) return false;
        tick_ = std::move(tick);
        // Window timers fire on the system's clock tick (15.6 ms unless someone asked for
        // finer): a period just above one tick would wait for two. Asking a millisecond less
        // keeps 60 Hz at about 64 Hz instead of 32.
        const UINT period = static_cast<UINT>(std::max<int>(USER_TIMER_MINIMUM, periodMs - 1));
        timerRunning_ = SetTimer(window_, kTimerId, period, nullptr) != 0;
        if (!timerRunning_) tick_ = nullptr;
        return timerRunning_;
    }

    void stopTimer() override {
        if (timerRunning_ && window_) KillTimer(window_, kTimerId);
        timerRunning_ = false;
        tick_ = nullptr;
    }

    std::unique_ptr<INativeTextEdit> createNativeTextEdit(const NativeTextEditRequest& request,
                                                          std::function<void(bool)> done) override {
        if (!window_) return nullptr;
        auto edit = Win32TextEdit::create(window_, request, std::move(done));
        if (!edit) return nullptr;
        currentEdit_ = edit.get();
        // The edit may go without telling us; its colours are only asked while it exists.
        return std::unique_ptr<INativeTextEdit>(new TrackedEdit(std::move(edit), this, alive_));
    }

private:
    // Forgets the current edit when the frame drops it.
    class TrackedEdit : public INativeTextEdit {
    public:
        TrackedEdit(std::unique_ptr<Win32TextEdit> edit, Win32Window* owner, std::shared_ptr<bool> ownerAlive)
            : edit_(std::move(edit)), owner_(owner), ownerAlive_(std::move(ownerAlive)) {}
        ~TrackedEdit() override {
            if (*ownerAlive_ && owner_->currentEdit_ == edit_.get()) owner_->currentEdit_ = nullptr;
        }
        std::string text() const override { return edit_->text(); }
        void typeKey(const CKeyEvent& key) override { edit_->typeKey(key); }

    private:
        std::unique_ptr<Win32TextEdit> edit_;
        Win32Window* owner_;
        std::shared_ptr<bool> ownerAlive_;
    };

    bool makeBuffers() {
        destroyDib();
        backBuffer_ = D2DSurface::create(width_, height_);
        if (!backBuffer_) return false;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;  // top-down rows, like the back buffer
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        dib_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        memoryDc_ = CreateCompatibleDC(nullptr);
        if (!dib_ || !memoryDc_ || !bits) {
            destroyDib();
            return false;
        }
        dibPixels_ = static_cast<std::uint8_t*>(bits);
        previousBitmap_ = SelectObject(memoryDc_, dib_);
        return true;
    }

    void destroyDib() {
        if (memoryDc_) {
            if (previousBitmap_) SelectObject(memoryDc_, previousBitmap_);
            DeleteDC(memoryDc_);
        }
        if (dib_) DeleteObject(dib_);
        memoryDc_ = nullptr;
        dib_ = nullptr;
        previousBitmap_ = nullptr;
        dibPixels_ = nullptr;
        backBuffer_.reset();
    }

    void present(HDC dc, const RECT& rect) {
        if (!memoryDc_) return;
        BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, memoryDc_, rect.left, rect.top,
               SRCCOPY);
    }

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self) return DefWindowProcW(window, message, wParam, lParam);
        LRESULT result = 0;
        if (self->handle(window, message, wParam, lParam, result)) return result;
        return DefWindowProcW(window, message, wParam, lParam);
    }

    CPoint clientPoint(LPARAM lParam) const {
        // Signed: while the mouse is captured it may be left of or above the window.
        return CPoint(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    }

    // Answers true when the message was handled with `result`. After a frame callback the
    // object may be gone: nothing of it is touched then.
    bool handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        const std::shared_ptr<bool> alive = alive_;
        switch (message) {
            case WM_ERASEBKGND: result = 1; return true;
            case WM_PAINT: {
                PAINTSTRUCT paint;
                HDC dc = BeginPaint(window, &paint);
                if (dc) present(dc, paint.rcPaint);
                EndPaint(window, &paint);
                return true;
            }
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN:
            case WM_LBUTTONDBLCLK:
            case WM_RBUTTONDBLCLK:
            case WM_MBUTTONDBLCLK: {
                const bool doubleClick =
                    message == WM_LBUTTONDBLCLK || message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDBLCLK;
                std::int32_t bit = kLButton;
                if (message == WM_RBUTTONDOWN || message == WM_RBUTTONDBLCLK) bit = kRButton;
                else if (message == WM_MBUTTONDOWN || message == WM_MBUTTONDBLCLK) bit = kMButton;
                // Drags keep their moves and release when they leave the window.
                SetCapture(window);
                frame_.platformOnMouseDown(clientPoint(lParam),
                                           CButtonState(modifierBits(wParam) | bit | (doubleClick ? kDoubleClick : 0)));
                return true;
            }
            case WM_LBUTTONUP:
            case WM_RBUTTONUP:
            case WM_MBUTTONUP: {
                const std::int32_t bit = message == WM_LBUTTONUP   ? kLButton
                                         : message == WM_RBUTTONUP ? kRButton
                                                                   : kMButton;
                if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == window) ReleaseCapture();
                frame_.platformOnMouseUp(clientPoint(lParam), CButtonState(modifierBits(wParam) | bit));
                return true;
            }
            case WM_MOUSEMOVE: {
                if (!trackingLeave_) {
                    TRACKMOUSEEVENT track{};
                    track.cbSize = sizeof track;
                    track.dwFlags = TME_LEAVE;
                    track.hwndTrack = window;
                    trackingLeave_ = TrackMouseEvent(&track) != FALSE;
                }
                lastMouse_ = clientPoint(lParam);
                frame_.platformOnMouseMoved(lastMouse_, CButtonState(buttonBits(wParam)));
                return true;
            }
            case WM_MOUSELEAVE:
                trackingLeave_ = false;
                frame_.platformOnMouseExited(lastMouse_, CButtonState(keyModifiers()));
                return true;
            case WM_MOUSEWHEEL: {
                // Screen coordinates; one notch is WHEEL_DELTA, finer wheels send parts of it.
                POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                ScreenToClient(window, &point);
                const float notches = static_cast<float>(GET_WHEEL_DELTA_WPARAM(wParam)) / WHEEL_DELTA;
                result = 0;
                if (!frame_.platformOnMouseWheel(CPoint(point.x, point.y), notches,
                                                 CButtonState(modifierBits(GET_KEYSTATE_WPARAM(wParam))))) {
                    if (!*alive) return true;
                    return false;  // unused: DefWindowProc passes it to the parent
                }
                return true;
            }
            case WM_KEYDOWN:
            case WM_SYSKEYDOWN: {
                const VirtualKey key = virtualKeyFor(wParam);
                if (key == VirtualKey::NoKey) return false;  // characters follow as WM_CHAR
                CKeyEvent event;
                event.virtualKey = key;
                event.modifiers = keyModifiers();
                result = 0;
                return frame_.platformOnKeyDown(event) || !*alive;
            }
            case WM_CHAR: {
                const auto unit = static_cast<wchar_t>(wParam);
                if (unit >= 0xD800 && unit <= 0xDBFF) {  // first half of a pair
                    highSurrogate_ = unit;
                    return true;
                }
                char32_t character = unit;
                if (unit >= 0xDC00 && unit <= 0xDFFF) {
                    if (!highSurrogate_) return true;
                    character = 0x10000 + ((static_cast<char32_t>(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00);
                }
                highSurrogate_ = 0;
                if (character < 0x20 || character == 0x7F) return true;  // control keys came as WM_KEYDOWN
                CKeyEvent event;
                event.character = character;
                event.modifiers = keyModifiers();
                frame_.platformOnKeyDown(event);
                return true;
            }
            case WM_GETDLGCODE: result = DLGC_WANTALLKEYS | DLGC_WANTCHARS; return true;
            case WM_KILLFOCUS:
                // Focus moving into our own edit box is not a loss.
                if (wParam && IsChild(window, reinterpret_cast<HWND>(wParam))) return true;
                frame_.platformOnFocusLost();
                return true;
            case WM_CTLCOLOREDIT:
                if (currentEdit_ && reinterpret_cast<HWND>(lParam) == currentEdit_->handle()) {
                    result = reinterpret_cast<LRESULT>(currentEdit_->colour(reinterpret_cast<HDC>(wParam)));
                    return true;
                }
                return false;
            case WM_TIMER:
                if (wParam != kTimerId || !timerRunning_ || !tick_) return false;
                {
                    // The tick may close the frame and with it this window.
                    const auto tick = tick_;
                    tick();
                }
                return true;
            case WM_DESTROY:
                // The host took its window (and ours) down before the frame closed.
                timerRunning_ = false;
                window_ = nullptr;
                return false;
            default: return false;
        }
    }

    static constexpr UINT_PTR kTimerId = 1;

    CRect bounds() const { return CRect(0, 0, width_, height_); }

    IPlatformFrameCallbacks& frame_;
    HWND window_ = nullptr;
    const wchar_t* className_ = nullptr;           // set while we hold the class
    int width_ = 0;                                // pixels
    int height_ = 0;                               // pixels
    std::unique_ptr<D2DSurface> backBuffer_;       // where the views draw
    HBITMAP dib_ = nullptr;                        // the window's copy of the back buffer
    HDC memoryDc_ = nullptr;                       // holds dib_ for copying to the window
    HGDIOBJ previousBitmap_ = nullptr;
    std::uint8_t* dibPixels_ = nullptr;            // BGRA rows of width_ * 4 bytes
    DirtyRegion pending_;                          // areas waiting for update()
    std::function<void()> tick_;                   // the timer's callback while it runs
    bool timerRunning_ = false;
    CPoint lastMouse_;                             // client pixels, for the leave notice
    bool trackingLeave_ = false;                   // a WM_MOUSELEAVE is requested
    wchar_t highSurrogate_ = 0;                    // first half of a character outside the BMP
    Win32TextEdit* currentEdit_ = nullptr;         // the open native edit, if any
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace

std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, int width, int height,
                                                      IPlatformFrameCallbacks& frame) {
    if (!parent) return nullptr;
    auto window = std::make_unique<Win32Window>(frame);
    if (!window->create(static_cast<HWND>(parent), width, height)) return nullptr;
    return window;
}

}  // namespace toolkit
