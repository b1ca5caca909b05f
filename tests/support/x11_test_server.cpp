#include "tests/support/x11_test_server.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <cairo.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace testsupport {
namespace {

std::string findXvfb() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/Xvfb";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

}  // namespace

PrivateXServer::PrivateXServer(const char* screen) {
    const std::string xvfb = findXvfb();
    if (xvfb.empty()) return;
    // Xvfb picks a free display itself and writes its number to a pipe: two test runs
    // starting at once cannot both take the same one.
    int numberPipe[2];
    if (pipe(numberPipe) != 0) return;
    const std::string fdArg = std::to_string(numberPipe[1]);
    const char* argv[] = {xvfb.c_str(), "-displayfd", fdArg.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
                          "-noreset", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, numberPipe[0]);
    if (posix_spawn(&pid_, xvfb.c_str(), &actions, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(numberPipe[1]);
    char number[16] = {};  // the display's number and a newline
    std::size_t length = 0;
    pollfd ready{numberPipe[0], POLLIN, 0};
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (pid_ > 0 && !std::memchr(number, '\n', length) && length + 1 < sizeof number &&
           std::chrono::steady_clock::now() < giveUp) {
        if (poll(&ready, 1, 100) <= 0) continue;
        const ssize_t got = read(numberPipe[0], number + length, sizeof number - 1 - length);
        if (got <= 0) break;  // it ended without a display
        length += static_cast<std::size_t>(got);
    }
    close(numberPipe[0]);
    if (pid_ <= 0) return;
    if (!std::memchr(number, '\n', length)) {
        stop();
        return;
    }
    const std::string n = std::to_string(std::atoi(number));
    name_ = ":" + n;
    if (!waitUntilReady()) stop();
}

PrivateXServer::~PrivateXServer() { stop(); }

bool PrivateXServer::installed() { return !findXvfb().empty(); }

bool PrivateXServer::waitUntilReady() {
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (Display* display = XOpenDisplay(name_.c_str())) {
            XCloseDisplay(display);
            return true;
        }
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {  // it gave up (display taken)
            pid_ = 0;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    return false;
}

void PrivateXServer::stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
}

void setRootResources(Display* display, const std::string& text) {
    if (text.empty())
        XDeleteProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER);
    else
        XChangeProperty(display, RootWindow(display, 0), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(text.c_str()), static_cast<int>(text.size()));
    XSync(display, False);
}

bool saveScreenshot(Display* display, Window window, int width, int height, const char* path) {
    XImage* shot = XGetImage(display, window, 0, 0, static_cast<unsigned>(width), static_cast<unsigned>(height),
                             AllPlanes, ZPixmap);
    if (!shot) return false;
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = static_cast<std::uint32_t>(XGetPixel(shot, x, y)) & 0xFFFFFF;
            std::memcpy(data + y * stride + x * 4, &pixel, 4);
        }
    cairo_surface_mark_dirty(image);
    const bool saved = cairo_surface_write_to_png(image, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(image);
    XDestroyImage(shot);
    return saved;
}

}  // namespace testsupport
