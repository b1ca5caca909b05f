// The X11 platform window: a child window inside the host's window, on a display
// connection of its own whose events are handled from the frame's idle. Painting goes
// through an image back buffer that is copied to the window.
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/desktop_scale.h"
#include "toolkit/backend.h"
#include "toolkit/cairo/cairo_surface.h"
#include "toolkit/dirty_region.h"
#include "toolkit/x11/error_trap.h"
#include "toolkit/x11/shared_image.h"

// After our headers: Xlib defines macros such as None and Bool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <cairo-xlib.h>
#include <cairo.h>

namespace toolkit {
namespace {

using x11::ErrorTrap;
using x11::SharedImage;

constexpr unsigned long kDoubleClickMs = 400;   // milliseconds between the two presses
constexpr int kDoubleClickDistance = 4;         // pixels the mouse may move between them
// A parent being hidden sends us nothing, so while we believe we are seen we check now and
// then; a window that becomes visible again gets Expose and VisibilityNotify events.
constexpr auto kViewableCheckInterval = std::chrono::milliseconds(250);

std::int32_t modifierBits(unsigned int state) {
    std::int32_t bits = 0;
    if (state & ShiftMask) bits |= kShift;
    if (state & ControlMask) bits |= kControl;
    if (state & Mod1Mask) bits |= kAlt;
    return bits;
}

std::int32_t buttonBits(unsigned int state) {
    std::int32_t bits = modifierBits(state);
    if (state & Button1Mask) bits |= kLButton;
    if (state & Button2Mask) bits |= kMButton;
    if (state & Button3Mask) bits |= kRButton;
    return bits;
}

std::int32_t bitForButton(unsigned int button) {
    switch (button) {
        case Button1: return kLButton;
        case Button2: return kMButton;
        case Button3: return kRButton;
        default: return 0;
    }
}

CKeyEvent translateKey(XKeyEvent& event) {
    char text[32];
    KeySym keysym = NoSymbol;
    XLookupString(&event, text, sizeof text, &keysym, nullptr);
    CKeyEvent key;
    key.modifiers = modifierBits(event.state);
    switch (keysym) {
        case XK_Return: case XK_KP_Enter: key.virtualKey = VirtualKey::Return; return key;
        case XK_Tab: case XK_ISO_Left_Tab: key.virtualKey = VirtualKey::Tab; return key;
        case XK_Escape: key.virtualKey = VirtualKey::Escape; return key;
        case XK_BackSpace: key.virtualKey = VirtualKey::Back; return key;
        case XK_Delete: case XK_KP_Delete: key.virtualKey = VirtualKey::Delete; return key;
        case XK_Left: case XK_KP_Left: key.virtualKey = VirtualKey::Left; return key;
        case XK_Right: case XK_KP_Right: key.virtualKey = VirtualKey::Right; return key;
        case XK_Home: case XK_KP_Home: key.virtualKey = VirtualKey::Home; return key;
        case XK_End: case XK_KP_End: key.virtualKey = VirtualKey::End; return key;
        case XK_Up: key.virtualKey = VirtualKey::Up; return key;
        case XK_Down: key.virtualKey = VirtualKey::Down; return key;
        default: break;
    }
    // Latin-1 keysyms equal their code points; 0x01000000 + n is Unicode n.
    if (keysym >= 0x20 && keysym <= 0xFF) key.character = static_cast<char32_t>(keysym);
    else if ((keysym & 0xFF000000) == 0x01000000) key.character = static_cast<char32_t>(keysym & 0x00FFFFFF);
    return key;
}

// The window's timer: a thread that calls the tick every period while the window is seen,
// and whenever the X connection has something to read. It shares its state with the
// thread, so that a tick that closes the window (and stops the timer from inside) leaves
// the thread something valid to finish with.
class FrameTimer {
public:
    static constexpr const char* kTimerThreadName = "editor-timer";

    // `paused` belongs to the window: it pauses the periodic ticks while nobody can see it.
    FrameTimer(int connection, int periodMs, std::function<void()> tick, std::shared_ptr<std::atomic<bool>> paused)
        : state_(std::make_shared<State>()) {
        state_->paused = std::move(paused);
        state_->connection = connection;
        state_->period = std::chrono::milliseconds(periodMs);
        state_->tick = std::move(tick);
        state_->wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (state_->wake < 0) return;
        thread_ = std::thread(&FrameTimer::run, state_);
    }
    ~FrameTimer() { stop(); }
    FrameTimer(const FrameTimer&) = delete;
    FrameTimer& operator=(const FrameTimer&) = delete;

