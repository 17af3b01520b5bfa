// The real program started as a user starts it, driven with real input (the pointer and the keyboard act on whatever
// window is under them, so its window is kept topmost) and closed: idle, while a search waits, after clicks made
// during a search, and while its downloads are in flight. The window answers throughout, clicks made during a search
// act on nothing, and the process ends with exit code 0 within 5 s of the close, leaving only whole pictures. Started
// beside DLLs named after Windows' own, with Wine told to prefer them as Windows' search order would, it loads none.
#include <algorithm>
#include <cstdio>
#include <process.h>

#include "Form1Fixture.h"

using namespace std::chrono_literals;

namespace {

constexpr int kText1 = 102, kCommand1 = 103, kListView1 = 105, kCommand2 = 106, kText3 = 108;

// Another process's windows take requests carried across by the system; -1 when none came back within the time.
LRESULT Ask(HWND window, UINT message, LPARAM lParam = 0, UINT timeoutMs = 1000) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, message, 0, lParam, SMTO_NORMAL, timeoutMs, &result) ? result : -1;
}
void SetText(HWND control, const std::string& text) {
    Ask(control, WM_SETTEXT, reinterpret_cast<LPARAM>(WString(text).Str().c_str()), 10000);
}
void Input(std::initializer_list<std::pair<DWORD, WORD>> steps) {  // mouse flags, or key flags and a key
    for (auto [flags, key] : steps) {
        INPUT input{};
        input.type = key ? INPUT_KEYBOARD : INPUT_MOUSE;
        if (key)
            input.ki = {key, 0, flags, 0, 0};
        else
            input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof(input));
    }
}
void ClickAt(POINT at) {
    for (int held = 0, tries = 0; held < 3 && ++tries < 100; Sleep(20)) {  // Wine may take an earlier X position
        POINT now{};
        held = GetCursorPos(&now) && now.x == at.x && now.y == at.y ? held + 1 : (SetCursorPos(at.x, at.y), 0);
    }
    Input({{MOUSEEVENTF_LEFTDOWN, 0}, {MOUSEEVENTF_LEFTUP, 0}});
}
void Click(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    ClickAt({(r.left + r.right) / 2, (r.top + r.bottom) / 2});
}
// The middle of the close button Wine draws on the title bar, found as the window itself tells it.
POINT CloseBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    const int y = r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
    std::vector<int> xs;
    for (int x = r.right - 1, hit = 0; x > r.right - 80 && hit >= 0; --x)
        if ((hit = static_cast<int>(Ask(window, WM_NCHITTEST, MAKELPARAM(x, y)))) == HTCLOSE) xs.push_back(x);
    return {xs.empty() ? -1 : (xs.front() + xs.back()) / 2, y};
}

}  // namespace

