// aldermark live as a user runs it, under a JACK dummy server and an X server of the test's
// own: a -18 dBFS 1 kHz tone connected with --connect puts the VU needles at 0 VU on screen,
// a restart brings back the effect's state and the connections, a server that stops ends
// the program with a message and status 1, and a missing server is a one-line error.
// The screenshots stay in the test's folder (live_*.png).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

#include "tests/edit_window/edit_driver.h"
#include "tests/support/wait_until.h"
#include "tools/aldermark/host_platform.h"

extern char** environ;

namespace {

using aldermark::RgbaImage;

constexpr double kStartSeconds = 60;  // sanitizer builds start slowly

std::string besideTest(const std::string& name) {
    return host_platform::joinPath(host_platform::executableDirectory(), name);
}

pid_t spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

void end(pid_t& pid) {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    pid = 0;
}

// Whether a client can reach the server named `name` now.
bool serverAnswers(const std::string& name, const char* client = "probe", int ports = 0) {
    jack_status_t status{};
    jack_client_t* probe = jack_client_open(client, static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                            &status, name.c_str());
    if (!probe) return false;
    const char** found = jack_get_ports(probe, "^tone:", nullptr, 0);
    int count = 0;
    for (const char** port = found; port && *port; ++port) ++count;
    if (found) jack_free(found);
    jack_client_close(probe);
    return count >= ports;
}

// A dummy server of the test's own (48 kHz, 128 frames, not real-time) and the tone client;
// every client the test starts finds it through JACK_DEFAULT_SERVER.
class PrivateJack {
public:
    PrivateJack() : name_("aldermark-test-" + std::to_string(getpid())) {
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
    }
    ~PrivateJack() { stop(); }
    bool start() {
        server_ = spawn({LIVE_TEST_JACKD, "--no-realtime", "-n", name_, "-d", "dummy", "-r", "48000", "-p", "128"});
        if (!server_ || !testwait::waitUntil(kStartSeconds, [&] { return serverAnswers(name_); })) return false;
        tone_ = spawn({besideTest("live_tone_client")});
        return tone_ && testwait::waitUntil(kStartSeconds, [&] { return serverAnswers(name_, "probe", 2); });
    }
    void stop() {
        end(tone_);
        end(server_);
    }
    // The server alone, under its clients.
    void stopServer() { end(server_); }

private:
    std::string name_;
    pid_t server_ = 0, tone_ = 0;
};

// The angle (degrees, counter-clockwise from the right) of the darkest ray in the upper
// half-circle around a meter's pivot: the VU needle is the darkest thing between radius
// 80 and 110 (the printed scale lies farther out). Pivot: the VU movement's, in a meter at
// (left, 18) of the editor.
double needleAngle(const RgbaImage& image, int meterLeft) {
    const double pivotX = meterLeft + 128.5, pivotY = 18 + 155.5;
    double best = -1, bestDarkness = -1;
    for (double degrees = 35; degrees <= 140; degrees += 0.25) {
        const double theta = degrees * std::numbers::pi / 180;
        double darkness = 0;
        for (double radius = 80; radius <= 110; radius += 2) {
            const int x = static_cast<int>(pivotX + radius * std::cos(theta));
            const int y = static_cast<int>(pivotY - radius * std::sin(theta));
            if (x < 0 || y < 0 || x >= image.width || y >= image.height) continue;
            const unsigned char* p = &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
            darkness += 765 - (p[0] + p[1] + p[2]);
        }
        if (darkness > bestDarkness) {
            bestDarkness = darkness;
            best = degrees;
        }
    }
    return best;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class LiveMeter : public ::testing::Test {
protected:
    void SetUp() override {
        driver_ = edittest::EditDriver::create();
        std::string why;
        ASSERT_TRUE(driver_->ready(why)) << why;
        ASSERT_TRUE(jack_.start()) << "the private JACK dummy server or the tone client did not start";
        config_ = std::string(std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "/tmp");
        client_ = "live-test-" + std::to_string(getpid());
        statePath_ = config_ + "/aldermark/live/" + client_ + ".state";
    }
    std::unique_ptr<edittest::EditDriver> driver_;
    PrivateJack jack_;
    std::string config_, client_, statePath_;
};

// The VU movement's 0 VU mark (views: the needle law), degrees; what a pixel is worth there.
constexpr double kZeroVuDegrees = 77.75;
constexpr double kAngleTolerance = 1.5;

TEST_F(LiveMeter, ToneReadsZeroVuAndARestartKeepsStateAndConnections) {
    const std::string shot = besideTest("live_vu_tone.png");
    ASSERT_EQ(driver_->run({"live", "--connect", "^tone:", "--name", client_, "--fresh", "--meter", "vu",
                            "--reference", "-18", "--seconds", "5", "--screenshot-at", "4.5", "--out", shot}),
              0)
        << driver_->errors();
    const std::vector<std::string> expectedLines{"client " + client_, "connect in_1 tone:out_1",
                                                 "connect in_2 tone:out_2", "screenshot " + shot, "saved " + statePath_};
    for (const std::string& expected : expectedLines)
        EXPECT_TRUE(driver_->output().position(expected) >= 0) << expected << " in " << driver_->output().text();
    RgbaImage image;
    ASSERT_TRUE(driver_->readPng(shot, image));
    EXPECT_NEAR(needleAngle(image, 12), kZeroVuDegrees, kAngleTolerance) << "left needle, " << shot;
    EXPECT_NEAR(needleAngle(image, 277), kZeroVuDegrees, kAngleTolerance) << "right needle, " << shot;
    const std::string firstState = fileText(statePath_);
    EXPECT_NE(firstState.find("input 1 tone:out_1\ninput 2 tone:out_2\n"), std::string::npos) << firstState;

    // Started again without options: the saved chunk (VU, -18 dBFS) and connections come back.
    const std::string again = besideTest("live_vu_restored.png");
    ASSERT_EQ(driver_->run({"live", "--name", client_, "--seconds", "4", "--screenshot-at", "3.5", "--out", again}), 0)
        << driver_->errors();
    EXPECT_TRUE(driver_->output().position("restored " + statePath_) >= 0) << driver_->output().text();
    EXPECT_TRUE(driver_->output().position("connect in_2 tone:out_2") >= 0) << driver_->output().text();
    ASSERT_TRUE(driver_->readPng(again, image));
    EXPECT_NEAR(needleAngle(image, 12), kZeroVuDegrees, kAngleTolerance) << "restored, " << again;
    EXPECT_EQ(fileText(statePath_), firstState) << "a restored state is saved as it came";

    // --fresh starts from the defaults and connects nothing saved.
    ASSERT_EQ(driver_->run({"live", "--name", client_, "--fresh", "--seconds", "1"}), 0) << driver_->errors();
    EXPECT_LT(driver_->output().position("connect in_1 tone:out_1"), 0) << driver_->output().text();
    EXPECT_LT(driver_->output().position("restored " + statePath_), 0);
    EXPECT_NE(fileText(statePath_), firstState);
}

TEST_F(LiveMeter, PatternsThatMatchNothingWarnAndTheMeterRuns) {
    ASSERT_EQ(driver_->run({"live", "--connect", "^nobody:", "--connect", "physical", "--name", client_, "--fresh",
                            "--seconds", "1"}),
              0)
        << driver_->errors();
    EXPECT_NE(driver_->errors().find("warning: --connect ^nobody:: no output port matches it"), std::string::npos)
        << driver_->errors();
    // The dummy server's capture ports are physical: found by their flags.
    EXPECT_TRUE(driver_->output().position("connect in_1 system:capture_1") >= 0) << driver_->output().text();
    EXPECT_TRUE(driver_->output().position("connect in_2 system:capture_2") >= 0) << driver_->output().text();
}

TEST_F(LiveMeter, AServerThatStopsEndsTheProgramWithAMessage) {
    ASSERT_TRUE(driver_->start({"live", "--connect", "^tone:", "--name", client_, "--fresh"}));
    ASSERT_TRUE(driver_->output().waitFor("open 586 195", kStartSeconds)) << driver_->errors();
    ASSERT_TRUE(driver_->output().waitFor("connect in_2 tone:out_2", kStartSeconds)) << driver_->output().text();
    jack_.stopServer();
    EXPECT_EQ(driver_->waitForExit(30), 1) << "no hang, no crash";
    EXPECT_NE(driver_->errors().find("aldermark live: the JACK server shut down"), std::string::npos)
        << driver_->errors();
    EXPECT_TRUE(driver_->output().position("saved " + statePath_) >= 0) << driver_->output().text();
    // The connections seen while it ran are kept, though the server dropped them.
    EXPECT_NE(fileText(statePath_).find("input 1 tone:out_1"), std::string::npos) << fileText(statePath_);
}

TEST(LiveMeterStart, WithoutAServerOrWithABadNameItSaysWhyOnOneLine) {
    auto driver = edittest::EditDriver::create();
    std::string why;
    ASSERT_TRUE(driver->ready(why)) << why;
    setenv("JACK_DEFAULT_SERVER", ("aldermark-test-none-" + std::to_string(getpid())).c_str(), 1);
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{"live"}, 1, "aldermark live: no JACK server is running: start one"},
        {{"live", "--name", "a:b"}, 2, "--name must be 1 to"},
        {{"live", "--name="}, 2, "--name must be 1 to"},
        {{"live", "--name", std::string(300, 'n')}, 2, "without ':'"},
        {{"live", "--seconds", "0"}, 2, "--seconds must be more than 0"},
        {{"live", "--block", "64"}, 2, "unknown option '--block'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(driver->run(c.args), c.code);
        const std::string errors = driver->errors();
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << "one line: " << errors;
    }
    unsetenv("JACK_DEFAULT_SERVER");
}

}  // namespace