    bool running() const { return thread_.joinable(); }

    void stop() {
        state_->stopping.store(true, std::memory_order_release);
        if (state_->wake >= 0) {
            const std::uint64_t one = 1;
            [[maybe_unused]] const ssize_t written = write(state_->wake, &one, sizeof one);
        }
        if (!thread_.joinable()) return;
        if (thread_.get_id() == std::this_thread::get_id())
            thread_.detach();  // stopped by its own tick: it ends when the tick returns
        else
            thread_.join();
    }

private:
    struct State {
        ~State() {
            if (wake >= 0) close(wake);
        }
        int connection = -1;                 // the X connection's socket
        int wake = -1;                       // eventfd written by stop()
        std::chrono::milliseconds period{16};
        std::function<void()> tick;
        std::atomic<bool> stopping{false};
        std::shared_ptr<std::atomic<bool>> paused;  // periodic ticks wait; events still wake
    };

    // While the window is seen the thread wakes once a period, and the tick handles the events
    // that came meanwhile (so a burst of events costs no extra wake-ups). While it cannot be
    // seen the thread sleeps until the X connection has something: showing the window again
    // sends Expose and visibility events.
    static void run(std::shared_ptr<State> state) {
        pthread_setname_np(pthread_self(), kTimerThreadName);  // what profilers and the benches find
        using Clock = std::chrono::steady_clock;
        auto next = Clock::now() + state->period;
        while (!state->stopping.load(std::memory_order_acquire)) {
            const bool paused = state->paused->load(std::memory_order_relaxed);
            int timeout = -1;
            if (!paused) {
                // Rounded up: waking a fraction early would only mean a second wake-up.
                const auto wait = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now()).count();
                timeout = wait > 0 ? static_cast<int>(wait) : 0;
            }
            pollfd fds[2] = {{state->wake, POLLIN, 0}, {state->connection, POLLIN, 0}};
            if (poll(fds, paused ? 2 : 1, timeout) < 0 && errno != EINTR) break;
            if (state->stopping.load(std::memory_order_acquire)) break;
            if (paused && (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))) break;  // the connection is gone
            const bool eventsArrived = paused && (fds[1].revents & POLLIN) != 0;
            const auto now = Clock::now();
            const bool due = !paused && now >= next;
            if (due) {
                next += state->period;
                if (next <= now) next = now + state->period;  // fell behind: no burst of ticks
            }
            if (eventsArrived) next = now;  // shown again: the next frame at once
            if (due || eventsArrived) state->tick();
        }
    }

    std::shared_ptr<State> state_;
    std::thread thread_;
};

class X11Window : public IPlatformWindow {
public:
    X11Window(IPlatformFrameCallbacks& frame) : frame_(frame) {}

    ~X11Window() override {
        stopTimer();
        destroyBuffers();
        if (display_) {
            if (gc_) XFreeGC(display_, gc_);
            if (window_) {
                ErrorTrap trap(display_);  // the parent may already have taken it down
                XDestroyWindow(display_, window_);
            }
            XCloseDisplay(display_);
        }
    }

    bool create(Window parent, int width, int height) {
        display_ = XOpenDisplay(nullptr);
        if (!display_ || width <= 0 || height <= 0) return false;
        XWindowAttributes parentAttributes;
        {
            ErrorTrap trap(display_);
            if (!XGetWindowAttributes(display_, parent, &parentAttributes) || !trap.ok()) return false;
        }
        parent_ = parent;
        visual_ = parentAttributes.visual;
        depth_ = parentAttributes.depth;
        width_ = width;
        height_ = height;
        XSetWindowAttributes attributes{};
        attributes.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                                EnterWindowMask | LeaveWindowMask | KeyPressMask | FocusChangeMask |
                                StructureNotifyMask | VisibilityChangeMask;
        attributes.background_pixmap = None;
        {
            ErrorTrap trap(display_);
            window_ = XCreateWindow(display_, parent, 0, 0, static_cast<unsigned>(width),
                                    static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                    CWEventMask | CWBackPixmap, &attributes);
            if (!trap.ok()) {
                window_ = 0;
                return false;
            }
        }
        XMapWindow(display_, window_);
        XFlush(display_);
        if (!createBuffers()) return false;
        pending_.add(bounds(), bounds());
        return true;
    }

