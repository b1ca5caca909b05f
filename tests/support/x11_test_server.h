#pragma once
// For tests on a real X server: a private Xvfb of the test's own, and screenshots of windows.
#include <X11/Xlib.h>
#include <sys/types.h>

#include <string>

namespace testsupport {

// Runs an Xvfb of its own on a free display number for the life of the object.
class PrivateXServer {
public:
    explicit PrivateXServer(const char* screen = "640x480x24");
    ~PrivateXServer();
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& name() const { return name_; }
    static bool installed();

private:
    bool waitUntilReady();
    void stop();

    pid_t pid_ = 0;
    std::string name_;
};

// Replaces the resource string on the root window of screen 0, as xrdb leaves it (Xft.dpi and
// the like); an empty text takes it away.
void setRootResources(Display* display, const std::string& text);

// Saves what `window` shows (width x height from its top-left corner) as a PNG.
bool saveScreenshot(Display* display, Window window, int width, int height, const char* path);

}  // namespace testsupport
