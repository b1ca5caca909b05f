// Test entry: remembers how this program was started so a test can run it again as a fresh
// process (the stores are process-wide and load only when the library loads).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

std::string gTestProgram;
bool gChildProcess = false;  // started by a test to check what a fresh process loads

int main(int argc, char** argv) {
    gTestProgram = argv[0];
    ::testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--child") == 0) gChildProcess = true;
    return RUN_ALL_TESTS();
}
