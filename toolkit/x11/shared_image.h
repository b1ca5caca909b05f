#pragma once
// A window's back buffer in memory shared with the X server (MIT-SHM): presenting a frame
// hands the server the area to copy instead of sending every pixel through the socket,
// which at 60 repaints a second is most of what a meter's redraw costs. Only for local
// displays; create() answers false elsewhere and the window sends its pixels as before.
#include <X11/Xlib.h>
#include <X11/extensions/XShm.h>

namespace toolkit::x11 {

class SharedImage {
public:
    SharedImage() = default;
    ~SharedImage();
    SharedImage(const SharedImage&) = delete;
    SharedImage& operator=(const SharedImage&) = delete;

    // 32-bit pixels of `width` x `height` for `visual`; false (nothing held) when the server
    // or the system does not share memory with us.
    bool create(Display* display, Visual* visual, int depth, int width, int height);
    void release();
    bool valid() const { return image_ != nullptr; }
    unsigned char* pixels() const { return reinterpret_cast<unsigned char*>(image_->data); }
    int stride() const { return image_->bytes_per_line; }  // bytes per row

    // Asks the server to copy an area to `window` (the same place in both); the server says
    // when it is done with an event that handleEvent() takes.
    void put(Window window, GC gc, int left, int top, unsigned width, unsigned height);
    // True when `event` was the server's notice that it read the pixels.
    bool handleEvent(const XEvent& event);
    // Before the pixels change: waits until the server has read those of the last put
    // (normally its notice came long before, with the window's other events).
    void waitUntilRead();

private:
    Display* display_ = nullptr;
    XImage* image_ = nullptr;
    XShmSegmentInfo segment_{};
    bool attached_ = false;
    int completionEvent_ = 0;  // event type of the server's notice
    int pendingPuts_ = 0;      // puts the server may still be reading
};

}  // namespace toolkit::x11
