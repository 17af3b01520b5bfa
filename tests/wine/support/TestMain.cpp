#include <gtest/gtest.h>

#include <cstdio>

#include "framework/Win32.h"

// Ends the process at once with the tests' result: under Wine a normal exit runs every DLL's detach code after the
// other threads are gone, which now and then waited forever on a vanished thread's lock. The real program's exit is
// tested on the program itself.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(result));
    return result;
}
