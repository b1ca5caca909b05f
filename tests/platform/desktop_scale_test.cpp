// The editor's display scale: which source holds, and what the desktop says (Linux: the X
// resources and the toolkits' variables, read from a private X server as well).
#include "platform/desktop_scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "model/display_scale.h"

#if !defined(_WIN32)
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
// clang-format on
#include <cstdlib>
#include <cstring>
#include <string>

#include "tests/support/x11_test_server.h"
#else
#include "platform/windows/windows_lean.h"
#endif

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(ScaleSources, TheUsersZoomThenTheHostThenTheDesktopThenOne) {
    struct Case {
        display_scale::ScaleSources sources;  // user zoom, host, desktop
        double expected;
    };
    for (const Case& c : {Case{{0, 0, 0}, 1.0},        {{0, 0, 1.5}, 1.5},  {{0, 2, 1.5}, 2.0},   {{1.25, 2, 1.5}, 1.25},
                          {{1, 2, 3}, 1.0},            {{0, 5, 1.5}, 3.0},  {{0, 0.5, 2}, 1.0},   {{kNaN, kNaN, 2}, 2.0},
                          {{-1, kInf, 1.5}, 1.5},      {{0, -3, 0}, 1.0},   {{2.5, 0, 0}, 2.5},   {{kNaN, 0, kNaN}, 1.0}}) {
        EXPECT_DOUBLE_EQ(display_scale::resolve(c.sources), c.expected)
            << c.sources.userZoom << " " << c.sources.host << " " << c.sources.desktop;
    }
}

#if !defined(_WIN32)

TEST(DesktopScaleLinux, XftDpiThenGdkScaleThenQtScaleFactorThenOne) {
    struct Case {
        const char* resources;
        const char* gdk;
        const char* qt;
        double expected;
    };
    for (const Case& c : {
             Case{"Xft.dpi:\t96\n", nullptr, nullptr, 1.0},
             {"Xft.dpi:\t144\n", nullptr, nullptr, 1.5},
             {"Xft.antialias:\t1\nXft.dpi:\t192\nXft.hinting:\t1\n", nullptr, nullptr, 2.0},
             {"Xft.dpi: 288", nullptr, nullptr, 3.0},          // the last line needs no newline
             {"Xft.dpi:\t1000\n", nullptr, nullptr, 3.0},      // a huge screen: clamped, not ignored
             {"Xft.dpi:\t48\n", nullptr, nullptr, 1.0},        // below 100 %: drawn at 100 %
             {"Xft.dpi:\t0\n", "2", nullptr, 2.0},             // says nothing: the next source holds
             {"Xft.dpi:\tlarge\n", nullptr, "1.5", 1.5},
             {"Xft.dpi:\t192dpi\n", nullptr, nullptr, 1.0},
             {"Xft.dpi:\t-192\n", nullptr, nullptr, 1.0},
             {"Xft.dpi:\tnan\n", nullptr, nullptr, 1.0},
             {"Xft.dpi:\n", nullptr, nullptr, 1.0},
             {"Xft.dpix:\t192\nxterm*Xft.dpi:\t192\n", nullptr, nullptr, 1.0},  // other names
             {"Xft.dpi:\t96\nXft.dpi:\t192\n", nullptr, nullptr, 2.0},          // the last one holds
             {"Xft.dpi:\t192\n", "3", "3", 2.0},                                 // X resource first
             {nullptr, "2", "3", 2.0},
             {"", "abc", "1.5", 1.5},
             {nullptr, "2x", nullptr, 1.0},
             {nullptr, "", "", 1.0},
             {nullptr, " 2 ", nullptr, 2.0},
             {nullptr, "100", nullptr, 3.0},
             {nullptr, nullptr, "1.5", 1.5},
             {nullptr, nullptr, "0", 1.0},
             {nullptr, nullptr, nullptr, 1.0},
         }) {
        EXPECT_DOUBLE_EQ(platform::desktopScaleFrom(c.resources, c.gdk, c.qt), c.expected)
            << (c.resources ? c.resources : "(none)") << " | " << (c.gdk ? c.gdk : "(none)") << " | "
            << (c.qt ? c.qt : "(none)");
    }
}

TEST(DesktopScaleLinux, ReadsTheDisplaysResourcesAndTheEnvironment) {
    testsupport::PrivateXServer server;
    ASSERT_TRUE(server.running());
    Display* display = XOpenDisplay(server.name().c_str());
    ASSERT_NE(display, nullptr);
    setenv("DISPLAY", server.name().c_str(), 1);
    unsetenv("GDK_SCALE");
    unsetenv("QT_SCALE_FACTOR");
    EXPECT_DOUBLE_EQ(platform::desktopScale(nullptr), 1.0) << "a server without resources";
    testsupport::setRootResources(display, "Xft.dpi:\t192\n");
    EXPECT_DOUBLE_EQ(platform::desktopScale(nullptr), 2.0);
    testsupport::setRootResources(display, "Xft.dpi:\t0\n");
    setenv("GDK_SCALE", "2", 1);
    EXPECT_DOUBLE_EQ(platform::desktopScale(nullptr), 2.0);
    unsetenv("GDK_SCALE");
    setenv("DISPLAY", ":99999", 1);  // no server there: the environment alone
    setenv("QT_SCALE_FACTOR", "1.5", 1);
    EXPECT_DOUBLE_EQ(platform::desktopScale(nullptr), 1.5);
    unsetenv("QT_SCALE_FACTOR");
    XCloseDisplay(display);
}

#else

TEST(DesktopScaleWindows, TheSystemDpiWithoutAWindow) {
    // The prefix's or system's own DPI, whatever it is, as a usable scale.
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    const double scale = platform::desktopScale(nullptr);
    EXPECT_DOUBLE_EQ(scale, std::clamp(dpi / 96.0, 1.0, 3.0));
    EXPECT_DOUBLE_EQ(platform::desktopScale(reinterpret_cast<void*>(0x1234)), scale) << "not a window";
}

#endif

}  // namespace
