#pragma once
// The host's top-level window that a plug-in's editor opens in: an X11 window on a
// connection of its own (Linux) or a Win32 window (Windows), with the host's own handling
// of its events. Everything but requestClientSize runs on the thread that made the window.
#include <memory>
#include <string>

#include "tools/aldermark/png_writer.h"

namespace aldermark {

class EditorWindow {
public:
    virtual ~EditorWindow() = default;

    // A window whose client area is width x height, not yet shown; null with a one-line
    // reason when the window system cannot be reached.
    static std::unique_ptr<EditorWindow> create(const std::string& title, int width, int height, std::string& error);
    // Whether this machine has a display to show windows on at all: false, with a one-line
    // reason, when the X display cannot be opened; on Windows there is always a desktop.
    static bool displayAvailable(std::string& reason);

    // What effEditOpen receives: the X Window id or the HWND.
    virtual void* nativeHandle() const = 0;
    // Shows the window and waits (briefly) until the window system has put it on screen.
    virtual void show() = 0;
    // Any thread: asks for a client area of width x height; the next handleEvents applies it.
    virtual void requestClientSize(int width, int height) = 0;
    // Handles what is pending (size requests, the user closing the window, window-system
    // messages, which on Windows include the editor's own timer and input), then waits up
    // to `milliseconds` for more.
    virtual void handleEvents(int milliseconds) = 0;
    virtual bool closedByUser() const = 0;
    // The client area's current size as the window system reports it.
    virtual void clientSize(int& width, int& height) const = 0;
    // What the screen shows of the client area; false with a reason when it cannot be read.
    virtual bool capture(RgbaImage& image, std::string& error) = 0;
};

// The largest client area the host agrees to.
constexpr int kMaxClientSide = 16384;

}  // namespace aldermark
