// Opening documents on Linux, against a stand-in xdg-open first on PATH: what it is given, how
// its exit status is read, and that the host is left neither waiting nor with processes.
#include "platform/desktop_shell.h"

#include "tests/support/fake_xdg_open.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

using platform::openDocument;
using faketest::FakeXdgOpen;

namespace {

constexpr double kPatience = 20;  // seconds; a loaded machine may start processes slowly

// Polls like the editor's idle until the request answers.
std::optional<int> answerOf(platform::DocumentOpenRequest& request) {
    std::optional<int> answer;
    faketest::waitUntil(kPatience, [&] { return (answer = request.result()).has_value(); });
    return answer;
}

std::optional<int> open(const std::string& path) {
    auto request = openDocument(path.c_str(), nullptr);
    if (!request) return std::nullopt;
    return answerOf(*request);
}

class DocumentOpenerTest : public ::testing::Test {
protected:
    FakeXdgOpen xdg;
};

TEST_F(DocumentOpenerTest, PathArrivesAsOneArgumentAndNothingRunsThroughAShell) {
    const std::string marker = xdg.folder() + "/ran-in-a-shell";
    const std::string paths[] = {
        "/opt/Zeb Manuals/User Manual (v3).pdf",
        "/tmp/$(touch " + marker + ")`touch " + marker + "`; touch " + marker + " & | > < * ? ~ # ! \" '.pdf",
        "/tmp/line\nbreak\ttab  two spaces.pdf",
        "/tmp/Bedienungsanleitung Größe ✓.pdf",
        "file:///tmp/manual.pdf?a=1&b=2",
    };
    int runs = 0;
    for (const std::string& path : paths) {
        ASSERT_EQ(open(path), platform::kDocumentOpened) << path;
        ASSERT_EQ(xdg.runs(), ++runs);
        EXPECT_EQ(xdg.lastArgumentCount(), 1) << path;
        ASSERT_EQ(xdg.lastArguments().size(), 1u) << path;
        EXPECT_EQ(xdg.lastArguments()[0], path);
        // Started by a copy of this program, not by a shell.
        EXPECT_EQ(xdg.lastParentProgram(), std::filesystem::read_symlink("/proc/self/exe").string());
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
}

TEST_F(DocumentOpenerTest, RelativePathStartingWithADashIsNoOption) {
    ASSERT_EQ(open("-manual.pdf"), platform::kDocumentOpened);
    ASSERT_EQ(xdg.lastArguments().size(), 1u);
    EXPECT_EQ(xdg.lastArguments()[0], "./-manual.pdf");
}

TEST_F(DocumentOpenerTest, ExitStatusMapsToTheShellsResultCodes) {
    struct Case {
        const char* exit;
        int result;
    };
    const Case cases[] = {
        {"0", platform::kDocumentOpened},
        {"1", platform::kDocumentOpenFailed},         // bad command line
        {"2", platform::kDocumentNotFound},           // no such file
        {"3", platform::kNoApplicationForDocument},   // no tool for the type
        {"4", platform::kDocumentOpenFailed},         // the action failed
        {"5", platform::kDocumentOpenFailed},
        {"127", platform::kNoApplicationForDocument}, // could not be run
        {"kill", platform::kDocumentOpenFailed},      // killed by a signal
    };
    for (const Case& c : cases) {
        std::ofstream(xdg.folder() + "/exit-code") << c.exit;
        EXPECT_EQ(open("/tmp/manual.pdf"), c.result) << "exit " << c.exit;
    }
}

TEST_F(DocumentOpenerTest, EmptyPathIsNeverHandedOn) {
    for (const char* path : {"", static_cast<const char*>(nullptr)}) {
        auto request = openDocument(path, nullptr);
        ASSERT_TRUE(request);
        EXPECT_EQ(request->result(), platform::kDocumentNotFound);  // at once
    }
    EXPECT_EQ(xdg.runs(), 0);
}

// Answered or dropped early (the editor closed), a request leaves the host no process to reap
// and never makes it wait.
TEST_F(DocumentOpenerTest, TheHostIsNeverLeftAProcessToReap) {
    for (bool dropEarly : {false, true}) {
        xdg.hold();
        auto request = openDocument("/tmp/manual.pdf", nullptr);
        ASSERT_TRUE(request);
        EXPECT_TRUE(faketest::childProcesses().empty());  // the starter is gone, the waiter is no child
        ASSERT_TRUE(faketest::waitUntil(kPatience, [&] { return xdg.runs() == (dropEarly ? 2 : 1); }));
        const int waiter = xdg.lastParentPid();
        EXPECT_FALSE(request->result().has_value());  // still running: no answer yet
        if (dropEarly) request.reset();
        xdg.release();
        if (!dropEarly) {
            EXPECT_EQ(answerOf(*request), platform::kDocumentOpened);
        }
        ASSERT_TRUE(xdg.waitForFinish(kPatience));
        // A waiter whose pipe was closed ends quietly; whoever adopted it reaps it.
        EXPECT_TRUE(faketest::waitUntil(kPatience, [&] { return faketest::processEnded(waiter); }));
        EXPECT_TRUE(faketest::childProcesses().empty());
    }
}

TEST_F(DocumentOpenerTest, AnOpenerStillRunningAfterTheSettleTimeHasOpenedTheDocument) {
    xdg.hold();  // like xdg-open waiting for the viewer it started
    xdg.setExitCode(4);
    auto request = openDocument("/tmp/manual.pdf", nullptr, std::chrono::milliseconds(300));
    ASSERT_TRUE(request);
    ASSERT_TRUE(xdg.waitForRun(kPatience));
    EXPECT_EQ(answerOf(*request), platform::kDocumentOpened);
    xdg.release();  // its later failure says nothing about the opening
    ASSERT_TRUE(xdg.waitForFinish(kPatience));
    EXPECT_EQ(request->result(), platform::kDocumentOpened);
}

TEST_F(DocumentOpenerTest, HostSignalSettingsDoNotHideTheExitStatus) {
    // A host that ignores SIGCHLD (children reaped automatically) and blocks it in this thread.
    struct sigaction ignore {}, saved {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ASSERT_EQ(sigaction(SIGCHLD, &ignore, &saved), 0);
    sigset_t block, savedMask;
    sigemptyset(&block);
    sigaddset(&block, SIGCHLD);
    sigaddset(&block, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &block, &savedMask);

    xdg.setExitCode(3);
    EXPECT_EQ(open("/tmp/manual.pdf"), platform::kNoApplicationForDocument);

    pthread_sigmask(SIG_SETMASK, &savedMask, nullptr);
    sigaction(SIGCHLD, &saved, nullptr);
}

// Which xdg-open is used: the first executable regular file in an absolute PATH entry.
TEST_F(DocumentOpenerTest, XdgOpenIsLookedUpOnPathOnly) {
    const std::string root = xdg.folder() + "/lookup";
    for (const char* sub : {"empty", "plain", "dir/xdg-open", "relative"}) std::filesystem::create_directories(root + "/" + sub);
    std::ofstream(root + "/plain/xdg-open") << "#!/bin/sh\nexit 0\n";  // not executable
    std::filesystem::copy_file(xdg.folder() + "/xdg-open", root + "/relative/xdg-open");
    const std::string savedPath = std::getenv("PATH");
    const std::filesystem::path savedDirectory = std::filesystem::current_path();
    std::filesystem::current_path(root);
    // Where none is found, PATH holds only folders of this test's own: the machine's own
    // xdg-open must not answer. The stand-in needs the system's tools behind it.
    const std::pair<std::string, int> cases[] = {  // PATH, result
        {root + "/empty:" + root + "/plain:" + root + "/dir", platform::kNoApplicationForDocument},
        {"relative:" + root + "/empty", platform::kNoApplicationForDocument},
        {"", platform::kNoApplicationForDocument},
        {root + "/plain:" + root + "/dir:" + xdg.folder() + ":/usr/bin:/bin", platform::kDocumentOpened},
    };
    for (const auto& [path, result] : cases) {
        setenv("PATH", path.c_str(), 1);
        EXPECT_EQ(open("/tmp/manual.pdf"), result) << path;
    }
    EXPECT_EQ(xdg.runs(), 1);  // only the stand-in of the last case ran
    std::filesystem::current_path(savedDirectory);
    setenv("PATH", savedPath.c_str(), 1);
}

TEST(DesktopShellLinuxTest, ThereIsNoSystemMessageBoxAndNoOle) {
    EXPECT_FALSE(platform::showSystemMessageBox(nullptr, "Caption", "Text"));
    platform::OleThreadSession session;
    EXPECT_FALSE(session.initialized());
}

}  // namespace
