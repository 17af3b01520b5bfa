#include <gtest/gtest.h>

#include <cstdio>

#include "framework/Win32.h"

// Runs the tests, then ends the process at once with their result. Under Wine, a normal exit runs every DLL's
// detach code after the other threads are gone; now and then that waited forever on something a vanished thread
// held, and the passed test ran into its time limit. The tool's own exit is tested on the real program instead.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
