// Application start and exit: the application record, the start sequence around the main form, the file-system
// object, and the real program closed through its window.
#include "framework/App.h"

#include <chrono>
#include <string>

#include <gtest/gtest.h>

#include "framework/AppIcons.h"
#include "framework/ControlObject.h"
#include "framework/FileSystem.h"
#include "framework/FormHooks.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Labels.h"
#include "framework/LabelsStyle.h"
#include "framework/ModalLoop.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/WString.h"
#include "support/Pump.h"
#include "support/ScratchFolder.h"
#include "support/TestForm.h"

namespace {

// What the test form saw while the start sequence ran it.
struct Observed {
    int builds = 0;
    bool shown = false;
    bool windowStoredWhileShown = false;
    uint32_t labelPixel = 0;  // a pixel inside a label filled by GDI+
};
Observed gObserved;

constexpr int32_t kLabelId = 7;

void OnTestFormShown(HWND form, LPARAM) noexcept {
    gObserved.shown = true;
    gObserved.windowStoredWhileShown = TheMainForm().window == form;
    gObserved.labelPixel = CaptureClient(form).At(30, 30);
    // The user closes the window: the loop must end by itself, no quit message needed.
    PostMessageW(form, WM_SYSCOMMAND, SC_CLOSE, 0);
}

LRESULT CALLBACK TestFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{nullptr, nullptr, OnTestFormShown, nullptr};
    return FormProcedure(form, message, wParam, lParam, events);
}

// Builds a small form with one opaque label and runs it the way the main form is run.
INT_PTR BuildTestForm(MainFormObject& main, HWND owner, int32_t modalFlag, LPARAM userValue) noexcept {
    ++gObserved.builds;
    auto* window = new FormWindow(L"ShellAppTestForm");
    const HWND form =
        CreateFormWindow(*window, owner, L"App test", TestFormProcedure, 0, 0, 200, 120, WS_POPUP, WS_EX_TOOLWINDOW);
    if (form == nullptr) {
        delete window;
        return 0;
    }
    main.window = form;
    ControlObject* record = NewControlObject();
    AttachFormRecord(form, record);
    AddWindowlessLabel(form, "Label1", kLabelId, L"", 10, 10, 50, 50);
    SetLabelFlags(kLabelId, form, kLabelEnabled | kLabelVisible);
    SetLabelBackColorRgb(kLabelId, form, RGB(0, 0, 255));
    PostFormShown(form, userValue);
    return ShowModal(window, modalFlag, form, owner, SW_SHOWNOACTIVATE, 0);
}

INT_PTR CountingBuild(MainFormObject&, HWND, int32_t, LPARAM) noexcept {
    ++gObserved.builds;
    return 0;
}

int32_t RefusingStartHook(HINSTANCE) noexcept {
    return 1;
}

}  // namespace

TEST(AppStart, FillsTheApplicationRecord) {
    AppInfo info;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    FillAppInfo(info, module);
    EXPECT_EQ(info.module, module);
    EXPECT_EQ(info.title, L"Voyanta原图批量下载");
    EXPECT_EQ(info.productName, L"Voyanta原图批量下载");
    EXPECT_EQ(info.fileDescription, L"Voyanta原图批量下载");
    EXPECT_EQ(info.companyName, L"Quellan");
    EXPECT_EQ(info.exeFileName, L"wine_tests.exe");
    ASSERT_FALSE(info.exeFolder.empty());
    EXPECT_EQ(info.exeFolder.back(), L'\\');
    const std::array<uint32_t, 4> version{1, 0, 0, 0};
    EXPECT_EQ(info.fileVersion, version);
    EXPECT_EQ(info.productVersion, version);
}

TEST(AppStart, TheMainFormRunsModallyAndTheSequenceEndsWithZeroWhenItsWindowIsGone) {
    gObserved = {};
    const int32_t records = LiveControlObjectCount();
    const int32_t forms = LiveFormWindowCount();
    const int quits = QuitMessagesSeen();

    EXPECT_EQ(RunApplication(GetModuleHandleW(nullptr), BuildTestForm), 0);

    EXPECT_EQ(gObserved.builds, 1);
    EXPECT_TRUE(gObserved.shown) << "the form-shown message arrived inside the modal loop";
    EXPECT_TRUE(gObserved.windowStoredWhileShown);
    EXPECT_EQ(gObserved.labelPixel, 0x0000FFu) << "GDI+ ran while the form was shown";
    EXPECT_EQ(TheMainForm().window, nullptr);
    EXPECT_EQ(TheAppInfo().module, GetModuleHandleW(nullptr));
    EXPECT_EQ(LiveControlObjectCount(), records) << "the form's records went with its window";
    EXPECT_EQ(LiveFormWindowCount(), forms);
    MSG quit{};
    EXPECT_FALSE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "no quit message was posted";
    EXPECT_EQ(QuitMessagesSeen(), quits);
}

TEST(AppStart, ARefusingStartHookEndsWithMinusOneAndBuildsNothing) {
    gObserved = {};
    EXPECT_EQ(RunApplication(GetModuleHandleW(nullptr), CountingBuild, RefusingStartHook), -1);
    EXPECT_EQ(gObserved.builds, 0);
    EXPECT_EQ(StartHook(GetModuleHandleW(nullptr)), 0);
    MSG message{};
    EXPECT_EQ(MessageHook(&message), 0);
}

