#include "DownloadBreakdown.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "BenchWindow.h"
#include "Figures.h"
#include "download/DownloadRun.h"
#include "download/DownloadWorker.h"
#include "download/UrlDownload.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"

#include <urlmon.h>
#include <wininet.h>

namespace {

constexpr int kInFlight = kMaxDownloadsAtOnce;

using FetchOne = std::function<void(const std::wstring& link, const std::wstring& target)>;

std::wstring TargetFor(const std::wstring& folder, size_t index) {
    return folder + std::to_wstring(index + 1) + L".jpg";
}

int CountWhole(const std::wstring& folder, size_t count, int64_t pictureBytes) {
    int whole = 0;
    for (size_t i = 0; i < count; ++i) whole += FileSizeOf(TargetFor(folder, i)) == pictureBytes;
    return whole;
}

// Five threads, started once, take the links in order until none is left; each thread has its COM apartment.
double RunPool(const std::vector<std::wstring>& links, const std::wstring& folder, const FetchOne& fetch) {
    std::atomic<size_t> next{0};
    const auto start = BenchClock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kInFlight; ++t) {
        threads.emplace_back([&] {
            const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED));
            for (size_t i; (i = next.fetch_add(1)) < links.size();) fetch(links[i], TargetFor(folder, i));
            if (com) CoUninitialize();
        });
    }
    for (std::thread& thread : threads) thread.join();
    return SecondsSince(start);
}

void Report(const std::string& name, double seconds, const std::wstring& folder, size_t count, int64_t bytes) {
    PrintFigure("download_breakdown_" + name, seconds, "s");
    PrintFigure("download_breakdown_" + name + "_whole", CountWhole(folder, count, bytes), "pictures");
    EmptyFolder(folder);
}

// The same bytes through WinINet directly: one request per picture, 64 KiB reads into the file.
void FetchWithWinInet(HINTERNET session, const std::wstring& link, const std::wstring& target) {
    const HINTERNET request =
        InternetOpenUrlW(session, link.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    if (!request) return;
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        static thread_local char buffer[65536];
        DWORD got = 0;
        DWORD written = 0;
        while (InternetReadFile(request, buffer, sizeof(buffer), &got) && got > 0) {
            WriteFile(file, buffer, got, &written, nullptr);
        }
        CloseHandle(file);
    }
    InternetCloseHandle(request);
}

// The rows of a run kept in memory: the service's own driver, workers and downloader, but no list to send to.
class MemoryRows final : public DownloadRows {
  public:
    explicit MemoryRows(std::vector<RtString> links) : links_(std::move(links)) {}
    int32_t RowCount() noexcept override { return static_cast<int32_t>(links_.size()); }
    bool IsChecked(int32_t) noexcept override { return true; }
    RtString Link(int32_t row) noexcept override { return links_[static_cast<size_t>(row)]; }
    void SetStatus(int32_t, const RtString&) noexcept override {}
    void Uncheck(int32_t) noexcept override {}
    void ShowProgress(int32_t) noexcept override {}
    void SetStatusHeader(const RtString&) noexcept override {}

  private:
    std::vector<RtString> links_;
};

class EventObserver final : public DownloadRunObserver {
  public:
    EventObserver() : ended_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~EventObserver() { CloseHandle(ended_); }
    void OnRunStarted() noexcept override {}
    void OnRunFinished() noexcept override { SetEvent(ended_); }
    bool Wait(DWORD milliseconds) { return WaitForSingleObject(ended_, milliseconds) == WAIT_OBJECT_0; }

  private:
    HANDLE ended_;
};

// The window's real list rows as a press takes them (every row counted as checked), with or without the selection
// following the rows started.
class ListRows final : public DownloadRows {
  public:
    ListRows(HWND list, const ListRowWriter& writer, bool scroll)
        : rows_(list, writer.Queue(), writer.WakeWindow()), scroll_(scroll) {
        rows_.TakeRows();
    }
    int32_t RowCount() noexcept override { return rows_.RowCount(); }
    bool IsChecked(int32_t) noexcept override { return true; }
    RtString Link(int32_t row) noexcept override { return rows_.Link(row); }
    void SetStatus(int32_t row, const RtString& text) noexcept override { rows_.SetStatus(row, text); }
    void Uncheck(int32_t row) noexcept override { rows_.Uncheck(row); }
    void ShowProgress(int32_t row) noexcept override {
        if (scroll_) rows_.ShowProgress(row);
    }
    void SetStatusHeader(const RtString& text) noexcept override { rows_.SetStatusHeader(text); }

  private:
    ListViewDownloadRows rows_;
    bool scroll_;
};

// The tool's downloader, counting the downloads inside it at once: the most, and the mean over the run.
class CountingDownloader final : public PictureDownloader {
  public:
    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override {
        const auto start = BenchClock::now();
        const int now = ++inFlight_;
        for (int most = most_; now > most && !most_.compare_exchange_weak(most, now);) {
        }
        const bool done = downloader_.DownloadToFile(link, folder, fileName);
        --inFlight_;
        busy_ += std::chrono::duration_cast<std::chrono::microseconds>(BenchClock::now() - start).count();
        return done;
    }
    int Most() const { return most_; }
    double MeanOver(double seconds) const { return static_cast<double>(busy_) / 1e6 / seconds; }

