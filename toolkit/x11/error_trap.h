#pragma once
// Catches the X errors of the calls in its scope instead of letting Xlib's default handler
// end the host. The handler is process-wide state, so it is installed only for the one call
// and put back at once.
#include <X11/Xlib.h>

namespace toolkit::x11 {

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : display_(display) {
        failed() = false;
        previous_ = XSetErrorHandler(&ErrorTrap::onError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;
    bool ok() {
        XSync(display_, False);
        return !failed();
    }

private:
    static bool& failed() {
        static bool flag = false;
        return flag;
    }
    static int onError(Display*, XErrorEvent*) {
        failed() = true;
        return 0;
    }
    Display* display_;
    int (*previous_)(Display*, XErrorEvent*);
};

}  // namespace toolkit::x11