TEST(AppStart, AFormThatCannotBeBuiltStillEndsWithZero) {
    gObserved = {};
    EXPECT_EQ(RunApplication(GetModuleHandleW(nullptr), CountingBuild), 0);
    EXPECT_EQ(gObserved.builds, 1);
}

TEST(AppStart, ASecondShowWhileTheWindowLivesBringsItBackInsteadOfBuilding) {
    gObserved = {};
    TestForm form(100, 60);
    ASSERT_NE(form.Window(), nullptr);
    MainFormObject main;
    main.window = form.Window();
    EXPECT_EQ(ShowMainForm(main, CountingBuild, nullptr, kModal, 0), reinterpret_cast<INT_PTR>(form.Window()));
    EXPECT_EQ(gObserved.builds, 0);
    EXPECT_EQ(main.window, form.Window());

    DestroyWindow(form.Window());
    EXPECT_EQ(ShowMainForm(main, CountingBuild, nullptr, kModal, 0), 0);
    EXPECT_EQ(gObserved.builds, 1) << "a window that is gone is built anew";
    EXPECT_EQ(main.window, nullptr);
}

TEST(FormIcons, BigAndSmallAreTheGroupsFortyEightAndThirtyTwoPixelImages) {
    const std::wstring program = CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe";
    const HMODULE resources =
        LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(resources, nullptr);
    const int32_t records = LiveControlObjectCount();
    HICON big = nullptr;
    HICON small = nullptr;
    {
        TestForm form(100, 60);
        ASSERT_NE(form.Window(), nullptr);
        SetFormIcons(form.Window(), *form.Record(), resources);
        big = reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, ICON_BIG, 0));
        small = reinterpret_cast<HICON>(SendMessageW(form.Window(), WM_GETICON, ICON_SMALL, 0));
        EXPECT_EQ(big, form.Record()->largeIcon);
        EXPECT_EQ(small, form.Record()->smallIcon);
        for (auto [icon, size] : {std::pair{big, 48}, std::pair{small, 32}}) {
            ICONINFO info{};
            ASSERT_TRUE(GetIconInfo(icon, &info)) << size;
            BITMAP color{};
            GetObjectW(info.hbmColor, sizeof color, &color);
            EXPECT_EQ(color.bmWidth, size);
            EXPECT_EQ(color.bmHeight, size);
            DeleteObject(info.hbmColor);
            DeleteObject(info.hbmMask);
        }
        // A module without the group: no icons, nothing reported.
        ControlObject bare;
        SetFormIcons(form.Window(), bare, GetModuleHandleW(nullptr));
        EXPECT_EQ(bare.largeIcon, nullptr);
        EXPECT_EQ(bare.smallIcon, nullptr);
    }
    EXPECT_EQ(LiveControlObjectCount(), records);
    // The form's destruction released both icons.
    ICONINFO gone{};
    EXPECT_FALSE(GetIconInfo(big, &gone));
    EXPECT_FALSE(GetIconInfo(small, &gone));
    FreeLibrary(resources);
}

TEST(FileSystem, TellsExistingFoldersFromFilesAndMissingPaths) {
    ScratchFolder scratch;
    ASSERT_TRUE(scratch.Write(L"file.txt", "x"));
    ASSERT_TRUE(CreateDirectoryW((scratch.Path() + L"图片").c_str(), nullptr));
    const std::wstring folder = scratch.Path();  // ends in a backslash
    ASSERT_FALSE(folder.empty());

    FileSystemObject fileSystem;
    ASSERT_NE(fileSystem.Get(), nullptr) << std::hex << fileSystem.LastResult();
    EXPECT_TRUE(fileSystem.FolderExists(folder));
    EXPECT_TRUE(fileSystem.FolderExists(folder.substr(0, folder.size() - 1))) << "without the trailing separator";
    EXPECT_TRUE(fileSystem.FolderExists(scratch.Path() + L"图片")) << "a Chinese name";
    EXPECT_EQ(fileSystem.LastResult(), S_OK);
    EXPECT_FALSE(fileSystem.FolderExists(folder + L"file.txt")) << "a file is not a folder";
    EXPECT_FALSE(fileSystem.FolderExists(folder + L"missing"));
    EXPECT_FALSE(fileSystem.FolderExists(L""));
    // The process's own object answers the same.
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_FALSE(FolderExists(folder + L"missing\\"));
}

TEST(ProgramRun, ClosingTheWindowEndsTheProgramWithExitCodeZero) {
    std::wstring program = CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(CreateProcessW(program.c_str(), program.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                               &process));
    CloseHandle(process.hThread);

    // Its window appears once the start sequence has built the main form.
    struct Search {
        DWORD processId;
        HWND found;
    } search{process.dwProcessId, nullptr};
    const auto visibleWindowOf = [](HWND window, LPARAM context) -> BOOL {
        auto* s = reinterpret_cast<Search*>(context);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != s->processId || !IsWindowVisible(window)) return TRUE;
        s->found = window;
        return FALSE;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (search.found == nullptr && std::chrono::steady_clock::now() < deadline) {
        if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) break;  // ended early: reported below
        EnumWindows(visibleWindowOf, reinterpret_cast<LPARAM>(&search));
    }
    ASSERT_NE(search.found, nullptr) << "the program showed no window";

    // The close box: the window goes, the modal loop ends without a quit message, the process ends with 0.
    PostMessageW(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0) << "the program did not end";
    DWORD exitCode = 1234;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hProcess);
    EXPECT_EQ(exitCode, 0u);
}
