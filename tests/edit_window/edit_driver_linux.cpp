// The window tests' platform part on Linux: a private Xvfb, aldermark started with
// posix_spawn and read through pipes, its window found by its title, XTest input.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "tests/edit_window/edit_driver.h"
#include "tests/support/x11_test_server.h"
#include "tools/aldermark/edit_session.h"
#include "tools/aldermark/host_platform.h"

extern char** environ;

namespace edittest {
namespace {

std::string besideTest(const char* relative) {
    return host_platform::joinPath(host_platform::executableDirectory(), relative);
}

class LinuxDriver : public EditDriver {
public:
    LinuxDriver() : server_("1280x800x24") {
        if (server_.running()) display_ = XOpenDisplay(server_.name().c_str());
    }
    ~LinuxDriver() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (reader_.joinable()) reader_.join();
        if (display_) XCloseDisplay(display_);
    }

    bool ready(std::string& why) override {
        int event = 0, error = 0, major = 0, minor = 0;
        if (!display_) why = "no private X server (is Xvfb installed?)";
        else if (!XTestQueryExtension(display_, &event, &error, &major, &minor)) why = "the X server has no XTest";
        else return true;
        return false;
    }

    bool setDesktopDpi(int dpi) override {
        const std::string resources = "Xft.dpi:\t" + std::to_string(dpi) + "\n";
        XChangeProperty(display_, DefaultRootWindow(display_), XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(resources.c_str()), static_cast<int>(resources.size()));
        XSync(display_, False);
        return true;
    }

    int run(const std::vector<std::string>& args) override {
        return start(args) ? waitForExit(120) : -1;
    }

    bool start(const std::vector<std::string>& args) override {
        output_.clear();
        {
            std::lock_guard<std::mutex> lock(errorsMutex_);
            errors_.clear();
        }
        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0) return false;
        if (pipe2(err, O_CLOEXEC) != 0) return false;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        const std::string program = besideTest(EDIT_TEST_HOST_PROGRAM);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        std::vector<std::string> environment{"DISPLAY=" + server_.name()};
        for (char** variable = environ; *variable; ++variable)
            // The desktop's scale is the server's alone, whatever the session running the tests says.
            if (std::strncmp(*variable, "DISPLAY=", 8) != 0 && std::strncmp(*variable, "GDK_SCALE=", 10) != 0 &&
                std::strncmp(*variable, "QT_SCALE_FACTOR=", 16) != 0)
                environment.emplace_back(*variable);
        std::vector<char*> envp;
        for (std::string& variable : environment) envp.push_back(variable.data());
        envp.push_back(nullptr);
        const bool started = posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        if (!started) {
            pid_ = 0;
            close(out[0]);
            close(err[0]);
            return false;
        }
        reader_ = std::thread(&LinuxDriver::read, this, out[0], err[0]);
        return true;
    }

    std::string errors() override {
        std::lock_guard<std::mutex> lock(errorsMutex_);
        return errors_;
    }

