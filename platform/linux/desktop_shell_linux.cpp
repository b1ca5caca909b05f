// The desktop on Linux: documents open through xdg-open, run without a shell. The host must
// never wait for it nor be left a process to reap, so a short-lived starter hands the work to
// a waiter that is no child of the host; the waiter runs xdg-open, waits for it and writes its
// exit status into a pipe that the editor polls. There is no OLE and no system message box.
#include "platform/desktop_shell.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

OleThreadSession::OleThreadSession() = default;
OleThreadSession::~OleThreadSession() = default;

bool showSystemMessageBox(void*, const char*, const char*) { return false; }

namespace {

constexpr int kWaiterStatusFd = 3;  // where the waiter keeps the pipe's write end
constexpr int kNotExited = 256;     // status for an opener that was killed or never started
constexpr int kCannotRun = 127;     // the opener's exit code when exec failed

// xdg-open's exit status in the shell's result codes.
int resultForExitStatus(int status)
{
    switch (status) {
        case 0: return kDocumentOpened;
        case 2: return kDocumentNotFound;  // the file does not exist
        case 3:                            // no tool for this kind of document
        case kCannotRun: return kNoApplicationForDocument;
        default: return kDocumentOpenFailed;  // 1 bad command line, 4 the action failed, signals
    }
}

// The executable regular file `name` in an absolute directory of PATH; empty when none.
// Relative entries would depend on the host's working directory and are skipped.
std::string findOnPath(const char* name)
{
    const char* path = std::getenv("PATH");
    for (std::string_view rest = path ? path : "";;) {
        const std::size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        if (!folder.empty() && folder[0] == '/') {
            std::string candidate(folder);
            if (candidate.back() != '/') candidate += '/';
            candidate += name;
            struct stat info {};
            if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
                ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
        if (colon == std::string_view::npos) return {};
        rest.remove_prefix(colon + 1);
    }
}

void setSignalAction(int signal, void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
}

// The waiter: a child of a child of a host that may run many threads, so async-signal-safe
// calls only from here on.
[[noreturn]] void runWaiter(int statusFd, const char* program, char* const* arguments)
{
    // The host may ignore or block signals; xdg-open and our waiting need the defaults.
    setSignalAction(SIGCHLD, SIG_DFL);
    setSignalAction(SIGPIPE, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    // Hold nothing of the host's open while xdg-open, and maybe its viewer, runs.
    if (statusFd != kWaiterStatusFd && ::dup2(statusFd, kWaiterStatusFd) < 0) ::_exit(1);
    if (::close_range(kWaiterStatusFd + 1, ~0U, 0) != 0)
        for (int fd = kWaiterStatusFd + 1; fd < 4096; ++fd) ::close(fd);

    int status = kNotExited;
    const pid_t opener = ::_Fork();
    if (opener == 0) {
        ::close(kWaiterStatusFd);
        ::execve(program, arguments, environ);
        ::_exit(kCannotRun);
    }
    if (opener > 0) {
        int raw = 0;
        pid_t done;
        do done = ::waitpid(opener, &raw, 0);
        while (done < 0 && errno == EINTR);
        if (done == opener && WIFEXITED(raw)) status = WEXITSTATUS(raw);
    }
    // The editor may be gone and the pipe closed: end quietly rather than by SIGPIPE.
    setSignalAction(SIGPIPE, SIG_IGN);
    ssize_t written;
    do written = ::write(kWaiterStatusFd, &status, sizeof status);
    while (written < 0 && errno == EINTR);
    ::_exit(0);
}

class XdgOpenRequest : public DocumentOpenRequest {
public:
    // Answered with `answer` unless it is told to listen for one.
    explicit XdgOpenRequest(int answer) : answer_(answer) {}
    ~XdgOpenRequest() override { stopListening(); }
    XdgOpenRequest(const XdgOpenRequest&) = delete;
    XdgOpenRequest& operator=(const XdgOpenRequest&) = delete;

    // The answer comes through the pipe's read end `statusFd` (owned from now on).
    void listen(int statusFd, std::chrono::milliseconds settleTime)
    {
        stopListening();
        statusFd_ = statusFd;
        settleDeadline_ = std::chrono::steady_clock::now() + settleTime;
        answer_.reset();
    }

    std::optional<int> result() override
    {
        if (statusFd_ >= 0) poll();
        return answer_;
    }

private:
    void poll()
    {
        int status = 0;
        ssize_t got;
        do got = ::read(statusFd_, &status, sizeof status);
        while (got < 0 && errno == EINTR);
        if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            if (std::chrono::steady_clock::now() < settleDeadline_) return;
            answer_ = kDocumentOpened;  // still running: xdg-open waits for the viewer it started
        } else {
            // The pipe closed without a status: the waiter never got to start xdg-open.
            answer_ = got == static_cast<ssize_t>(sizeof status) ? resultForExitStatus(status) : kDocumentOpenFailed;
        }
        stopListening();
    }

    void stopListening()
    {
        if (statusFd_ >= 0) ::close(statusFd_);
        statusFd_ = -1;
    }

    int statusFd_ = -1;
    std::chrono::steady_clock::time_point settleDeadline_{};
    std::optional<int> answer_;
};

std::unique_ptr<DocumentOpenRequest> answered(int code)
{
    return std::unique_ptr<DocumentOpenRequest>(new (std::nothrow) XdgOpenRequest(code));
}

}  // namespace

std::unique_ptr<DocumentOpenRequest> openDocument(const char* utf8Path, void* ownerWindow,
                                                  std::chrono::milliseconds settleTime)
{
    (void)ownerWindow;
    try {
        if (!utf8Path || !*utf8Path) return answered(kDocumentNotFound);
        const std::string program = findOnPath("xdg-open");
        if (program.empty()) return answered(kNoApplicationForDocument);
        // A relative path that starts with '-' would read as an option.
        std::string document = utf8Path[0] == '-' ? std::string("./") + utf8Path : std::string(utf8Path);
        char* arguments[] = {const_cast<char*>(program.c_str()), document.data(), nullptr};
        auto request = std::unique_ptr<XdgOpenRequest>(new (std::nothrow) XdgOpenRequest(kDocumentOpenFailed));
        if (!request) return nullptr;

        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return request;
        const pid_t starter = ::fork();
        if (starter == 0) {
            const pid_t waiter = ::_Fork();
            if (waiter == 0) runWaiter(fds[1], program.c_str(), arguments);
            ::_exit(waiter > 0 ? 0 : 1);
        }
        ::close(fds[1]);
        if (starter < 0) {
            ::close(fds[0]);
            return request;
        }
        // The starter ends as soon as the waiter exists; a failed start shows as a closed pipe.
        pid_t done;
        do done = ::waitpid(starter, nullptr, 0);
        while (done < 0 && errno == EINTR);
        request->listen(fds[0], settleTime);
        return request;
    } catch (...) {
        return answered(kDocumentOpenFailed);
    }
}

}  // namespace platform
