// The real program closed while its downloads are in flight: the window goes, the running downloads are abandoned
// with the process, and the process ends with exit code 0 within a few seconds instead of hanging or crashing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "support/LoopbackServer.h"
#include "support/ScratchFolder.h"

#include <commctrl.h>

using namespace loopback;
using namespace std::chrono_literals;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kText1 = 102;
constexpr int kCommand1 = 103;
constexpr int kListView1 = 105;
constexpr int kCommand2 = 106;
constexpr int kText3 = 108;
constexpr int kPictures = 8;

std::string PictureBytes(size_t size) {
    std::string bytes = "\xFF\xD8\xFF\xE0";
    for (size_t i = 0; bytes.size() < size; ++i) bytes.push_back(static_cast<char>((i * 13) & 0xFF));
    return bytes;
}

// A page whose text lists the pictures the way the site's replies carry thumbnails.
std::string PageListing(const LoopbackServer& server, const std::string& kind) {
    std::string page = "<html>";
    for (int i = 1; i <= kPictures; ++i) {
        page += "<img src=\"" + server.BaseUrl() + "/p/" + kind + std::to_string(i) + ".jpg?imageView2/2/w/660\">";
    }
    return page + "</html>";
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
                            &info)) {
            return;
        }
        CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ~RunningProgram() {
        if (!process_) return;
        if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) TerminateProcess(process_, 99);  // a hang reported
        WaitForSingleObject(process_, 10000);
        CloseHandle(process_);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    bool Started() const { return process_ != nullptr; }
    bool Ended() const { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }

    // Its main window, once the start sequence has shown it.
    HWND FindWindow(std::chrono::milliseconds deadline) {
        struct Search {
            DWORD processId;
            HWND found;
        } search{id_, nullptr};
        const auto visibleWindowOf = [](HWND window, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<Search*>(context);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || !IsWindowVisible(window) || GetDlgItem(window, kListView1) == nullptr) {
                return TRUE;
            }
            s->found = window;
            return FALSE;
        };
        const auto end = Clock::now() + deadline;
        while (search.found == nullptr && Clock::now() < end && !Ended()) {
            EnumWindows(visibleWindowOf, reinterpret_cast<LPARAM>(&search));
            if (search.found == nullptr) WaitForSingleObject(process_, 50);
        }
        window_ = search.found;
        return window_;
    }

    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
    // The window's own text boxes take text from another process: WM_SETTEXT is carried across.
    bool SetText(int id, const std::wstring& text) const {
        DWORD_PTR result = 0;
        return SendMessageTimeoutW(Control(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                                   10000, &result) != 0 &&
               result != 0;
    }
    // A click on a button as its notification to the window; the window handles it when its thread is free.
    void Press(int id) const {
        PostMessageW(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Control(id)));
    }
    int Rows() const {
        DWORD_PTR count = 0;
        if (!SendMessageTimeoutW(Control(kListView1), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 1000, &count)) return -1;
        return static_cast<int>(count);
    }

    // Waits for the process to end; its exit code, or nothing when it was still running at the deadline.
    bool WaitForExit(std::chrono::milliseconds deadline, DWORD& exitCode) const {
        if (WaitForSingleObject(process_, static_cast<DWORD>(deadline.count())) != WAIT_OBJECT_0) return false;
        return GetExitCodeProcess(process_, &exitCode) != 0;
    }

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = Clock::now() + deadline;
    while (!condition()) {
        if (Clock::now() >= end) return false;
        Sleep(20);  // another process's window: nothing of ours to pump
    }
    return true;
}

// Searches the page, then starts the download of every row into the scratch folder and waits until the server
// has five pictures in flight.
void StartDownloadsOfPage(RunningProgram& program, const LoopbackServer& server, const ScratchFolder& folder) {
    ASSERT_TRUE(program.Started());
    ASSERT_NE(program.FindWindow(30s), nullptr) << "the program showed no window";
    const std::string page = server.BaseUrl() + "/page";
    ASSERT_TRUE(program.SetText(kText1, std::wstring(page.begin(), page.end())));
    program.Press(kCommand1);
    ASSERT_TRUE(
        WaitUntil([&] { return program.Rows() == kPictures && IsWindowEnabled(program.Control(kCommand2)); }, 30s))
        << "the search listed " << program.Rows() << " pictures";
    // The search put the note folder into the folder box; the downloads go into the scratch folder instead.
    ASSERT_TRUE(program.SetText(kText3, folder.Path()));
    program.Press(kCommand2);
    ASSERT_TRUE(WaitUntil([&] { return server.InFlight("/p/") == 5; }, 30s))
        << server.InFlight("/p/") << " pictures in flight";
    EXPECT_FALSE(IsWindowEnabled(program.Control(kCommand2))) << "the run is going";
}

void ExpectEndsWithZeroSoon(const RunningProgram& program) {
    const auto start = Clock::now();
    DWORD exitCode = 1234;
    ASSERT_TRUE(program.WaitForExit(20s, exitCode)) << "the program did not end after its window was closed";
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    EXPECT_EQ(exitCode, 0u) << "a crash under Wine ends with a non-zero code";
    ::testing::Test::RecordProperty("exit_ms", static_cast<int>(took.count()));
    std::printf("the program ended %lld ms after the close\n", static_cast<long long>(took.count()));
}

}  // namespace

// Five downloads stalled midway, three waiting for a slot: the close box ends the program at once.
TEST(CloseDuringDownload, StalledDownloadsAreAbandonedAndTheProgramEndsWithZero) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    ScratchFolder folder;
    server.ServePath("/page", Response::Text(PageListing(server, "stall")));
    Response stalled = Response::Text(PictureBytes(50'000), 200, "image/jpeg");
    stalled.mode = Mode::StallMidBody;
    stalled.partialBytes = 10'000;
    server.SetFallback([stalled](const Request&) { return stalled; });

    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartDownloadsOfPage(program, server, folder));
    PostMessageW(program.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    // Every stalled download fails at once while the window goes: their workers report and the driver starts the
    // waiting rows right across the close.
    server.Stop();
    ExpectEndsWithZeroSoon(program);

    // No half picture stands under a picture's own name: what was in flight is at most a partial file beside it.
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder.Path() + L"*").c_str(), &entry);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        EXPECT_FALSE(entry.cFileName[0] >= L'0' && entry.cFileName[0] <= L'9') << entry.cFileName;
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// Downloads that are receiving data and finishing one after another while the window goes: workers write their
// rows' status and start the next rows right across the close.
TEST(CloseDuringDownload, DownloadsStillReceivingAreAbandonedAndTheProgramEndsWithZero) {
    LoopbackServer server;
    ASSERT_TRUE(server.Listening());
    ScratchFolder folder;
    server.ServePath("/page", Response::Text(PageListing(server, "slow")));
    server.SetFallback([](const Request& request) {
        // Pictures that take 0.3 s to 2.4 s, so that some end around the moment of the close.
        Response slow = Response::Text(PictureBytes(30'000), 200, "image/jpeg");
        const int number = request.path.size() > 7 ? (request.path[7] - '0') & 7 : 0;  // "/p/slowN.jpg"
        slow.delay = std::chrono::milliseconds(300 * (number + 1));
        return slow;
    });

    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartDownloadsOfPage(program, server, folder));
    WaitUntil([&] { return server.RequestCount() >= 7; }, 10s);  // the first rows have ended, more are starting
    PostMessageW(program.Window(), WM_CLOSE, 0, 0);
    ExpectEndsWithZeroSoon(program);
}
