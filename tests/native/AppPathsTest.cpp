#include "framework/AppPaths.h"

#include <gtest/gtest.h>

TEST(ExecutablePath, SplitsAtTheLastSeparator) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* file;
    } cases[] = {
        {L"C:\\Tools\\a.exe", L"C:\\Tools\\", L"a.exe"},
        {L"a.exe", L"", L"a.exe"},
        {L"C:a.exe", L"C:", L"a.exe"},
        {L"/home/u/x/a.exe", L"/home/u/x/", L"a.exe"},
        {L"C:\\Tools/sub\\", L"C:\\Tools/sub\\", L""},
        {L"", L"", L""},
    };
    for (const Case& c : cases) {
        const ExecutablePath split = SplitExecutablePath(c.path);
        EXPECT_EQ(split.folder, c.folder);
        EXPECT_EQ(split.fileName, c.file);
    }
}
