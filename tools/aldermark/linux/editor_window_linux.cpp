// The editor's window on X11: a top-level window on the host's own display connection. The
// plug-in makes its child window inside it on a connection of its own; this one only sees
// the window manager's messages, size changes and its own resizing.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "tools/aldermark/editor_window.h"

// After our headers: Xlib defines macros such as None and Bool.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace aldermark {
namespace {

// Errors on the connections of this process (the plug-in's included) are reported to the
// call that caused them, never by ending the process, as Xlib's own handler would.
int ignoreXError(Display*, XErrorEvent*) { return 0; }

// An X server without clients resets itself, and refuses connections while it does; a plug-in
// that closes its last connection with its editor would make the next window fail. Like any
// host, this one stays connected from its first window to its end.
void stayConnected() {
    static Display* const anchor = XOpenDisplay(nullptr);
    (void)anchor;
}

// Where a colour channel sits in a pixel of the visual, and how many bits it has.
struct Channel {
    int shift = 0;
    int bits = 0;
    explicit Channel(unsigned long mask) {
        if (!mask) return;
        while (!(mask & 1)) {
            mask >>= 1;
            ++shift;
        }
        while (mask & 1) {
            mask >>= 1;
            ++bits;
        }
    }
    unsigned char of(unsigned long pixel) const {
        if (bits == 0) return 0;
        const unsigned long value = (pixel >> shift) & ((1ul << bits) - 1);
        return static_cast<unsigned char>(bits >= 8 ? value >> (bits - 8) : value * 255 / ((1ul << bits) - 1));
    }
};

class X11EditorWindow : public EditorWindow {
public:
    ~X11EditorWindow() override {
        if (display_) {
            if (window_) XDestroyWindow(display_, window_);
            XCloseDisplay(display_);
        }
        if (wake_ >= 0) close(wake_);
    }

    bool create(const std::string& title, int width, int height, std::string& error) {
        XSetErrorHandler(&ignoreXError);
        stayConnected();
        display_ = XOpenDisplay(nullptr);
        if (!display_) {
            error = "cannot open the X display (is DISPLAY set?)";
            return false;
        }
        wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_ < 0) {
            error = "cannot make the window's wake-up channel";
            return false;
        }
        width_ = width;
        height_ = height;
        const int screen = DefaultScreen(display_);
        XSetWindowAttributes attributes{};
        attributes.background_pixel = 0x202020;
        attributes.event_mask = StructureNotifyMask;
        window_ = XCreateWindow(display_, RootWindow(display_, screen), 0, 0, static_cast<unsigned>(width),
                                static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                                CWBackPixel | CWEventMask, &attributes);
        if (!window_) {
            error = "cannot create a window on the X display";
            return false;
        }
        setTitle(title);
        deleteWindow_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window_, &deleteWindow_, 1);
        const long pid = getpid();
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32,
                        PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
        fixSize(width, height);
        XSync(display_, False);
        return true;
    }

    void* nativeHandle() const override { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window_)); }

    void show() override {
        XMapRaised(display_, window_);
        XFlush(display_);
        // The editor should find a viewable parent; a window manager may take a moment.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!mapped_ && !closed_ && std::chrono::steady_clock::now() < deadline) handleEvents(10);
    }

    void requestClientSize(int width, int height) override {
        requested_.store(static_cast<std::uint64_t>(width) << 32 | static_cast<std::uint32_t>(height));
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(wake_, &one, sizeof one);
    }

    void handleEvents(int milliseconds) override {
        applyRequestedSize();
        if (XPending(display_) == 0 && milliseconds > 0) {
            pollfd fds[2] = {{ConnectionNumber(display_), POLLIN, 0}, {wake_, POLLIN, 0}};
            poll(fds, 2, milliseconds);
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t drained = read(wake_, &count, sizeof count);
            applyRequestedSize();
        }
        while (XPending(display_) > 0) {
            XEvent event;
            XNextEvent(display_, &event);
            handle(event);
        }
    }

    bool closedByUser() const override { return closed_; }

    void clientSize(int& width, int& height) const override {
        width = width_;
        height = height_;
    }

    bool capture(RgbaImage& image, std::string& error) override {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display_, window_, &attributes) || attributes.map_state != IsViewable) {
            error = "the window is not on screen";
            return false;
        }
        XImage* shot = XGetImage(display_, window_, 0, 0, static_cast<unsigned>(attributes.width),
                                 static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
        if (!shot) {
            error = "the X server did not hand out the window's pixels";
            return false;
        }
        const Channel red(attributes.visual->red_mask), green(attributes.visual->green_mask),
            blue(attributes.visual->blue_mask);
        image.width = attributes.width;
        image.height = attributes.height;
        image.pixels.resize(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 4);
        unsigned char* out = image.pixels.data();
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x, out += 4) {
                const unsigned long pixel = XGetPixel(shot, x, y);
                out[0] = red.of(pixel);
                out[1] = green.of(pixel);
                out[2] = blue.of(pixel);
                out[3] = 255;
            }
        XDestroyImage(shot);
        return true;
    }

