// The X11 window on a real X server: a private Xvfb, a parent window standing in for the
// host's, and real input through the XTest extension.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <cairo.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/toolkit/test_support.h"

extern char** environ;

using namespace testsupport;

namespace {

bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

std::string findXvfb() {
    for (const char* dir : {"/usr/bin", "/usr/local/bin", "/bin"}) {
        const std::string path = std::string(dir) + "/Xvfb";
        if (access(path.c_str(), X_OK) == 0) return path;
    }
    return {};
}

// Runs an Xvfb of its own on a free display number for the life of the object.
class PrivateXServer {
public:
    explicit PrivateXServer(const char* screen = "640x480x24") {
        const std::string xvfb = findXvfb();
        if (xvfb.empty()) return;
        for (int number = 57; number < 120 && pid_ <= 0; ++number) {
            const std::string n = std::to_string(number);
            if (fileExists("/tmp/.X11-unix/X" + n) || fileExists("/tmp/.X" + n + "-lock")) continue;
            name_ = ":" + n;
            std::string displayArg = name_;
            const char* argv[] = {xvfb.c_str(), displayArg.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset",
                                  nullptr};
            if (posix_spawn(&pid_, xvfb.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0) pid_ = 0;
            if (pid_ > 0 && !waitUntilReady()) stop();
        }
    }
    ~PrivateXServer() { stop(); }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool running() const { return pid_ > 0; }
    const std::string& name() const { return name_; }
    static bool installed() { return !findXvfb().empty(); }

private:
    bool waitUntilReady() {
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
    void stop() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = 0;
    }

    pid_t pid_ = 0;
    std::string name_;
};

// Runs the frame's idle until `done` holds or two seconds passed.
bool idleUntil(CFrame* frame, const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        frame->idle();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
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

CColor screenPixel(Display* display, Window window, int x, int y) {
    XImage* shot = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!shot) return CColor{0, 0, 0, 0};
    const unsigned long pixel = XGetPixel(shot, 0, 0);
    XDestroyImage(shot);
    return CColor{static_cast<std::uint8_t>(pixel >> 16), static_cast<std::uint8_t>(pixel >> 8),
                  static_cast<std::uint8_t>(pixel), 255};
}

void click(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XFlush(display);
}

void typeKey(Display* display, KeySym keysym) {
    const KeyCode code = XKeysymToKeycode(display, keysym);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    XFlush(display);
}

// Logs the mouse events it gets with their button states.
class InputProbe : public CView {
public:
    explicit InputProbe(const CRect& size) : CView(size) {}
    std::vector<std::string> log;
    CMouseEventResult onMouseDown(CPoint&, const CButtonState& b) override { return record("down", b); }
    CMouseEventResult onMouseUp(CPoint&, const CButtonState& b) override { return record("up", b); }
    CMouseEventResult onMouseEntered(CPoint&, const CButtonState& b) override { return record("enter", b); }
    CMouseEventResult onMouseExited(CPoint&, const CButtonState& b) override { return record("exit", b); }
    bool onWheel(const CPoint&, float distance, const CButtonState& b) override {
        record(distance > 0 ? "wheel+" : "wheel-", b);
        return true;
    }

private:
    CMouseEventResult record(const char* what, const CButtonState& buttons) {
        char text[48];
        std::snprintf(text, sizeof text, "%s %#x", what, static_cast<unsigned>(buttons.getButtonState()));
        log.push_back(text);
        return kMouseEventHandled;
    }
};

void pressButton(Display* display, unsigned int button) {
    XTestFakeButtonEvent(display, button, True, CurrentTime);
    XTestFakeButtonEvent(display, button, False, CurrentTime);
    XFlush(display);
}

void moveTo(Display* display, int x, int y) {
    XTestFakeMotionEvent(display, DefaultScreen(display), x, y, CurrentTime);
    XFlush(display);
}

struct XHost {
    explicit XHost(const char* screen = "640x480x24") : server(screen) {}
    PrivateXServer server;
    Display* display = nullptr;
    Window window = 0;

    bool start() {
        if (!server.running()) return false;
        setenv("DISPLAY", server.name().c_str(), 1);
        display = XOpenDisplay(server.name().c_str());
        if (!display) return false;
        int eventBase = 0, errorBase = 0, major = 0, minor = 0;
        if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) return false;
        // The "host": a top-level window the plug-in's window goes into.
        window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 150, 0, 0, 0x202020);
        XMapWindow(display, window);
        XSync(display, False);
        return true;
    }
    void* parent() const { return reinterpret_cast<void*>(static_cast<std::uintptr_t>(window)); }
    ~XHost() {
        if (display) {
            if (window) XDestroyWindow(display, window);
            XCloseDisplay(display);
        }
    }
};

}  // namespace

TEST(X11Window, MouseStatesWheelAndCrossingsAreTranslated) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    XHost host;
    ASSERT_TRUE(host.start());
    auto* frame = new CFrame(CRect(0, 0, 240, 100), host.parent());
    ASSERT_TRUE(frame->isOpen());
    auto* probe = new InputProbe(CRect(20, 20, 80, 80));
    frame->addView(probe);
    frame->idle();

    moveTo(host.display, 50, 50);
    ASSERT_TRUE(idleUntil(frame, [&] { return !probe->log.empty(); }));
    click(host.display, 50, 50);
    pressButton(host.display, 1);  // second press in quick succession: a double click
    pressButton(host.display, 4);  // wheel up
    const KeyCode shift = XKeysymToKeycode(host.display, XK_Shift_L);
    XTestFakeKeyEvent(host.display, shift, True, CurrentTime);
    pressButton(host.display, 5);  // wheel down with Shift
    XTestFakeKeyEvent(host.display, shift, False, CurrentTime);
    moveTo(host.display, 150, 50);  // off the probe
    XFlush(host.display);
    ASSERT_TRUE(idleUntil(frame, [&] { return probe->log.size() >= 8; })) << probe->log.size();
    const std::vector<std::string> expected{"enter 0",  "down 0x2",   "up 0x2",   "down 0x402",
                                            "up 0x2",   "wheel+ 0",   "wheel- 0x10", "exit 0"};
    EXPECT_EQ(probe->log, expected);
    frame->close();
}

