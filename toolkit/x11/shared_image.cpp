#include "toolkit/x11/shared_image.h"

#include "toolkit/x11/error_trap.h"

#include <X11/Xutil.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <cstddef>

namespace toolkit::x11 {
SharedImage::~SharedImage() { release(); }

bool SharedImage::create(Display* display, Visual* visual, int depth, int width, int height) {
    release();
    if (!display || !XShmQueryExtension(display)) return false;
    display_ = display;
    image_ = XShmCreateImage(display, visual, static_cast<unsigned>(depth), ZPixmap, nullptr, &segment_,
                             static_cast<unsigned>(width), static_cast<unsigned>(height));
    if (!image_ || image_->bits_per_pixel != 32) {
        release();
        return false;
    }
    segment_.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image_->bytes_per_line) * image_->height, IPC_CREAT | 0600);
    if (segment_.shmid < 0) {
        release();
        return false;
    }
    void* memory = shmat(segment_.shmid, nullptr, 0);
    // Marked for removal at once: the segment goes when both sides let go, even after a crash.
    shmctl(segment_.shmid, IPC_RMID, nullptr);
    if (memory == reinterpret_cast<void*>(-1)) {
        segment_.shmid = -1;
        release();
        return false;
    }
    segment_.shmaddr = image_->data = static_cast<char*>(memory);
    completionEvent_ = XShmGetEventBase(display) + ShmCompletion;
    segment_.readOnly = False;
    {
        // Displays that cannot share our memory (remote ones) refuse with an X error.
        ErrorTrap trap(display);
        attached_ = XShmAttach(display, &segment_) && trap.ok();
    }
    if (!attached_) {
        release();
        return false;
    }
    return true;
}

void SharedImage::release() {
    if (attached_) {
        XShmDetach(display_, &segment_);
        XSync(display_, False);
    }
    attached_ = false;
    pendingPuts_ = 0;
    if (segment_.shmaddr) shmdt(segment_.shmaddr);
    segment_ = XShmSegmentInfo{};
    if (image_) {
        image_->data = nullptr;  // the pixels were the segment's
        XDestroyImage(image_);
    }
    image_ = nullptr;
}

void SharedImage::put(Window window, GC gc, int left, int top, unsigned width, unsigned height) {
    if (!image_) return;
    XShmPutImage(display_, window, gc, image_, left, top, left, top, width, height, True);
    ++pendingPuts_;
}

bool SharedImage::handleEvent(const XEvent& event) {
    if (!image_ || event.type != completionEvent_) return false;
    if (pendingPuts_ > 0) --pendingPuts_;
    return true;
}

void SharedImage::waitUntilRead() {
    if (pendingPuts_ == 0) return;
    // Every notice the server sent by now (and any other event) comes in with the reply.
    XSync(display_, False);
    XEvent event;
    while (pendingPuts_ > 0 && XCheckTypedEvent(display_, completionEvent_, &event)) --pendingPuts_;
    pendingPuts_ = 0;  // after the round trip the server has read everything put before it
}

}  // namespace toolkit::x11
