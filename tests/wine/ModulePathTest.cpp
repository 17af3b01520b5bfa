#include "framework/ModulePath.h"

#include <gtest/gtest.h>

TEST(ModulePath, NamesTheRunningTestProgram) {
    const ExecutablePath path = CurrentExecutablePath();
    EXPECT_EQ(path.fileName, L"wine_tests.exe");
    ASSERT_FALSE(path.folder.empty());
    EXPECT_EQ(path.folder.back(), L'\\');
}
