#include "tests/platform/child_process.h"

#include "platform/settings_store.h"
#include "tests/platform/store_sandbox.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include "platform/windows/windows_lean.h"
#else
#include <cerrno>
#include <climits>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
extern char** environ;
#endif

namespace platform_test {

namespace {

constexpr char kTaskVariable[] = "ALDERMARK_PLATFORM_CHILD";

int writeTask(int writer, int count)
{
    for (int i = 0; i < count; ++i) {
        std::string own = testName("Writer" + std::to_string(writer) + "." + std::to_string(i));
        std::string last = testName("Writer" + std::to_string(writer) + ".last");
        float value = writerValue(writer, i);
        platform::SettingBlob blobs[] = {{own.c_str(), &value, sizeof value}, {last.c_str(), &value, sizeof value}};
        if (!platform::writeSettings(blobs, 2)) return 1;
    }
    return 0;
}

int verifyTask(int count)
{
    for (int i = 0; i < count; ++i) {
        float value = -1.0f;
        if (!platform::readSettingBytes(testName("Fresh." + std::to_string(i)).c_str(), &value, sizeof value))
            return 2;
        if (value != freshValue(i)) return 3;
    }
    return 0;
}

// Runs in every start of the test program, before main: a child does its task and exits.
[[maybe_unused]] const bool childTaskDone = [] {
    const char* task = std::getenv(kTaskVariable);
    if (!task) return false;
    int writer = 0, count = 0;
    int code = 4;
    if (std::sscanf(task, "write %d %d", &writer, &count) == 2)
        code = writeTask(writer, count);
    else if (std::sscanf(task, "verify %d", &count) == 1)
        code = verifyTask(count);
    std::_Exit(code);
}();

}  // namespace

float writerValue(int writer, int i) { return static_cast<float>(writer * 100000 + i) + 0.5f; }
float freshValue(int i) { return static_cast<float>(i) * 0.125f - 1.0f; }

#ifdef _WIN32

ChildProcess::ChildProcess(const std::string& task)
{
    wchar_t exe[32768];
    DWORD length = GetModuleFileNameW(nullptr, exe, 32768);
    if (length == 0 || length >= 32768) return;
    std::wstring wideTask(task.begin(), task.end());
    std::wstring commandLine = L"\"" + std::wstring(exe) + L"\"";
    // The child inherits a copy of our environment at creation; take the task back out at once.
    SetEnvironmentVariableW(L"ALDERMARK_PLATFORM_CHILD", wideTask.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        process_ = info.hProcess;
    }
    SetEnvironmentVariableW(L"ALDERMARK_PLATFORM_CHILD", nullptr);
}

ChildProcess::~ChildProcess() { wait(); }

bool ChildProcess::started() const { return process_ != nullptr; }

int ChildProcess::wait()
{
    if (!process_) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(process_, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process_, &code))
        code = static_cast<DWORD>(-1);
    CloseHandle(process_);
    process_ = nullptr;
    return static_cast<int>(code);
}

#else

ChildProcess::ChildProcess(const std::string& task)
{
    char exe[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (length <= 0) return;
    exe[length] = '\0';
    std::string taskEntry = std::string(kTaskVariable) + "=" + task;
    std::vector<char*> environment;
    for (char** entry = environ; *entry; ++entry) environment.push_back(*entry);
    environment.push_back(taskEntry.data());
    environment.push_back(nullptr);
    char* arguments[] = {exe, nullptr};
    pid_t pid = -1;
    if (posix_spawn(&pid, exe, nullptr, nullptr, arguments, environment.data()) == 0) pid_ = pid;
}

ChildProcess::~ChildProcess() { wait(); }

bool ChildProcess::started() const { return pid_ > 0; }

int ChildProcess::wait()
{
    if (pid_ <= 0) return -1;
    int status = 0;
    pid_t done;
    do {
        done = waitpid(pid_, &status, 0);
    } while (done < 0 && errno == EINTR);
    pid_ = -1;
    return done > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

#endif

}  // namespace platform_test
