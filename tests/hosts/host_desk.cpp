// The desk the host tests run hosts on, for the Python harnesses beside it:
//   host_desk serve [LOG]       a private Xvfb and a private JACK dummy server (48 kHz, 1024
//                               frames); prints "DISPLAY=:N" and "JACK=name", keeps both until
//                               its standard input closes
//   host_desk shot DISPLAY PNG [WINDOW]   the root window (or WINDOW) as a PNG
//   host_desk windows DISPLAY   every window, one a line: id parent x y width height mapped "name"
//   host_desk colour DISPLAY WINDOW   the mean red, green and blue (0-255) of what WINDOW shows
//   host_desk ports             the JACK server's ports, one a line (JACK_DEFAULT_SERVER)
//   host_desk connect OUT IN... connects each pair of ports
// Every JACK client here has a name of its own: jackd has been seen to hang when a client
// opens under the name of one still closing (as repeated jack_lsp runs do).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <string>
#include <thread>

#include "tests/support/wait_until.h"
#include "tests/support/x11_test_server.h"

extern char** environ;

namespace {

jack_client_t* openClient(const char* server) {
    static int opened = 0;
    const std::string name = "desk-" + std::to_string(getpid()) + "-" + std::to_string(++opened);
    jack_status_t status{};
    const auto options = static_cast<jack_options_t>(JackNoStartServer | (server ? JackServerName : 0));
    return server ? jack_client_open(name.c_str(), options, &status, server)
                  : jack_client_open(name.c_str(), options, &status);
}

bool jackAnswers(const std::string& server) {
    jack_client_t* probe = openClient(server.c_str());
    if (!probe) return false;
    jack_client_close(probe);
    return true;
}

int jackCommand(int argc, char** argv) {
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    jack_client_t* client = openClient(nullptr);
    if (!client) return 1;
    int status = 0;
    if (std::string(argv[1]) == "ports") {
        const char** ports = jack_get_ports(client, nullptr, nullptr, 0);
        for (const char** port = ports; port && *port; ++port) std::printf("%s\n", *port);
        if (ports) jack_free(ports);
    } else {
        for (int i = 2; i + 1 < argc; i += 2)
            if (jack_connect(client, argv[i], argv[i + 1]) != 0) status = 1;
    }
    jack_client_close(client);
    return status;
}

int serve(const char* log) {
    // What the servers print goes to standard error: standard output carries only the two names.
    FILE* names = fdopen(dup(1), "w");
    dup2(2, 1);
    testsupport::PrivateXServer x("1280x800x24");
    if (!x.running()) {
        std::fprintf(stderr, "host_desk: Xvfb did not start\n");
        return 1;
    }
    const std::string server = "aldermark-hosts-" + std::to_string(getpid());
    jack_set_error_function([](const char*) {});
    jack_set_info_function([](const char*) {});
    // A long client timeout: a host starting up on a busy machine must not be thrown out
    // (Ardour then reports it lost the audio hardware).
    const char* argv[] = {HOST_DESK_JACKD, "--no-realtime", "-t", "20000", "-n", server.c_str(), "-d", "dummy",
                          "-r", "48000", "-p", "1024", nullptr};
    posix_spawn_file_actions_t quiet;  // its xrun reports would bury the harness's own: to LOG
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, log ? log : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&quiet, 1, 2);
    pid_t jackd = 0;
    if (posix_spawn(&jackd, HOST_DESK_JACKD, &quiet, nullptr, const_cast<char**>(argv), environ) != 0) jackd = 0;
    posix_spawn_file_actions_destroy(&quiet);
    const bool up = jackd > 0 && testwait::waitUntil(30, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        return jackAnswers(server);
    });
    if (up) {
        std::fprintf(names, "DISPLAY=%s\nJACK=%s\n", x.name().c_str(), server.c_str());
        std::fflush(names);
        char sink[256];
        while (read(0, sink, sizeof sink) > 0) {
        }
    } else {
        std::fprintf(stderr, "host_desk: jackd did not answer\n");
    }
    int status = 0;
    if (jackd > 0 && waitpid(jackd, &status, WNOHANG) == jackd) {
        std::fprintf(stderr, "host_desk: jackd ended under the test (status %d)\n", status);
        jackd = 0;
    }
    if (jackd > 0) {
        kill(jackd, SIGTERM);
        waitpid(jackd, nullptr, 0);
    }
    return up ? 0 : 1;
}

void listWindows(Display* display, Window window, Window parent) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes)) return;
    char* name = nullptr;
    XFetchName(display, window, &name);
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
    std::printf("0x%lx 0x%lx %d %d %d %d %d \"%s\"\n", window, parent, x, y, attributes.width, attributes.height,
                attributes.map_state == IsViewable ? 1 : 0, name ? name : "");
    if (name) XFree(name);
    Window root = 0, up = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, window, &root, &up, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) listWindows(display, children[i], window);
    if (children) XFree(children);
}

bool printMeanColour(Display* display, Window window) {
    XWindowAttributes attributes{};
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable) return false;
    XImage* image = XGetImage(display, window, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (!image) return false;
    double sum[3] = {};
    for (int y = 0; y < attributes.height; ++y)
        for (int x = 0; x < attributes.width; ++x) {
            const unsigned long pixel = XGetPixel(image, x, y);
            sum[0] += static_cast<double>((pixel >> 16) & 0xFF);
            sum[1] += static_cast<double>((pixel >> 8) & 0xFF);
            sum[2] += static_cast<double>(pixel & 0xFF);
        }
    XDestroyImage(image);
    const double count = static_cast<double>(attributes.width) * attributes.height;
    std::printf("%.1f %.1f %.1f\n", sum[0] / count, sum[1] / count, sum[2] / count);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "serve") return serve(argc > 2 ? argv[2] : nullptr);
    if (command == "ports" || (command == "connect" && argc >= 4)) return jackCommand(argc, argv);
    const bool known = (command == "shot" && argc >= 4) || (command == "windows" && argc >= 3) ||
                       (command == "colour" && argc >= 4);
    if (!known) {
        std::fprintf(stderr, "usage: host_desk serve [LOG] | shot DISPLAY PNG [WINDOW] | windows DISPLAY | colour DISPLAY WINDOW |"
                     " ports | connect OUT IN...\n");
        return 2;
    }
    Display* display = XOpenDisplay(argv[2]);
    if (!display) {
        std::fprintf(stderr, "host_desk: cannot open display %s\n", argv[2]);
        return 1;
    }
    int status = 0;
    if (command == "windows") {
        listWindows(display, DefaultRootWindow(display), 0);
    } else if (command == "colour") {
        status = printMeanColour(display, std::strtoul(argv[3], nullptr, 0)) ? 0 : 1;
    } else {
        const Window window = argc > 4 ? std::strtoul(argv[4], nullptr, 0) : DefaultRootWindow(display);
        XWindowAttributes attributes{};
        status = XGetWindowAttributes(display, window, &attributes) &&
                         testsupport::saveScreenshot(display, window, attributes.width, attributes.height, argv[3])
                     ? 0
                     : 1;
    }
    XCloseDisplay(display);
    return status;
}