TEST(X11Window, ClosingTheFrameFromAClickInsideIdleIsSafe) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    XHost host;
    ASSERT_TRUE(host.start());
    auto* frame = new CFrame(CRect(0, 0, 240, 100), host.parent());
    ASSERT_TRUE(frame->isOpen());
    struct Closer : CControlListener {
        CFrame* frame;
        void valueChanged(CControl*) override {
            if (frame) frame->close();
            frame = nullptr;
        }
    } closer;
    closer.frame = frame;
    frame->addView(new CKickButton(CRect(0, 0, 100, 100), &closer, 1, nullptr));
    frame->remember();  // keep it inspectable after close()
    frame->idle();
    click(host.display, 50, 50);
    pressButton(host.display, 1);  // more events queued behind the closing click
    EXPECT_TRUE(idleUntil(frame, [&] { return !frame->isOpen(); }));
    EXPECT_EQ(frame->getNbViews(), 0);
    frame->idle();  // a closed frame's idle does nothing
    frame->forget();
}

TEST(X11Window, RealClicksAndKeysReachControlsInsideTheHostWindow) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    PrivateXServer server;
    ASSERT_TRUE(server.running()) << "could not start Xvfb";
    setenv("DISPLAY", server.name().c_str(), 1);

    Display* display = XOpenDisplay(server.name().c_str());
    ASSERT_NE(display, nullptr);
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    ASSERT_TRUE(XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor));
    // The "host": a top-level window the plug-in's window goes into.
    const Window host = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 300, 150, 0, 0, 0x202020);
    XMapWindow(display, host);
    XSync(display, False);

    RecordingListener listener;
    auto* frame = new CFrame(CRect(0, 0, 240, 100), reinterpret_cast<void*>(static_cast<std::uintptr_t>(host)));
    ASSERT_TRUE(frame->isOpen());
    auto* bitmap = new CBitmap(kTwoFrameButton);
    auto* button = new COnOffButton(CRect(50, 30, 70, 50), &listener, 0, bitmap);
    bitmap->forget();
    auto* edit = new CTextEdit(CRect(100, 30, 200, 50), &listener, 70, "4");
    frame->addView(button);
    frame->addView(edit);
    idleUntil(frame, [&] { return near(screenPixel(display, host, 60, 40), kRedCColor); });
    EXPECT_TRUE(near(screenPixel(display, host, 60, 40), kRedCColor)) << "the button was painted";

    click(display, 60, 40);
    ASSERT_TRUE(idleUntil(frame, [&] { return !listener.values.empty(); })) << "the click never arrived";
    EXPECT_EQ(button->getValue(), 1.f);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"begin", "change", "end"}));
    EXPECT_TRUE(idleUntil(frame, [&] { return near(screenPixel(display, host, 60, 40), kGreenCColor); }))
        << "the window shows the new state";

    // Keyboard: the text edit takes the focus while open and hands it back afterwards.
    click(display, 150, 40);
    ASSERT_TRUE(idleUntil(frame, [&] { return frame->getTextEditBox() != nullptr; }));
    typeKey(display, XK_2);
    typeKey(display, XK_Return);
    EXPECT_TRUE(idleUntil(frame, [&] { return edit->getText() == "42"; })) << edit->getText();
    EXPECT_EQ(listener.values.size(), 2u);

    EXPECT_TRUE(saveScreenshot(display, host, 300, 150, "toolkit_x11_window.png"));

    frame->close();
    XDestroyWindow(display, host);
    XCloseDisplay(display);
}

TEST(X11Window, RefusesANullOrUnknownParent) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    PrivateXServer server;
    ASSERT_TRUE(server.running());
    setenv("DISPLAY", server.name().c_str(), 1);
    auto* frame = new CFrame(CRect(0, 0, 100, 50));
    EXPECT_FALSE(frame->open(nullptr));
    EXPECT_FALSE(frame->open(reinterpret_cast<void*>(static_cast<std::uintptr_t>(0x7fffff0))))
        << "a window id that does not exist";
    EXPECT_FALSE(frame->isOpen());
    frame->forget();
}

TEST(X11Window, PaintsOnA16BitScreenThroughConversion) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    XHost host("320x200x16");
    ASSERT_TRUE(host.start());
    auto* frame = new CFrame(CRect(0, 0, 100, 60), host.parent());
    ASSERT_TRUE(frame->isOpen());
    auto* bitmap = new CBitmap(kTwoFrameButton);
    frame->addView(new COnOffButton(CRect(10, 10, 30, 30), nullptr, 0, bitmap));
    bitmap->forget();
    // 5-6-5 pixels: pure red stays (248, 0, 0) after the round trip.
    auto redShown = [&] {
        XImage* shot = XGetImage(host.display, host.window, 20, 20, 1, 1, AllPlanes, ZPixmap);
        if (!shot) return false;
        const unsigned long pixel = XGetPixel(shot, 0, 0);
        XDestroyImage(shot);
        return pixel == 0xF800;
    };
    EXPECT_TRUE(idleUntil(frame, redShown));
    frame->close();
}