    int waitForExit(double seconds) override {
        if (pid_ <= 0) return -1;
        int status = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, &status, 0);
                status = -1;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = 0;
        if (reader_.joinable()) reader_.join();  // everything it printed is in
        if (status == -1) return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    bool findWindow(double seconds) override {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!(window_ = windowTitled(aldermark::kEditWindowTitle))) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return true;
    }

    void clientSize(int& width, int& height) override {
        Window root = 0;
        int x = 0, y = 0;
        unsigned w = 0, h = 0, border = 0, depth = 0;
        if (!window_ || !XGetGeometry(display_, window_, &root, &x, &y, &w, &h, &border, &depth)) w = h = 0;
        width = static_cast<int>(w);
        height = static_cast<int>(h);
    }

    void click(int x, int y) override { clickWith(1, x, y); }
    void rightClick(int x, int y) override { clickWith(3, x, y); }
    void clickWith(unsigned button, int x, int y) {
        int screenX = 0, screenY = 0;
        Window child = 0;
        XTranslateCoordinates(display_, window_, DefaultRootWindow(display_), x, y, &screenX, &screenY, &child);
        XTestFakeMotionEvent(display_, DefaultScreen(display_), screenX, screenY, CurrentTime);
        XTestFakeButtonEvent(display_, button, True, CurrentTime);
        XTestFakeButtonEvent(display_, button, False, CurrentTime);
        XFlush(display_);
    }

    void type(const std::string& text) override {
        for (char c : text) {
            char name[2] = {c, 0};
            const KeySym keysym = c == ' ' ? XK_space : XStringToKeysym(name);
            tap(keysym, c >= 'A' && c <= 'Z');
        }
    }

    void press(Key key) override {
        switch (key) {
            case Key::Return: tap(XK_Return, false); break;
            case Key::Escape: tap(XK_Escape, false); break;
            case Key::Tab: tap(XK_Tab, false); break;
            case Key::Backspace: tap(XK_BackSpace, false); break;
        }
    }

    void closeWindow() override {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window_;
        event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display_, window_, False, NoEventMask, &event);
        XFlush(display_);
    }

    void endSession() override {
        if (pid_ > 0) kill(pid_, SIGTERM);
    }

    bool capture(aldermark::RgbaImage& image) override {
        int width = 0, height = 0;
        clientSize(width, height);
        XImage* shot = width > 0 ? XGetImage(display_, window_, 0, 0, static_cast<unsigned>(width),
                                             static_cast<unsigned>(height), AllPlanes, ZPixmap)
                                 : nullptr;
        if (!shot) return false;
        image.width = width;
        image.height = height;
        image.pixels.clear();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned long pixel = XGetPixel(shot, x, y);  // the server's 24-bit 0xRRGGBB
                image.pixels.insert(image.pixels.end(), {static_cast<unsigned char>(pixel >> 16),
                                                         static_cast<unsigned char>(pixel >> 8),
                                                         static_cast<unsigned char>(pixel), 255});
            }
        XDestroyImage(shot);
        return true;
    }

    bool readPng(const std::string& path, aldermark::RgbaImage& image) override {
        cairo_surface_t* surface = cairo_image_surface_create_from_png(path.c_str());
        const bool ok = cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS;
        if (ok) {
            image.width = cairo_image_surface_get_width(surface);
            image.height = cairo_image_surface_get_height(surface);
            const int stride = cairo_image_surface_get_stride(surface);
            const unsigned char* data = cairo_image_surface_get_data(surface);
            image.pixels.clear();
            for (int y = 0; y < image.height; ++y)
                for (int x = 0; x < image.width; ++x) {
                    std::uint32_t pixel = 0;  // premultiplied ARGB in native order; ours are opaque
                    std::memcpy(&pixel, data + y * stride + x * 4, 4);
                    image.pixels.insert(image.pixels.end(),
                                        {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                         static_cast<unsigned char>(pixel), static_cast<unsigned char>(pixel >> 24)});
                }
        }
        cairo_surface_destroy(surface);
        return ok;
    }

    std::string testEditorPlugin() const override { return besideTest(EDIT_TEST_EDITOR_PLUGIN); }

private:
    // Collects standard output as lines and standard error as text until both close.
    void read(int out, int err) {
        std::string partial;
        pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
        for (int open = 2; open > 0;) {
            if (poll(fds, 2, -1) < 0) break;
            for (pollfd& fd : fds) {
                if (fd.fd < 0 || !(fd.revents & (POLLIN | POLLHUP | POLLERR))) continue;
                char buffer[4096];
                const ssize_t got = ::read(fd.fd, buffer, sizeof buffer);
                if (got <= 0) {
                    close(fd.fd);
                    fd.fd = -1;
                    --open;
                } else if (fd.fd == out) {
                    partial.append(buffer, static_cast<std::size_t>(got));
                    for (std::size_t end; (end = partial.find('\n')) != std::string::npos; partial.erase(0, end + 1))
                        output_.add(partial.substr(0, end));
                } else {
                    std::lock_guard<std::mutex> lock(errorsMutex_);
                    errors_.append(buffer, static_cast<std::size_t>(got));
                }
            }
        }
    }

    // A top-level window whose UTF-8 name is `title`.
    Window windowTitled(const std::string& title) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &count)) return 0;
        const Atom name = XInternAtom(display_, "_NET_WM_NAME", False);
        const Atom utf8 = XInternAtom(display_, "UTF8_STRING", False);
        Window found = 0;
        for (unsigned i = 0; i < count && !found; ++i) {
            Atom type = 0;
            int format = 0;
            unsigned long items = 0, left = 0;
            unsigned char* value = nullptr;
            if (XGetWindowProperty(display_, children[i], name, 0, 256, False, utf8, &type, &format, &items, &left,
                                   &value) == Success &&
                value) {
                if (std::string(reinterpret_cast<char*>(value), items) == title) found = children[i];
                XFree(value);
            }
        }
        if (children) XFree(children);
        return found;
    }

    testsupport::PrivateXServer server_;
    void tap(KeySym keysym, bool shifted) {
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        if (!code) return;
        const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
        if (shifted) XTestFakeKeyEvent(display_, shift, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, True, CurrentTime);
        XTestFakeKeyEvent(display_, code, False, CurrentTime);
        if (shifted) XTestFakeKeyEvent(display_, shift, False, CurrentTime);
        XFlush(display_);
        usleep(20000);  // as fast as a quick typist, no faster
    }

    Display* display_ = nullptr;  // the test's own connection, for finding and clicking
    Window window_ = 0;
    pid_t pid_ = 0;
    std::thread reader_;
    std::mutex errorsMutex_;
    std::string errors_;
};

}  // namespace

std::unique_ptr<EditDriver> EditDriver::create() { return std::make_unique<LinuxDriver>(); }

}  // namespace edittest