TEST(CloseMidRun, ClosedWithRealInputIdleMidSearchOrMidDownloadTheProgramEndsWithZeroLeavingOnlyWholePictures) {
    enum Close { kCloseBox, kAltF4, kTaskbar };  // the taskbar's Close is a WM_SYSCOMMAND posted to the window
    // search: its reply's options ("": no search); pictures: downloaded before the close, each served with `reply`
    // (but for a trickle: picture 1 whole at once); clicks: made during the search
    struct Case { const char* what; std::string search, reply; int pictures; bool clicks; Close close; bool planted; };
    const std::string stall = "stall=1", trickle = "trickle=1000,200";
    for (const Case& c :
         {Case{"idle", "", "", 0, false, kTaskbar, false},
          Case{"beside planted DLLs, all downloaded", "type=text/html", "", 3, false, kTaskbar, true},
          Case{"a chunk request never answered", stall, "", 0, false, kCloseBox, false},
          Case{"a chunk request never answered, Alt+F4", stall, "", 0, false, kAltF4, false},
          Case{"clicks on both buttons during a slow search", "delay_ms=3000", "", 0, true, kCloseBox, false},
          Case{"five stalled midway, three waiting", "type=text/html", "stall_after=10000", 8, false, kCloseBox, false},
          Case{"trickling, the first one whole", "type=text/html", trickle, 8, false, kCloseBox, false}}) {
        SCOPED_TRACE(c.what);
        Site site("close");
        ASSERT_TRUE(site.Running());
        const std::string picture(30000, 'p');
        std::string page;
        for (int k = 1; k <= std::max(c.pictures, 3); ++k) {
            page += "<img src=\"" + site.Url("p/" + std::to_string(k) + ".jpg") + "?imageView2/2/w/660\">";
            site.Serve("p/" + std::to_string(k) + ".jpg", picture, k == 1 && c.reply == trickle ? "" : c.reply);
        }
        site.Serve("page", page, c.search);
        ScratchFolder folder;

        // Started from a folder of names outside the code page, it makes its pictures folder there.
        const std::wstring home = folder.Path() + L"\u904B J\u00F6rg \uC0AC\uC9C4\\";
        // Wine takes WINEDLLOVERRIDES from the Unix environment only: the planted copy's own go to the registry.
        const std::wstring name = c.planted ? L"VoyantaPictures-planted.exe" : L"VoyantaPictures.exe";
        const std::wstring program = home + name, tests = CurrentExecutablePath().folder;
        const std::wstring overrides = L"Software\\Wine\\AppDefaults\\" + name;
        ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
        ASSERT_TRUE(CopyFileW((tests + L"..\\..\\VoyantaPictures.exe").c_str(), program.c_str(), TRUE));
        for (const std::wstring dll : {L"uxtheme", L"winhttp", L"gdiplus", L"comctl32"}) {
            if (!c.planted) break;
            ASSERT_TRUE(CopyFileW((tests + L"planted\\" + dll + L".dll").c_str(), (home + dll + L".dll").c_str(), 1));
            RegSetKeyValueW(HKEY_CURRENT_USER, (overrides + L"\\DllOverrides").c_str(), dll.c_str(), REG_SZ, L"n,b", 8);
        }
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
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        const HWND find = GetDlgItem(window, kCommand1), download = GetDlgItem(window, kCommand2);
        EXPECT_TRUE(PumpUntil([&] { return ListTree(home).count(L"DadAzizEzaz\\") == 1; }, 30s));
        if (!c.search.empty()) {
            SetText(GetDlgItem(window, kText1), site.Url("page"));
            Click(find);
            ASSERT_TRUE(PumpUntil([&] { return site.InFlight("page").first == 1 || IsWindowEnabled(download); }, 10s));
        }
        if (c.search == stall) {  // the window answers while the search waits, every time within a second
            std::vector<int64_t> ms;
            for (const auto start = std::chrono::steady_clock::now(); std::chrono::steady_clock::now() - start < 3s;) {
                const auto asked = std::chrono::steady_clock::now();
                Ask(window, WM_NULL);
                ms.push_back((std::chrono::steady_clock::now() - asked) / 1ms);
                Sleep(50);
            }
            std::ranges::sort(ms);
            EXPECT_LT(ms.back(), 1000) << "the window did not answer within a second";
            std::printf("answers while a chunk request hangs: %zu, median %lld ms, max %lld ms\n", ms.size(),
                        static_cast<long long>(ms[ms.size() / 2]), static_cast<long long>(ms.back()));
        }
        if (c.clicks) {  // a double-click on "查找图片" and a click on "下载选中" while it searches act on nothing
            Click(find);
            Click(find);
            Click(download);
            ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(download) && IsWindowEnabled(find); }, 30s));
            EXPECT_FALSE(PumpUntil([&] { return site.Targets().size() > 1; }, 2s)) << "one search only, no download";
            EXPECT_EQ(Ask(GetDlgItem(window, kListView1), LVM_GETITEMCOUNT), 3);
        }
        if (c.pictures) {
            ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(download); }, 30s));
            SetText(GetDlgItem(window, kText3), WString(folder.Path() + L"p").ToRtString());
            Click(download);
            if (c.reply.empty()) {  // every picture whole before the close
                EXPECT_TRUE(PumpUntil([&] { return ListTree(folder.Path() + L"p\\").size() == 3u; }, 30s));
                EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(download); }, 30s));
            } else {
                ASSERT_TRUE(PumpUntil([&] { return site.InFlight("p/").first == 5; }, 30s));
            }
            // Stalled downloads never end, so the site's count is exact there: a sixth would be a sixth slot.
            if (c.reply == trickle) {
                EXPECT_TRUE(PumpUntil([&] { return ListTree(folder.Path() + L"p\\").count(L"1.jpg"); }));
            } else if (!c.reply.empty()) {
                EXPECT_FALSE(PumpUntil([&] { return site.InFlight("p/").second > 5; }, 1s));
            }
        }

        const auto closed = std::chrono::steady_clock::now();
        if (c.close == kCloseBox) ClickAt(CloseBox(window));
        if (c.close == kAltF4) {
            SetForegroundWindow(window);
            Input({{0, VK_MENU}, {0, VK_F4}, {KEYEVENTF_KEYUP, VK_F4}, {KEYEVENTF_KEYUP, VK_MENU}});
        }
        if (c.close == kTaskbar) PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(WaitForSingleObject(process, 5000), WAIT_OBJECT_0) << "the program still runs 5 s after the close";
        std::printf("%s: the close to the exit %.1f s\n", c.what,
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - closed).count());
        DWORD code = 1234;
        GetExitCodeProcess(process, &code);
        EXPECT_EQ(code, 0u) << "a crash ends with another code under Wine";
        TerminateProcess(process, 99);
        CloseHandle(process);
        RegDeleteTreeW(HKEY_CURRENT_USER, overrides.c_str());
        for (const std::wstring& entry : ListTree(home))
            EXPECT_FALSE(entry.ends_with(L".loaded")) << "a planted DLL ran: " << WString(entry).ToRtString();
        EXPECT_TRUE(PumpUntil([&] { return site.InFlight().first == 0; }, 10s)) << "no connection outlives the program";
        // Whole pictures stay; nothing half-done: no partial file, no picture cut short.
        for (const std::wstring& entry : ListTree(folder.Path() + L"p\\"))
            EXPECT_TRUE(ReadFileBytes(folder.Path() + L"p\\" + entry) == picture) << WString(entry).ToRtString();
    }
}
