#include "tests/support/fake_xdg_open.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace faketest {

namespace {

// "runs" is renamed into place last, so a reader that sees a new count sees the whole record.
constexpr char kScript[] = R"(#!/bin/sh
here=${0%/*}
count=$(cat "$here/runs" 2>/dev/null || echo 0)
rm -f "$here/finished"
printf '%s\0' "$@" > "$here/arguments"
echo "$#" > "$here/count"
echo "$PPID" > "$here/parent"
readlink "/proc/$PPID/exe" > "$here/parent-exe"
echo $((count + 1)) > "$here/runs.new" && mv "$here/runs.new" "$here/runs"
while [ -e "$here/hold" ]; do sleep 0.01; done
code=$(cat "$here/exit-code" 2>/dev/null || echo 0)
touch "$here/finished"
if [ "$code" = kill ]; then kill -9 $$; fi
exit "$code"
)";

void writeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    if (!out) ADD_FAILURE() << "cannot write " << path;
}

// The process's parent pid and state letter from /proc/<pid>/stat; false when it is gone.
bool readStat(int pid, int& parent, char& state) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');  // the program name may hold spaces and parens
    if (close == std::string::npos) return false;
    std::istringstream rest(text.substr(close + 1));
    return static_cast<bool>(rest >> state >> parent);
}

}  // namespace

FakeXdgOpen::FakeXdgOpen() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] == '/' ? tmp : "/tmp") + "/aldermark-xdg-XXXXXX";
    if (!mkdtemp(pattern.data())) ADD_FAILURE() << "cannot create a temporary folder";
    folder_ = pattern;
    const std::string script = folder_ + "/xdg-open";
    writeFile(script, kScript);
    ::chmod(script.c_str(), 0755);
    if (const char* path = std::getenv("PATH")) {
        hadPath_ = true;
        savedPath_ = path;
    }
    setenv("PATH", (folder_ + ":" + (hadPath_ ? savedPath_ : "/usr/bin:/bin")).c_str(), 1);
}

FakeXdgOpen::~FakeXdgOpen() {
    release();
    if (hadPath_)
        setenv("PATH", savedPath_.c_str(), 1);
    else
        unsetenv("PATH");
    // A run still going would find its folder gone; give it the chance to end first.
    waitUntil(2, [&] { return runs() == 0 || lastRunFinished(); });
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void FakeXdgOpen::setExitCode(int code) { writeFile(folder_ + "/exit-code", std::to_string(code)); }
void FakeXdgOpen::hold() { writeFile(folder_ + "/hold", ""); }
void FakeXdgOpen::release() { ::unlink((folder_ + "/hold").c_str()); }

std::string FakeXdgOpen::read(const char* name) const {
    std::ifstream in(folder_ + "/" + name, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

int FakeXdgOpen::runs() const { return std::atoi(read("runs").c_str()); }
int FakeXdgOpen::lastArgumentCount() const { return std::atoi(read("count").c_str()); }
int FakeXdgOpen::lastParentPid() const { return std::atoi(read("parent").c_str()); }
bool FakeXdgOpen::lastRunFinished() const { return ::access((folder_ + "/finished").c_str(), F_OK) == 0; }

std::string FakeXdgOpen::lastParentProgram() const {
    std::string text = read("parent-exe");
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
}

std::vector<std::string> FakeXdgOpen::lastArguments() const {
    std::vector<std::string> arguments;
    const std::string record = read("arguments");
    for (std::size_t start = 0; start < record.size();) {
        const std::size_t end = record.find('\0', start);
        if (end == std::string::npos) break;
        arguments.push_back(record.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

bool FakeXdgOpen::waitForRun(double seconds) const {
    return waitUntil(seconds, [&] { return runs() > 0; });
}

bool FakeXdgOpen::waitForFinish(double seconds) const {
    return waitUntil(seconds, [&] { return runs() > 0 && lastRunFinished(); });
}

std::vector<int> childProcesses() {
    std::vector<int> children;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        int parent = 0;
        char state = '?';
        if (readStat(std::stoi(name), parent, state) && parent == ::getpid()) children.push_back(std::stoi(name));
    }
    return children;
}

bool processEnded(int pid) {
    int parent = 0;
    char state = '?';
    return !readStat(pid, parent, state) || state == 'Z' || state == 'X';
}

}  // namespace faketest