    void invalidRect(const CRect& rect) override { pending_.add(rect, bounds()); }

    void processEvents() override {
        if (!display_) return;
        while (window_ && XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            handle(event);
        }
    }

    void update() override {
        if (!window_ || pending_.empty() || !backBuffer_) return;
        sharedImage_.waitUntilRead();  // the server may still be copying the last frame
        cairo_t* cr = cairo_create(backBuffer_);
        {
            cairo::CairoSurface surface(cr, width_, height_);
            for (const CRect& area : pending_.rects()) {
                surface.setClip(area);
                frame_.platformDrawRect(surface, area);
            }
        }
        cairo_destroy(cr);
        cairo_surface_flush(backBuffer_);
        for (const CRect& area : pending_.rects()) present(area);
        pending_.clear();
        XFlush(display_);
    }

    bool setSize(int width, int height) override {
        if (!window_ || width <= 0 || height <= 0 || width > 16384 || height > 16384) return false;
        XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
        width_ = width;
        height_ = height;
        destroyBuffers();
        if (!createBuffers()) return false;
        pending_.clear();
        pending_.add(bounds(), bounds());
        XFlush(display_);
        return true;
    }

    void takeKeyboardFocus() override { focus(window_); }
    void releaseKeyboardFocus() override {
        hasFocus_ = false;
        Window focused = 0;
        int revert = 0;
        if (!window_) return;
        XGetInputFocus(display_, &focused, &revert);
        if (focused == window_) focus(parent_);
    }

    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

    bool isViewable() override {
        if (!window_ || !mapped_ || fullyObscured_) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now - lastViewableCheck_ >= kViewableCheckInterval) {
            lastViewableCheck_ = now;
            XWindowAttributes attributes;
            ErrorTrap trap(display_);
            viewable_ = XGetWindowAttributes(display_, window_, &attributes) && trap.ok() &&
                        attributes.map_state == IsViewable;
            paused_->store(!viewable_, std::memory_order_relaxed);
        }
        return viewable_;
    }

    bool keysArriveNatively() const override { return hasFocus_; }

    double desktopScale() override {
        if (!display_) return 0;
        // The resource string as it is now: XResourceManagerString keeps what the server
        // had when the connection was made.
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* text = nullptr;
        ErrorTrap trap(display_);
        const bool read = XGetWindowProperty(display_, RootWindow(display_, 0), XA_RESOURCE_MANAGER, 0, 1 << 16,
                                             False, XA_STRING, &type, &format, &count, &after, &text) == Success;
        const bool usable = read && trap.ok() && text && type == XA_STRING && format == 8;
        const double scale = platform::desktopScaleFrom(usable ? reinterpret_cast<const char*>(text) : nullptr,
                                                        std::getenv("GDK_SCALE"), std::getenv("QT_SCALE_FACTOR"));
        if (text) XFree(text);
        return scale;
    }

    bool screenOrigin(int& x, int& y) override {
        if (!window_) return false;
        Window child = 0;
        ErrorTrap trap(display_);
        const bool translated =
            XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), 0, 0, &x, &y, &child) != 0;
        return translated && trap.ok();
    }

    bool startTimer(int periodMs, std::function<void()> tick) override {
        stopTimer();
        if (!window_ || periodMs <= 0 || !tick) return false;
        timer_ = std::make_unique<FrameTimer>(ConnectionNumber(display_), periodMs, std::move(tick), paused_);
        if (!timer_->running()) timer_.reset();
        return timer_ != nullptr;
    }

    void stopTimer() override {
        if (!timer_) return;
        timer_->stop();
        timer_.reset();
    }

