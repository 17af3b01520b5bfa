// The real program started from a folder that also holds DLLs named after Windows' own, with Wine told to prefer a
// DLL beside the program as Windows' search order does: none of them is ever loaded, and the program works as always.
#include <process.h>

#include "Form1Fixture.h"

using namespace std::chrono_literals;

TEST(PlantedDlls, TheProgramLoadsNoneAndSearchesAndDownloadsBesideThem) {
    Site site("planted");
    ASSERT_TRUE(site.Running());
    site.Serve("page", "<img src=\"" + site.Url("p/1.jpg") + "?imageView2/2/w/660\">", "type=text/html");
    site.Serve("p/1.jpg", std::string(30000, 'p'));
    ScratchFolder folder;
    // Wine takes WINEDLLOVERRIDES from the Unix environment only, so this copy's own overrides go to the registry.
    const std::wstring name = L"VoyantaPictures-planted.exe", overrides = L"Software\\Wine\\AppDefaults\\" + name;
    const std::wstring tests = CurrentExecutablePath().folder, program = folder.Path() + name;
    ASSERT_TRUE(CopyFileW((tests + L"..\\..\\VoyantaPictures.exe").c_str(), program.c_str(), TRUE));
    for (const wchar_t* dll : {L"uxtheme", L"winhttp", L"gdiplus", L"comctl32"}) {
        const std::wstring file = std::wstring(dll) + L".dll";
        ASSERT_TRUE(CopyFileW((tests + L"planted\\" + file).c_str(), (folder.Path() + file).c_str(), TRUE)) << dll;
        RegSetKeyValueW(HKEY_CURRENT_USER, (overrides + L"\\DllOverrides").c_str(), dll, REG_SZ, L"native,builtin", 30);
    }
    const auto process = reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, program.c_str(), program.c_str(), nullptr));
    ASSERT_NE(process, INVALID_HANDLE_VALUE);
    HWND window = nullptr;
    PumpUntil(
        [&] {
            for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"Quellan", nullptr)) != nullptr;) {
                DWORD owner = 0;
                GetWindowThreadProcessId(w, &owner);
                if (owner == GetProcessId(process) && IsWindowVisible(w)) window = w;
            }
            return window != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        },
        30s);
    EXPECT_NE(window, nullptr) << "the program showed no window";
    // Another process's controls take text and clicks carried across by the system.
    const auto send = [&](int id, UINT message, WPARAM wp, LPARAM lp) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(GetDlgItem(window, id), message, wp, lp, SMTO_NORMAL, 10000, &result);
        return result;
    };
    const auto press = [&](int id) {
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    };
    const std::wstring note = WString(site.Url("page")).Str(), pictures = folder.Path() + L"p";
    if (window != nullptr) {
        send(102, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(note.c_str()));
        press(103);
        EXPECT_TRUE(PumpUntil(
            [&] { return send(105, LVM_GETITEMCOUNT, 0, 0) == 1 && IsWindowEnabled(GetDlgItem(window, 106)); }, 30s));
        send(108, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pictures.c_str()));
        press(106);
        EXPECT_TRUE(PumpUntil([&] { return ReadFileBytes(pictures + L"\\1.jpg").size() == 30000; }, 30s));
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    DWORD code = 1234;
    EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(process, &code) && code == 0) << "exit code " << code;
    TerminateProcess(process, 99);
    CloseHandle(process);
    RegDeleteTreeW(HKEY_CURRENT_USER, overrides.c_str());
    for (const std::wstring& entry : ListTree(folder.Path()))
        EXPECT_FALSE(entry.ends_with(L".loaded")) << "a planted DLL ran: " << WString(entry).ToRtString();
}
