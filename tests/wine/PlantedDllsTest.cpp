// The real program started from a folder that also holds DLLs named after Windows' own, with Wine told to prefer a
// DLL beside the program as Windows' search order does: none of them is ever loaded, and the program works as always.
#include <process.h>

#include "Form1Fixture.h"

using namespace std::chrono_literals;

TEST(PlantedDlls, TheProgramLoadsNoneAndSearchesAndDownloadsBesideThem) {
    Site site("planted");
    site.Serve("page", "<img src=\"" + site.Url("p/1.jpg") + "?imageView2/2/w/660\">", "type=text/html");
    site.Serve("p/1.jpg", std::string(30000, 'p'));
    ScratchFolder folder;
    // Wine takes WINEDLLOVERRIDES from the Unix environment only, so this copy's own overrides go to the registry.
    const std::wstring name = L"VoyantaPictures-planted.exe", key = L"Software\\Wine\\AppDefaults\\" + name;
    const std::wstring tests = CurrentExecutablePath().folder, program = folder.Path() + name;
    ASSERT_TRUE(CopyFileW((tests + L"..\\..\\VoyantaPictures.exe").c_str(), program.c_str(), TRUE));
    for (const std::wstring dll : {L"uxtheme", L"winhttp", L"gdiplus", L"comctl32"}) {
        const std::wstring file = dll + L".dll";
        ASSERT_TRUE(CopyFileW((tests + L"planted\\" + file).c_str(), (folder.Path() + file).c_str(), TRUE));
        RegSetKeyValueW(HKEY_CURRENT_USER, (key + L"\\DllOverrides").c_str(), dll.c_str(), REG_SZ, L"n,b", 8);
    }
    const auto process = reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, program.c_str(), program.c_str(), nullptr));
    HWND window = nullptr;  // its main window; another test may show the program's at the same time
    const auto shown = [&] {
        DWORD owner = 0;
        for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"Quellan", nullptr)) != nullptr;)
            if (GetWindowThreadProcessId(w, &owner) && owner == GetProcessId(process) && IsWindowVisible(w)) window = w;
        return window != nullptr || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
    };
    EXPECT_TRUE(PumpUntil(shown, 30s) && window != nullptr) << "the program showed no window";
    const auto send = [&](HWND to, UINT message, WPARAM wp, const void* lp) {  // carried across to the program
        DWORD_PTR result = 0;
        SendMessageTimeoutW(to, message, wp, reinterpret_cast<LPARAM>(lp), SMTO_NORMAL, 30000, &result);
        return result;
    };
    const std::wstring note = WString(site.Url("page")).Str(), pictures = folder.Path() + L"p";
    send(GetDlgItem(window, 102), WM_SETTEXT, 0, note.c_str());
    send(window, WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), GetDlgItem(window, 103));
    EXPECT_TRUE(PumpUntil([&] { return send(GetDlgItem(window, 105), LVM_GETITEMCOUNT, 0, nullptr) == 1; }, 30s));
    send(GetDlgItem(window, 108), WM_SETTEXT, 0, pictures.c_str());
    send(window, WM_COMMAND, MAKEWPARAM(106, BN_CLICKED), GetDlgItem(window, 106));
    EXPECT_TRUE(PumpUntil([&] { return ReadFileBytes(pictures + L"\\1.jpg").size() == 30000; }, 30s));
    PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    DWORD code = 1234;  // a crash ends with another code: Wine's crash debugger is off
    EXPECT_TRUE(WaitForSingleObject(process, 20000) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &code) && !code);
    TerminateProcess(process, 99);
    CloseHandle(process);
    RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
    for (const std::wstring& entry : ListTree(folder.Path()))
        EXPECT_FALSE(entry.ends_with(L".loaded")) << "a planted DLL ran: " << WString(entry).ToRtString();
}
