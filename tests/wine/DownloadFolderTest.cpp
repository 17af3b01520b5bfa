// The download folder as the folder box shows it and as a download run takes it, on a real disk.
#include "download/DownloadFolder.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/WString.h"
#include "support/ScratchFolder.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

class DownloadFolderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        box_ = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 300, 30, nullptr, nullptr, GetModuleHandleW(nullptr),
                               nullptr);
        ASSERT_NE(box_, nullptr);
    }
    void TearDown() override { DestroyWindow(box_); }

    void Type(const std::wstring& text) const { SetControlText(box_, WString(text)); }
    std::wstring Shown() const { return GetControlText(box_).Str(); }

    HWND box_ = nullptr;
    ScratchFolder scratch_;
    const std::wstring exeFolder_ = CurrentExecutablePath().folder;
};

}  // namespace

TEST_F(DownloadFolderTest, TypedFolderWithoutSeparatorIsThatFolderAndIsCreatedLevelByLevel) {
    const std::wstring typed = scratch_.Path() + L"pics\\2024";
    Type(typed);
    const std::wstring folder = TakeFolderFromBox(box_);
    EXPECT_EQ(folder, typed + L"\\") << "file names are appended to a folder, never to its name";
    EXPECT_EQ(CurrentDownloadFolder(), folder);
    EXPECT_TRUE(IsFolder(typed));
    EXPECT_EQ(Shown(), typed) << "the box keeps what the user typed";
}

TEST_F(DownloadFolderTest, TypedFolderWithSeparatorIsUsedAsItIs) {
    const std::wstring typed = scratch_.Path() + L"\u56FE\u7247\\";  // a Chinese folder name survives code page 936
    Type(typed);
    EXPECT_EQ(TakeFolderFromBox(box_), typed);
    EXPECT_TRUE(IsFolder(typed));

    Type(typed);  // an existing folder is taken again without complaint
    EXPECT_EQ(TakeFolderFromBox(box_), typed);
    EXPECT_EQ(scratch_.CountEntries(), 1);
}

TEST_F(DownloadFolderTest, EmptiedBoxMeansTheDefaultFolder) {
    Type(L"");
    EXPECT_EQ(TakeFolderFromBox(box_), exeFolder_ + L"DadAzizEzaz\\");
    EXPECT_EQ(Shown(), exeFolder_ + L"DadAzizEzaz\\");
    EXPECT_TRUE(IsFolder(exeFolder_ + L"DadAzizEzaz"));
}

TEST_F(DownloadFolderTest, NoteFolderIsShownAndBecomesTheDownloadFolderWithoutBeingCreated) {
    ShowNoteFolder(box_, "98765432");
    const std::wstring expected = exeFolder_ + L"DadAzizEzaz\\98765432\\";
    EXPECT_EQ(Shown(), expected);
    EXPECT_EQ(CurrentDownloadFolder(), expected);
    EXPECT_FALSE(IsFolder(expected)) << "the note's folder is made when a download starts";

    ShowNoteFolder(box_, "");
    EXPECT_EQ(Shown(), exeFolder_ + L"DadAzizEzaz\\") << "no note id yet: the default folder";
    ShowNoteFolder(box_, "..\\..\\x");
    EXPECT_EQ(Shown(), exeFolder_ + L"DadAzizEzaz\\") << "an id never leads out of the pictures folder";
}

TEST_F(DownloadFolderTest, DefaultFolderIsShownAndCreatedWithoutChangingTheDownloadFolder) {
    SetDownloadFolder(L"C:\\kept\\");
    ShowDefaultFolder(box_);
    EXPECT_EQ(Shown(), exeFolder_ + L"DadAzizEzaz\\");
    EXPECT_TRUE(IsFolder(exeFolder_ + L"DadAzizEzaz"));
    EXPECT_EQ(CurrentDownloadFolder(), L"C:\\kept\\");
}