  private:
    UrlPictureDownloader downloader_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> most_{0};
    std::atomic<int64_t> busy_{0};  // microseconds inside downloads, summed over all of them
};

// One run of the tool's download service over the rows; this thread dispatches the rows' requests meanwhile.
// Prints how many downloads were in flight at once, the most and the mean.
double RunService(const std::string& name, std::shared_ptr<DownloadRows> rows, const std::wstring& folder,
                  HWND list = nullptr) {
    // As the press of "下载选中" does: selection mark before the first row, so that each row started is selected
    // and scrolled to.
    if (list) ListViewSelectItem(list, -1);
    auto observer = std::make_shared<EventObserver>();
    auto downloader = std::make_shared<CountingDownloader>();
    DownloadService service(std::move(rows), downloader, std::make_shared<Win32ThreadStarter>(), observer);
    const auto start = BenchClock::now();
    if (!service.StartRun(folder)) return -1;
    if (!PumpUntil([&] { return observer->Wait(0); }, std::chrono::seconds(300))) return -1;
    const double seconds = SecondsSince(start);
    PumpPending();  // the rows' last writes
    PrintFigure("download_breakdown_" + name + "_most_in_flight", downloader->Most(), "downloads");
    PrintFigure("download_breakdown_" + name + "_mean_in_flight", downloader->MeanOver(seconds), "downloads");
    return seconds;
}

DWORD WINAPI EmptyThread(void*) noexcept {
    return 0;
}

}  // namespace

void RunDownloadBreakdown(HWND list, const std::vector<std::string>& links, const std::wstring& folder,
                          int64_t pictureBytes) {
    std::vector<std::wstring> wideLinks;
    for (const std::string& link : links) wideLinks.push_back(WideFromText(link));
    const size_t count = links.size();
    EmptyFolder(folder);

    const HINTERNET session = InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    double seconds = RunPool(wideLinks, folder, [&](const std::wstring& link, const std::wstring& target) {
        FetchWithWinInet(session, link, target);
    });
    InternetCloseHandle(session);
    Report("wininet_read_loop", seconds, folder, count, pictureBytes);

    seconds = RunPool(wideLinks, folder, [](const std::wstring& link, const std::wstring& target) {
        URLDownloadToFileW(nullptr, link.c_str(), target.c_str(), 0, nullptr);
    });
    Report("urldownload_alone", seconds, folder, count, pictureBytes);

    // Deleting entries of links just downloaded: what the tool does before and after each download.
    auto start = BenchClock::now();
    for (const std::wstring& link : wideLinks) DeleteUrlCacheEntryW(link.c_str());
    PrintFigure("download_breakdown_cache_delete_present", 1000 * SecondsSince(start) / count, "ms/call");
    start = BenchClock::now();
    for (const std::wstring& link : wideLinks) DeleteUrlCacheEntryW(link.c_str());
    PrintFigure("download_breakdown_cache_delete_absent", 1000 * SecondsSince(start) / count, "ms/call");

    seconds = RunPool(wideLinks, folder, [](const std::wstring& link, const std::wstring& target) {
        DeleteUrlCacheEntryW(link.c_str());
        URLDownloadToFileW(nullptr, link.c_str(), target.c_str(), 0, nullptr);
        DeleteUrlCacheEntryW(link.c_str());
    });
    Report("urldownload_cache_delete", seconds, folder, count, pictureBytes);

    seconds = RunPool(wideLinks, folder,
                      [](const std::wstring& link, const std::wstring& target) { DownloadUrlToFile(link, target); });
    Report("tool_download_call", seconds, folder, count, pictureBytes);

    std::vector<RtString> rows;
    for (const std::string& link : links) rows.emplace_back(link);
    seconds = RunService("tool_run_without_list", std::make_shared<MemoryRows>(std::move(rows)), folder);
    Report("tool_run_without_list", seconds, folder, count, pictureBytes);

    const ListRowWriter writer(list);
    seconds =
        RunService("tool_run_list_without_scrolling", std::make_shared<ListRows>(list, writer, false), folder, list);
    Report("tool_run_list_without_scrolling", seconds, folder, count, pictureBytes);

    seconds = RunService("tool_run_list", std::make_shared<ListRows>(list, writer, true), folder, list);
    Report("tool_run_list", seconds, folder, count, pictureBytes);

    start = BenchClock::now();
    for (size_t i = 0; i < count; ++i) {
        const HANDLE thread = CreateThread(nullptr, 0, EmptyThread, nullptr, 0, nullptr);
        if (!thread) continue;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    PrintFigure("download_breakdown_thread_start", 1000 * SecondsSince(start) / count, "ms/thread");
}