private:
    // WM_NAME takes Latin-1 only; the full title goes into the window manager's UTF-8 name.
    void setTitle(const std::string& title) {
        std::string latin;
        for (unsigned char c : title) {
            if (c < 0x80) latin += static_cast<char>(c);
            else if (c >= 0xC0) latin += '-';  // one character beyond ASCII; its other bytes are skipped
        }
        XStoreName(display_, window_, latin.c_str());
        XChangeProperty(display_, window_, XInternAtom(display_, "_NET_WM_NAME", False),
                        XInternAtom(display_, "UTF8_STRING", False), 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(title.data()), static_cast<int>(title.size()));
        char name[] = "aldermark", windowClass[] = "Aldermark";
        XClassHint hint{name, windowClass};
        XSetClassHint(display_, window_, &hint);
    }

    // The editor decides the size: the window manager offers no other.
    void fixSize(int width, int height) {
        XSizeHints hints{};
        hints.flags = PMinSize | PMaxSize;
        hints.min_width = hints.max_width = width;
        hints.min_height = hints.max_height = height;
        XSetWMNormalHints(display_, window_, &hints);
    }

    void applyRequestedSize() {
        const std::uint64_t wanted = requested_.exchange(0);
        if (!wanted) return;
        const auto width = static_cast<int>(wanted >> 32);
        const auto height = static_cast<int>(wanted & 0xffffffffu);
        fixSize(width, height);
        XResizeWindow(display_, window_, static_cast<unsigned>(width), static_cast<unsigned>(height));
        XFlush(display_);
    }

    void handle(const XEvent& event) {
        switch (event.type) {
            case ClientMessage:
                if (static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow_) closed_ = true;
                break;
            case ConfigureNotify:
                if (event.xconfigure.window == window_) {
                    width_ = event.xconfigure.width;
                    height_ = event.xconfigure.height;
                }
                break;
            case MapNotify:
                if (event.xmap.window == window_) mapped_ = true;
                break;
            case UnmapNotify:
                if (event.xunmap.window == window_) mapped_ = false;
                break;
            case DestroyNotify:
                if (event.xdestroywindow.window == window_) {
                    window_ = 0;
                    closed_ = true;
                }
                break;
            default: break;
        }
    }

    Display* display_ = nullptr;  // the host's own connection
    Window window_ = 0;
    Atom deleteWindow_ = 0;
    int wake_ = -1;               // eventfd: a size request arrived from another thread
    std::atomic<std::uint64_t> requested_{0};  // width << 32 | height; 0: nothing asked
    int width_ = 0;
    int height_ = 0;
    bool mapped_ = false;
    bool closed_ = false;
};

}  // namespace

std::unique_ptr<EditorWindow> EditorWindow::create(const std::string& title, int width, int height,
                                                   std::string& error) {
    auto window = std::make_unique<X11EditorWindow>();
    if (!window->create(title, width, height, error)) return nullptr;
    return window;
}

bool EditorWindow::displayAvailable(std::string& reason) {
    XSetErrorHandler(&ignoreXError);
    Display* probe = XOpenDisplay(nullptr);
    if (!probe) {
        const char* name = std::getenv("DISPLAY");
        reason = name && *name ? "cannot open the X display '" + std::string(name) + "'" : "DISPLAY is not set";
        return false;
    }
    stayConnected();  // before the probe goes, so that the server sees no moment without clients
    XCloseDisplay(probe);
    return true;
}

}  // namespace aldermark
