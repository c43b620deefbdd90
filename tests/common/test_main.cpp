// Entry of the test programs: runs the tests, then ends the process at once.
// A normal exit lets Wine deliver exit-time window and library notifications,
// which on a busy shared display have held finished test programs for more
// than a minute after their last test.

#include <gtest/gtest.h>

#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#endif

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
#ifdef _WIN32
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), UINT(result));
#endif
    return result;
}
