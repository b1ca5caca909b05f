#include "tests/support/host_window.h"

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <thread>

namespace testsupport {

TestHostWindow::TestHostWindow(int width, int height) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    connection_ = display;
    const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, static_cast<unsigned>(width),
                                              static_cast<unsigned>(height), 0, 0, 0x202020);
    XMapWindow(display, window);
    XSync(display, False);
    handle_ = reinterpret_cast<void*>(static_cast<std::uintptr_t>(window));
}

TestHostWindow::~TestHostWindow() {
    auto* display = static_cast<Display*>(connection_);
    if (!display) return;
    if (handle_) XDestroyWindow(display, static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle_)));
    XCloseDisplay(display);
}

void TestHostWindow::setShown(bool shown) {
    auto* display = static_cast<Display*>(connection_);
    if (!display || !handle_) return;
    const auto window = static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle_));
    if (shown) XMapWindow(display, window);
    else XUnmapWindow(display, window);
    XSync(display, False);
}

void TestHostWindow::pump(int milliseconds) {
    if (auto* display = static_cast<Display*>(connection_)) {
        XSync(display, False);
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
        }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int TestHostWindow::childCount() const {
    auto* display = static_cast<Display*>(connection_);
    if (!display || !handle_) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, static_cast<Window>(reinterpret_cast<std::uintptr_t>(handle_)), &root, &parent, &children,
                    &count))
        return 0;
    if (children) XFree(children);
    return static_cast<int>(count);
}

void* TestHostWindow::bogusHandle() { return reinterpret_cast<void*>(std::uintptr_t{0x3fffff7}); }

}  // namespace testsupport
