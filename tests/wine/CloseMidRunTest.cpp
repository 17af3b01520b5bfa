// The real program closed while its downloads are in flight: the window goes, the running downloads are abandoned
// with the process, and the process ends with exit code 0 within seconds instead of hanging or crashing.
#include <gtest/gtest.h>

#include <chrono>
#include <cwctype>
#include <string>

#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/WString.h"
#include "support/ScratchFolder.h"
#include "support/Site.h"

#include <commctrl.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kText1 = 102, kCommand1 = 103, kListView1 = 105, kCommand2 = 106, kText3 = 108;
constexpr int kPictures = 8;

bool WaitUntil(const auto& condition, std::chrono::seconds deadline) {
    for (const auto end = Clock::now() + deadline; !condition(); Sleep(20)) {
        if (Clock::now() >= end) return false;
    }
    return true;
}

// The program started as a user starts it, driven through its window from this process.
class RunningProgram {
  public:
    RunningProgram() {
        std::wstring program = CurrentExecutablePath().folder + L"..\\..\\VoyantaPictures.exe";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(program.c_str(), program.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &info))
            return;
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ~RunningProgram() {
        if (!process_) return;
        TerminateProcess(process_, 99);  // only a program that hangs is still there
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    HWND FindMainWindow() {
        const auto findIn = [](HWND w, LPARAM self) -> BOOL {
            auto* program = reinterpret_cast<RunningProgram*>(self);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner != program->id_ || !IsWindowVisible(w) || !GetDlgItem(w, kListView1)) return TRUE;
            program->window_ = w;
            return FALSE;
        };
        WaitUntil([&] { return process_ && (EnumWindows(findIn, reinterpret_cast<LPARAM>(this)), window_); },
                  std::chrono::seconds(30));
        return window_;
    }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // Text boxes of another process take WM_SETTEXT carried across.
    void SetText(int id, const std::wstring& text) const {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, 10000,
                            &result);
    }
    void Press(int id) const {
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    int Rows() const {
        DWORD_PTR count = 0;
        SendMessageTimeoutW(Control(kListView1), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &count);
        return static_cast<int>(count);
    }
    bool EndsWithZero() const {
        DWORD code = 1234;
        return WaitForSingleObject(process_, 20000) == WAIT_OBJECT_0 && GetExitCodeProcess(process_, &code) &&
               code == 0;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

}  // namespace

TEST(CloseMidRun, DownloadsInFlightAreAbandonedAndTheProgramEndsWithZero) {
    struct Case {
        const char* what;
        std::string reply;  // of every picture; picture k waits k * delay before its first byte
        int delayMs;
        UINT close;
    };
    for (const Case& c : {Case{"stalled midway, three rows waiting for a slot", "stall_after=10000", 0, WM_SYSCOMMAND},
                          Case{"finishing one after another", "", 300, WM_CLOSE}}) {
        SCOPED_TRACE(c.what);
        Site site("close");
        ASSERT_TRUE(site.Running());
        std::string page = "<html>";
        for (int k = 1; k <= kPictures; ++k) {
            page += "<img src=\"" + site.Url("p/" + std::to_string(k) + ".jpg") + "?imageView2/2/w/660\">";
            site.Serve("p/" + std::to_string(k) + ".jpg", std::string(30000, 'p'),
                       c.reply + "&delay_ms=" + std::to_string(k * c.delayMs));
        }
        site.Serve("page", page + "</html>", "type=text/html");
        ScratchFolder folder;

        RunningProgram program;
        ASSERT_NE(program.FindMainWindow(), nullptr) << "the program showed no window";
        const std::string address = site.Url("page");
        program.SetText(kText1, std::wstring(address.begin(), address.end()));
        program.Press(kCommand1);
        ASSERT_TRUE(WaitUntil(
            [&] { return program.Rows() == kPictures && IsWindowEnabled(program.Control(kCommand2)); },
            std::chrono::seconds(30)));
        program.SetText(kText3, folder.Path());
        program.Press(kCommand2);
        ASSERT_TRUE(WaitUntil([&] { return site.InFlight("p/").first == 5; }, std::chrono::seconds(30)));
        EXPECT_FALSE(IsWindowEnabled(program.Control(kCommand2))) << "the run is going";
        if (c.delayMs) WaitUntil([&] { return site.Targets().size() >= 8; }, std::chrono::seconds(10));

        const auto closed = Clock::now();
        PostMessageW(program.FindMainWindow(), c.close, c.close == WM_SYSCOMMAND ? SC_CLOSE : 0, 0);
        EXPECT_TRUE(program.EndsWithZero()) << "a hang, or a crash (non-zero under Wine)";
        RecordProperty("exit_ms", static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                       Clock::now() - closed).count()));
        // No half picture under a picture's own name: what was in flight is at most a partial file beside it.
        for (const std::wstring& entry : ListTree(folder.Path())) {
            EXPECT_TRUE(c.delayMs || !std::iswdigit(entry[0])) << WString(entry).ToRtString();
        }
    }
}
