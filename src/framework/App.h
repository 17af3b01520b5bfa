#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "framework/FileSystem.h"
#include "framework/Win32.h"

// Application start and exit: the process-wide objects, the start sequence that shows the main form modally, and the
// hooks the program offers. Window thread only.

// Filled once at start, read-only afterwards. The texts and version numbers are the program's compiled-in
// constants (the same values as its version resource).
struct AppInfo {
    std::wstring title;
    std::wstring companyName;
    std::wstring exeFileName;  // after the executable path's last separator
    std::wstring productName;
    HINSTANCE module = nullptr;
    std::wstring exeFolder;  // up to and including the last separator; empty when the path has none
    std::wstring fileDescription;
    std::array<uint32_t, 4> fileVersion{};  // major, minor, revision, build
    std::array<uint32_t, 4> productVersion{};
};
void FillAppInfo(AppInfo& info, HINSTANCE module) noexcept;

// One control of the main form as the rest of the program reaches it: the control's window and id (a windowless label
// holds the form's window and its own id).
struct FormControl {
    HWND window = nullptr;
    int32_t id = 0;
};

// The main form as the program holds it.
struct MainFormObject {
    bool allowManyWindows = false;  // never set: a second show brings the one window back instead
    HWND window = nullptr;          // 0 until the form exists, 0 again once its window is destroyed
    FormControl Text1, Command1, Label1, ListView1, Command2, Label3, Text3;
};

// The process-wide objects, made in this order when the program starts (before its entry function runs) and released
// in the reverse order at exit, after EndHook: the file-system object (and COM) first, the application record last.
struct ProcessObjects {
    ProcessObjects() = default;
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    AppInfo appInfo;
    MainFormObject mainForm;
    FileSystemObject fileSystem;
};
// Made on first use; the program uses it before its entry function runs.
ProcessObjects& Process() noexcept;
const AppInfo& TheAppInfo() noexcept;
MainFormObject& TheMainForm() noexcept;
FileSystemObject& ProcessFileSystem() noexcept;

// Called after GDI+ has started and before the main form is built; non-zero ends the start with exit code -1.
// This program's hook returns 0.
int32_t StartHook(HINSTANCE module) noexcept;
// Called first when the process's objects are released at exit. This program's hook does nothing.
void EndHook(HINSTANCE module) noexcept;
// MessageHook, offered every message of the modal loop, is declared in FormHooks.h; this program's returns 0.

// Builds the main form and shows it with the given owner, modal flag (kModal runs the message loop until the form's
// window is gone) and user value (handed to the form-shown handler). Stores the form's window in form.window as soon
// as it exists. Returns the modal loop's result, or 0 when the window could not be made.
using BuildMainForm = INT_PTR (*)(MainFormObject& form, HWND owner, int32_t modalFlag, LPARAM userValue) noexcept;
// The main form's own build-and-show, defined by the main form's code.
INT_PTR BuildAndShowForm1(MainFormObject& form, HWND owner, int32_t modalFlag, LPARAM userValue) noexcept;

// Shows the main form. While its window exists (and many windows are not allowed) builds nothing: restores that
// window, brings it to the foreground, flashes it and returns its handle. Otherwise builds and shows it; once a modal
// show returns the form's window is gone and form.window is 0 again.
INT_PTR ShowMainForm(MainFormObject& form, BuildMainForm build, HWND owner, int32_t modalFlag,
                     LPARAM userValue) noexcept;

using StartHookFunction = int32_t (*)(HINSTANCE module) noexcept;
// The start sequence once the process objects exist: fills AppInfo, starts GDI+, runs the start hook (non-zero: -1
// at once, no form), shows the main form modally with no owner and user value 0, and stops GDI+ when it returns.
// The result is the process's exit code: 0 once the form's window is gone (no quit message is needed), -1 when the
// start hook refused.
int RunApplication(HINSTANCE module, BuildMainForm build, StartHookFunction startHook = StartHook) noexcept;
