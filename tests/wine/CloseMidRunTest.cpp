// The real program started as a user starts it and closed, idle or while its downloads are in flight: the window
// goes, running downloads are abandoned with the process, and the process ends with exit code 0 within seconds.
#include <cwctype>
#include <process.h>

#include "Form1Fixture.h"

using namespace std::chrono_literals;

namespace {

constexpr int kText1 = 102, kCommand1 = 103, kListView1 = 105, kCommand2 = 106, kText3 = 108;

// Another process's controls take text and clicks carried across by the system.
void SetText(HWND control, const std::string& text) {
    const std::wstring wide = WString(text).Str();
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wide.c_str()), SMTO_NORMAL, 10000, &result);
}
void Press(HWND window, int id) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}
int Rows(HWND window) {
    DWORD_PTR rows = 0;
    SendMessageTimeoutW(GetDlgItem(window, kListView1), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &rows);
    return static_cast<int>(rows);
}

}  // namespace

TEST(CloseMidRun, TheProgramEndsWithZeroIdleOrWithDownloadsInFlight) {
    // pictures 0: closed before any search; reply: of every picture, picture k waiting k * delay before its first byte
    struct Case { const char* what; int pictures; std::string reply; int delayMs; };
    for (const Case& c : {Case{"idle", 0, "", 0}, Case{"five stalled midway, three waiting", 8, "stall_after=10000", 0},
                          Case{"finishing one after another", 8, "", 300}}) {
        SCOPED_TRACE(c.what);
        Site site("close");
        ASSERT_TRUE(site.Running());
        std::string page;
        for (int k = 1; k <= c.pictures; ++k) {
            page += "<img src=\"" + site.Url("p/" + std::to_string(k) + ".jpg") + "?imageView2/2/w/660\">";
            site.Serve("p/" + std::to_string(k) + ".jpg", std::string(30000, 'p'),
                       c.reply + "&delay_ms=" + std::to_string(k * c.delayMs));
        }
        site.Serve("page", page, "type=text/html");
        ScratchFolder folder;

        // Started from a folder of names outside the code page, it makes its pictures folder there.
        const std::wstring home = folder.Path() + L"\u904B J\u00F6rg \uC0AC\uC9C4\\";
        const std::wstring program = home + L"VoyantaPictures.exe";
        ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
        const std::wstring built = CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe";
        ASSERT_TRUE(CopyFileW(built.c_str(), program.c_str(), TRUE));
        const auto process = reinterpret_cast<HANDLE>(_wspawnl(_P_NOWAIT, program.c_str(), program.c_str(), nullptr));
        ASSERT_NE(process, INVALID_HANDLE_VALUE);
        HWND window = nullptr;  // its main window, once shown; other tests may show theirs at the same time
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
        ASSERT_NE(window, nullptr) << "the program showed no window";
        EXPECT_TRUE(PumpUntil([&] { return ListTree(home).count(L"DadAzizEzaz\\") == 1; }, 30s));
        if (c.pictures) {
            SetText(GetDlgItem(window, kText1), site.Url("page"));
            Press(window, kCommand1);
            ASSERT_TRUE(PumpUntil(
                [&] { return Rows(window) == c.pictures && IsWindowEnabled(GetDlgItem(window, kCommand2)); }, 30s));
            SetText(GetDlgItem(window, kText3), WString(folder.Path() + L"p").ToRtString());
            Press(window, kCommand2);
            ASSERT_TRUE(PumpUntil([&] { return site.InFlight("p/").first == 5; }, 30s));
            if (c.delayMs) PumpUntil([&] { return site.Targets().size() >= 8; }, 10s);
            // Stalled downloads never end, so the site's count is exact here: a sixth would be a sixth slot.
            EXPECT_TRUE(c.delayMs || !PumpUntil([&] { return site.InFlight("p/").second > 5; }, 1s));
        }

        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        DWORD code = 1234;
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0) << "the program hangs after its window closed";
        GetExitCodeProcess(process, &code);
        EXPECT_EQ(code, 0u) << "a crash ends with another code under Wine";
        TerminateProcess(process, 99);
        CloseHandle(process);
        // No half picture under a picture's own name: what was in flight is at most a partial file beside it.
        for (const std::wstring& entry : ListTree(folder.Path() + L"p\\"))
            EXPECT_TRUE(c.delayMs || !std::iswdigit(entry[0])) << WString(entry).ToRtString();
    }
}
