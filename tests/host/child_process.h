#pragma once
// Runs a piece of a test in a child process (Linux): with its standard streams redirected
// (a pipe or a file as input, /dev/full as output) or a limit on the size of files it may
// write, as a full disk would stop it, without touching the test program's own streams.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace host_test {

struct ChildRun {
    std::optional<std::vector<unsigned char>> input;  // fed through a pipe as standard input
    std::string inputFile;                            // or standard input from this file
    std::string outputFile = "/dev/null";             // standard output goes here
    long fileSizeLimit = -1;                          // bytes; writes beyond fail with EFBIG
};

struct ChildOutcome {
    int code = -1;    // the exit code; -1 when the child did not exit by itself
    std::string err;  // what it wrote to standard error
};

inline ChildOutcome runInChild(const ChildRun& run, const std::function<int()>& body) {
    char errPath[] = "/tmp/aldermark_child_err_XXXXXX";
    const int errFd = mkstemp(errPath);
    int pipeFds[2] = {-1, -1};
    if (errFd < 0 || (run.input && pipe(pipeFds) != 0)) return {};
    std::fflush(nullptr);  // nothing of ours is written twice
    const pid_t pid = fork();
    if (pid == 0) {
        if (run.input) {
            close(pipeFds[1]);
            dup2(pipeFds[0], STDIN_FILENO);
        } else if (!run.inputFile.empty()) {
            dup2(open(run.inputFile.c_str(), O_RDONLY), STDIN_FILENO);
        }
        dup2(open(run.outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
        dup2(errFd, STDERR_FILENO);
        if (run.fileSizeLimit >= 0) {
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{static_cast<rlim_t>(run.fileSizeLimit), static_cast<rlim_t>(run.fileSizeLimit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        const int code = body();
        std::fflush(nullptr);
        _exit(code);
    }
    if (run.input) {
        close(pipeFds[0]);
        // The child may stop reading early; a write into a closed pipe must not end the test.
        signal(SIGPIPE, SIG_IGN);
        std::size_t at = 0;
        while (at < run.input->size()) {
            const ssize_t wrote = write(pipeFds[1], run.input->data() + at, run.input->size() - at);
            if (wrote <= 0) break;
            at += static_cast<std::size_t>(wrote);
        }
        close(pipeFds[1]);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    close(errFd);
    ChildOutcome outcome;
    outcome.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream err(errPath);
    outcome.err.assign(std::istreambuf_iterator<char>(err), {});
    unlink(errPath);
    return outcome;
}

}  // namespace host_test
