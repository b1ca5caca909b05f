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

#include <atomic>
#include <chrono>
#include <mutex>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>
#include <cstdio>
#include <cstring>
#include <thread>

#include "tests/support/x11_test_server.h"
#include "tests/toolkit/test_support.h"

using namespace testsupport;

namespace {

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

TEST(X11Window, TimerTicksWhileSeenRestsWhileHiddenAndStopsFromItsOwnTick) {
    if (!PrivateXServer::installed()) GTEST_SKIP() << "Xvfb is not installed";
    XHost host;
    ASSERT_TRUE(host.start());
    auto* frame = new CFrame(CRect(0, 0, 100, 60), host.parent());
    ASSERT_TRUE(frame->isOpen());
    toolkit::IPlatformWindow* window = frame->getPlatformWindow();
    std::mutex lock;  // stands in for the editor's lock around the frame
    std::atomic<int> ticks{0};
    std::unique_lock<std::mutex> starting(lock);
    ASSERT_TRUE(window->startTimer(10, [&] {
        std::lock_guard<std::mutex> guard(lock);
        frame->idle();
        ++ticks;
    }));
    starting.unlock();
    auto ticksWithin = [&](int milliseconds) {
        const int before = ticks.load();
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        return ticks.load() - before;
    };
    EXPECT_GE(ticksWithin(300), 10) << "about 30 expected";

    XUnmapWindow(host.display, host.window);
    XSync(host.display, False);
    ticksWithin(400);  // the window notices within a few hundred milliseconds
    {
        std::lock_guard<std::mutex> guard(lock);
        EXPECT_FALSE(frame->isWindowViewable());
    }
    EXPECT_LE(ticksWithin(300), 2) << "no periodic work while nobody can see the window";

    XMapWindow(host.display, host.window);
    XSync(host.display, False);
    EXPECT_GE(ticksWithin(300), 10) << "ticking again once shown";
    window->stopTimer();  // without the lock: the tick may be waiting for it
    EXPECT_EQ(ticksWithin(100), 0);

    // A tick may stop the timer itself (a host closing the editor from a callback). As in
    // the editor, starting, stopping and ticking all hold the frame's lock.
    std::atomic<bool> stopped{false};
    {
        std::lock_guard<std::mutex> guard(lock);
        ASSERT_TRUE(window->startTimer(5, [&] {
            std::lock_guard<std::mutex> inTick(lock);
            if (!stopped.exchange(true)) window->stopTimer();
        }));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(stopped.load());
    std::lock_guard<std::mutex> guard(lock);
    frame->close();
}