private:
    // 24-bit true-colour visuals take the back buffer's pixels as they are; others (and
    // 32-bit visuals, whose alpha byte must be set) go through cairo's own conversion.
    bool directPixels() const {
        return depth_ == 24 && visual_->red_mask == 0xFF0000 && visual_->green_mask == 0xFF00 &&
               visual_->blue_mask == 0xFF;
    }

    bool createBuffers() {
        // Shared with the server where it can be, else in our own memory.
        if (directPixels() && sharedImage_.create(display_, visual_, depth_, width_, height_))
            backBuffer_ = cairo_image_surface_create_for_data(sharedImage_.pixels(), CAIRO_FORMAT_RGB24, width_,
                                                              height_, sharedImage_.stride());
        else
            backBuffer_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width_, height_);
        if (cairo_surface_status(backBuffer_) != CAIRO_STATUS_SUCCESS) return false;
        if (directPixels()) {
            if (!gc_) gc_ = XCreateGC(display_, window_, 0, nullptr);
            return gc_ != nullptr;
        }
        windowSurface_ = cairo_xlib_surface_create(display_, window_, visual_, width_, height_);
        return cairo_surface_status(windowSurface_) == CAIRO_STATUS_SUCCESS;
    }

    void destroyBuffers() {
        if (backBuffer_) cairo_surface_destroy(backBuffer_);
        sharedImage_.release();
        if (windowSurface_) cairo_surface_destroy(windowSurface_);
        backBuffer_ = nullptr;
        windowSurface_ = nullptr;
    }

    // Copies `area` of the back buffer to the window.
    void present(const CRect& area) {
        const int left = static_cast<int>(area.left);
        const int top = static_cast<int>(area.top);
        const auto width = static_cast<unsigned>(std::ceil(area.right) - left);
        const auto height = static_cast<unsigned>(std::ceil(area.bottom) - top);
        if (gc_ && sharedImage_.valid()) {
            sharedImage_.put(window_, gc_, left, top, width, height);
        } else if (gc_) {
            XImage* image = XCreateImage(display_, visual_, static_cast<unsigned>(depth_), ZPixmap, 0,
                                         reinterpret_cast<char*>(cairo_image_surface_get_data(backBuffer_)),
                                         static_cast<unsigned>(width_), static_cast<unsigned>(height_), 32,
                                         cairo_image_surface_get_stride(backBuffer_));
            if (!image) return;
            XPutImage(display_, window_, gc_, image, left, top, left, top, width, height);
            image->data = nullptr;  // the pixels stay cairo's
            XDestroyImage(image);
        } else if (windowSurface_) {
            cairo_t* window = cairo_create(windowSurface_);
            cairo_set_operator(window, CAIRO_OPERATOR_SOURCE);
            cairo_set_source_surface(window, backBuffer_, 0, 0);
            cairo_rectangle(window, left, top, width, height);
            cairo_fill(window);
            cairo_destroy(window);
            cairo_surface_flush(windowSurface_);
        }
    }

    CRect bounds() const { return CRect(0, 0, width_, height_); }

    // Something about the window changed for the better: check again at the next question.
    void becameVisible() {
        lastViewableCheck_ = {};
        viewable_ = true;
        paused_->store(false, std::memory_order_relaxed);
    }

    void focus(Window target) {
        if (!window_ || !target) return;
        ErrorTrap trap(display_);  // refused while the window is not viewable
        XSetInputFocus(display_, target, RevertToParent, CurrentTime);
    }

    void handle(XEvent& event) {
        if (sharedImage_.handleEvent(event)) return;
        switch (event.type) {
            case Expose:
                pending_.add(CRect(event.xexpose.x, event.xexpose.y, event.xexpose.x + event.xexpose.width,
                                   event.xexpose.y + event.xexpose.height),
                             bounds());
                if (event.xexpose.count == 0) update();
                becameVisible();
                break;
            case VisibilityNotify:
                fullyObscured_ = event.xvisibility.state == VisibilityFullyObscured;
                if (!fullyObscured_) becameVisible();
                else paused_->store(true, std::memory_order_relaxed);
                break;
            case MapNotify:
                if (event.xmap.window == window_) mapped_ = true;
                becameVisible();
                break;
            case UnmapNotify:
                if (event.xunmap.window == window_) {
                    mapped_ = false;
                    paused_->store(true, std::memory_order_relaxed);
                }
                break;
            case ButtonPress: onButtonPress(event.xbutton); break;
            case ButtonRelease: {
                const std::int32_t bit = bitForButton(event.xbutton.button);
                if (bit)
                    frame_.platformOnMouseUp(CPoint(event.xbutton.x, event.xbutton.y),
                                             CButtonState(modifierBits(event.xbutton.state) | bit));
                break;
            }
            case MotionNotify: {
                // Only the newest of directly following moves matters; moves queued
                // behind other events must wait their turn.
                XEvent next;
                while (XPending(display_) > 0 && XPeekEvent(display_, &next) && next.type == MotionNotify &&
                       next.xmotion.window == window_)
                    XNextEvent(display_, &event);
                frame_.platformOnMouseMoved(CPoint(event.xmotion.x, event.xmotion.y),
                                            CButtonState(buttonBits(event.xmotion.state)));
                break;
            }
            case EnterNotify:
                frame_.platformOnMouseMoved(CPoint(event.xcrossing.x, event.xcrossing.y),
                                            CButtonState(buttonBits(event.xcrossing.state)));
                break;
            case LeaveNotify:
                if (event.xcrossing.mode == NotifyNormal && event.xcrossing.detail != NotifyInferior)
                    frame_.platformOnMouseExited(CPoint(event.xcrossing.x, event.xcrossing.y),
                                                 CButtonState(buttonBits(event.xcrossing.state)));
                break;
            case KeyPress: frame_.platformOnKeyDown(translateKey(event.xkey)); break;
            case FocusIn:
                if (event.xfocus.detail != NotifyPointer && event.xfocus.detail != NotifyInferior) hasFocus_ = true;
                break;
            case FocusOut:
                // Only a focus we were really given can be lost; pointer-root focus
                // changes come and go with the mouse.
                if (hasFocus_ && event.xfocus.mode == NotifyNormal && event.xfocus.detail != NotifyInferior &&
                    event.xfocus.detail != NotifyPointer) {
                    hasFocus_ = false;
                    frame_.platformOnFocusLost();
                }
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window_) window_ = 0;
                break;
            default: break;
        }
    }

    void onButtonPress(const XButtonEvent& press) {
        const CPoint where(press.x, press.y);
        const std::int32_t modifiers = modifierBits(press.state);
        if (press.button == Button4 || press.button == Button5) {
            frame_.platformOnMouseWheel(where, press.button == Button4 ? 1.f : -1.f, CButtonState(modifiers));
            return;
        }
        const std::int32_t bit = bitForButton(press.button);
        if (!bit) return;
        const bool doubleClick = press.button == lastButton_ && press.time - lastPressTime_ <= kDoubleClickMs &&
                                 std::abs(press.x - lastPressX_) <= kDoubleClickDistance &&
                                 std::abs(press.y - lastPressY_) <= kDoubleClickDistance;
        // A third press starts a new pair.
        lastButton_ = doubleClick ? 0 : press.button;
        lastPressTime_ = press.time;
        lastPressX_ = press.x;
        lastPressY_ = press.y;
        frame_.platformOnMouseDown(where, CButtonState(modifiers | bit | (doubleClick ? kDoubleClick : 0)));
    }

    IPlatformFrameCallbacks& frame_;
    Display* display_ = nullptr;   // our own connection
    Window parent_ = 0;            // the host's window
    Window window_ = 0;            // ours; 0 once destroyed
    Visual* visual_ = nullptr;
    int width_ = 0;                // pixels
    int height_ = 0;               // pixels
    cairo_surface_t* backBuffer_ = nullptr;  // drawn into; over sharedImage_'s pixels when valid
    SharedImage sharedImage_;
    cairo_surface_t* windowSurface_ = nullptr;  // only for visuals that need converting
    GC gc_ = nullptr;              // for copying pixels straight to the window
    int depth_ = 0;                // bits per pixel of the window's visual
    DirtyRegion pending_;          // areas waiting for update()
    std::unique_ptr<FrameTimer> timer_;  // only start and stop touch it
    std::shared_ptr<std::atomic<bool>> paused_ = std::make_shared<std::atomic<bool>>(false);
    bool mapped_ = true;           // we map the window at creation
    bool fullyObscured_ = false;   // covered completely by other windows
    bool viewable_ = true;         // as last checked with the server
    std::chrono::steady_clock::time_point lastViewableCheck_{};
    unsigned int lastButton_ = 0;  // for double-click detection
    Time lastPressTime_ = 0;       // milliseconds, X server time
    int lastPressX_ = 0;
    int lastPressY_ = 0;
    bool hasFocus_ = false;        // we hold the keyboard focus we asked for
};

}  // namespace

std::unique_ptr<IPlatformWindow> createPlatformWindow(void* parent, int width, int height,
                                                      IPlatformFrameCallbacks& frame) {
    if (!parent) return nullptr;
    auto window = std::make_unique<X11Window>(frame);
    if (!window->create(static_cast<Window>(reinterpret_cast<std::uintptr_t>(parent)), width, height)) return nullptr;
    return window;
}

}  // namespace toolkit
