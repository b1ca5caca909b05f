#pragma once
// Runs this test program again as a child process that performs one store task and exits
// before any test runs. Tasks (the child's exit code is 0 on success):
//   "write <writer> <count>"  count writes, each of "Writer<writer>.<i>" and "Writer<writer>.last"
//   "verify <count>"          reads "Fresh.<i>" and checks each is freshValue(i)
// All names carry the test prefix.
#include <string>

namespace platform_test {

float writerValue(int writer, int i);
float freshValue(int i);

class ChildProcess {
public:
    explicit ChildProcess(const std::string& task);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const;
    // The child's exit code, or -1 when it did not start or did not end normally.
    int wait();

private:
#ifdef _WIN32
    void* process_ = nullptr;
#else
    int pid_ = -1;
#endif
};

}  // namespace platform_test
