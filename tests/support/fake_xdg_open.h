#pragma once
// Linux tests of document opening: a stand-in for xdg-open, a shell script in a temporary
// folder put first on PATH. Each run records its arguments (NUL-separated, so any byte but
// zero survives), their count, its parent's pid and program, and exits with the code the test
// chose; held, it waits for release() before exiting. Also: the processes of this test.
#include <string>
#include <vector>

#include "tests/support/wait_until.h"

namespace faketest {

class FakeXdgOpen {
public:
    FakeXdgOpen();
    ~FakeXdgOpen();
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;

    const std::string& folder() const { return folder_; }
    void setExitCode(int code);
    // A held run waits after recording until release().
    void hold();
    void release();

    int runs() const;
    std::vector<std::string> lastArguments() const;
    int lastArgumentCount() const;
    int lastParentPid() const;
    std::string lastParentProgram() const;  // the parent's /proc/<pid>/exe
    bool lastRunFinished() const;
    // Waits up to `seconds` for the script to have recorded a run / finished its last one.
    bool waitForRun(double seconds) const;
    bool waitForFinish(double seconds) const;

private:
    std::string read(const char* name) const;

    std::string folder_;
    std::string savedPath_;
    bool hadPath_ = false;
};

// Children of this process, running or zombies.
std::vector<int> childProcesses();
// Whether the process `pid` has ended: it is gone or a zombie (a zombie of someone else).
bool processEnded(int pid);
using testwait::waitUntil;

}  // namespace faketest
