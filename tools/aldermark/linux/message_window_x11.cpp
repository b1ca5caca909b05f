// The message window on X11: the text in the server's core font, closed by a click, a key
// or the window manager's close button.
#include <algorithm>
#include <string>
#include <vector>

#include "tools/aldermark/message_window.h"

// After our headers: Xlib defines macros such as None and Bool.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace aldermark {
namespace {

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines(1);
    for (const char c : text) {
        if (c == '\n') lines.emplace_back();
        else lines.back() += c;
    }
    return lines;
}

}  // namespace

bool showMessageWindow(const std::string& title, const std::string& message) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    XFontStruct* font = XLoadQueryFont(display, "fixed");
    const std::vector<std::string> lines = linesOf(message + "\n\n(click or press a key to close)");
    const int lineHeight = font ? font->ascent + font->descent + 2 : 15;
    int width = 200;
    for (const std::string& line : lines)
        width = std::max(width, font ? XTextWidth(font, line.c_str(), static_cast<int>(line.size())) : 7 * static_cast<int>(line.size()));
    const int margin = 16;
    const int screen = DefaultScreen(display);
    const Window window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0,
                                              static_cast<unsigned>(width + 2 * margin),
                                              static_cast<unsigned>(lineHeight * static_cast<int>(lines.size()) + 2 * margin),
                                              0, BlackPixel(display, screen), WhitePixel(display, screen));
    Xutf8SetWMProperties(display, window, title.c_str(), title.c_str(), nullptr, 0, nullptr, nullptr, nullptr);
    Atom deleteWindow = XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display, window, &deleteWindow, 1);
    XSelectInput(display, window, ExposureMask | KeyPressMask | ButtonPressMask);
    const GC gc = XCreateGC(display, window, 0, nullptr);
    XSetForeground(display, gc, BlackPixel(display, screen));
    if (font) XSetFont(display, gc, font->fid);
    XMapRaised(display, window);
    for (bool open = true; open;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            int y = margin + (font ? font->ascent : 12);
            for (const std::string& line : lines) {
                XDrawString(display, window, gc, margin, y, line.c_str(), static_cast<int>(line.size()));
                y += lineHeight;
            }
        }
        open = !(event.type == KeyPress || event.type == ButtonPress ||
                 (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == deleteWindow));
    }
    XFreeGC(display, gc);
    if (font) XFreeFont(display, font);
    XDestroyWindow(display, window);
    XCloseDisplay(display);
    return true;
}

}  // namespace aldermark
