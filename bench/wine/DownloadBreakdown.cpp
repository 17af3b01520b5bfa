#include "DownloadBreakdown.h"

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "BenchWindow.h"
#include "Figures.h"
#include "download/DownloadRun.h"
#include "download/ErrorPage.h"
#include "download/PictureDownload.h"
#include "download/PictureDownloads.h"
#include "download/PictureFiles.h"
#include "download/PictureStructure.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "web/WebRequest.h"

#include <winhttp.h>

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

// Five threads, started once, take the links in order until none is left.
double RunPool(const std::vector<std::wstring>& links, const std::wstring& folder, const FetchOne& fetch) {
    std::atomic<size_t> next{0};
    const auto start = BenchClock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < kInFlight; ++t) {
        threads.emplace_back([&] {
            for (size_t i; (i = next.fetch_add(1)) < links.size();) fetch(links[i], TargetFor(folder, i));
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

// The floor of the platform call the tool uses: WinHTTP straight, a session and connection of its own per picture (as
// the tool has), no time limits, 64 KiB reads into the target.
void FetchWithWinHttp(const std::wstring& link, const std::wstring& target) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = parts.dwUrlPathLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(link.c_str(), 0, 0, &parts)) return;
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    const HINTERNET session = WinHttpOpen(L"bench", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                          WINHTTP_NO_PROXY_BYPASS, 0);
    const HINTERNET connection = session ? WinHttpConnect(session, host.c_str(), parts.nPort, 0) : nullptr;
    const HINTERNET request = connection ? WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr,
                                                              WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, 0)
                                         : nullptr;
    if (request && WinHttpSendRequest(request, WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
        WinHttpReceiveResponse(request, nullptr)) {
        const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            static thread_local char buffer[65536];
            DWORD got = 0;
            DWORD written = 0;
            while (WinHttpReadData(request, buffer, sizeof(buffer), &got) && got > 0) {
                WriteFile(file, buffer, got, &written, nullptr);
            }
            CloseHandle(file);
        }
    }
    for (const HINTERNET handle : {request, connection, session}) {
        if (handle) WinHttpCloseHandle(handle);
    }
}

// The tool's request class alone: a GET with the tool's header, the limits set before every call, the body read as
// it arrives and written straight into the target. No partial file, no checks, no placement.
void FetchWithWebRequest(const std::wstring& link, const std::wstring& target) {
    const auto deadline = [] { return WebRequest::Clock::now() + std::chrono::seconds(60); };
    WebRequest request(deadline());
    if (!request.Open(L"GET", link) || !request.SetRequestHeader(L"User-Agent", kToolUserAgent)) return;
    request.AcceptCompressedReplies();
    if (!request.Send()) return;
    const HANDLE file = CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    std::string piece;
    DWORD written = 0;
    for (bool ended = false; !ended;) {
        piece.clear();
        request.SetDeadline(deadline());
        if (!request.ReadArrived(piece, UINT64_MAX, ended)) break;
        WriteFile(file, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
    }
    CloseHandle(file);
}

// Processor time of the calling thread (user and kernel), in seconds.
double ThreadProcessorSeconds() {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    const auto ticks = [](const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 1e7;
}

// The steps of DownloadPictureFile, one picture after another on this thread, each step timed on its own: where the
// time of one picture goes when nothing else runs in the process. Prints milliseconds per picture for each step, the
// reads per picture, and the processor time per picture of the whole call and of the WinHTTP floor alone.
void TimeSteps(const std::vector<std::wstring>& links, const std::wstring& folder, int64_t pictureBytes) {
    const size_t count = std::min<size_t>(links.size(), 40);
    const auto session = std::make_shared<HttpSession>();
    double open = 0, send = 0, body = 0, close = 0, check = 0, place = 0;
    uint64_t reads = 0;
    int whole = 0;
    const auto lap = [](BenchClock::time_point& from) {
        const auto now = BenchClock::now();
        const double seconds = std::chrono::duration<double>(now - from).count();
        from = now;
        return seconds;
    };
    for (size_t i = 0; i < count; ++i) {
        const std::wstring target = TargetFor(folder, i);
        auto at = BenchClock::now();
        TransferBudget budget(DownloadLimits{}, WebRequest::Clock::now());
        auto request = std::make_unique<WebRequest>(budget.SlowFrom(), session);
        PartialFile file = PartialFile::CreateBeside(target);
        PageStart start;
        PictureStructure structure;
        const bool opened = file && request->Open(L"GET", links[i]) &&
                            request->SetRequestHeader(L"User-Agent", kToolUserAgent);
        request->AcceptCompressedReplies();
        open += lap(at);
        if (!opened || !request->Send()) continue;
        const std::wstring contentType = request->Header(L"Content-Type");
        request->Header(L"Content-Encoding");
        budget.Announced(request->AnnouncedLength().value_or(0));
        send += lap(at);
        std::string piece;
        uint64_t received = 0;
        for (bool ended = false; !ended;) {
            piece.clear();
            request->SetDeadline(budget.SlowFrom());
            if (!request->ReadArrived(piece, UINT64_MAX, ended)) break;
            file.Write(piece);
            start.Feed(piece);
            structure.Feed(piece);
            received += piece.size();
            budget.Received(received, WebRequest::Clock::now());
            ++reads;
        }
        body += lap(at);
        request.reset();
        close += lap(at);
        const int64_t size = file.Size();
        const bool page = IsPageContentType(contentType) || start.LooksLikePage();
        const bool cut = structure.Shape() == PictureShape::Cut;
        check += lap(at);
        whole += !page && !cut && size == pictureBytes && file.PutInPlace(target);
        place += lap(at);
    }
    const double n = static_cast<double>(count);
    PrintFigure("download_steps_pictures_whole", whole, "pictures (of " + std::to_string(count) + ", one at a time)");
    PrintFigure("download_steps_open", 1000 * open / n, "ms/picture (partial file created, session, connection, request)");
    PrintFigure("download_steps_send", 1000 * send / n, "ms/picture (request sent, status and headers received)");
    PrintFigure("download_steps_body", 1000 * body / n, "ms/picture (body read as it arrives, written to the file)");
    PrintFigure("download_steps_reads", static_cast<double>(reads) / n, "reads/picture");
    PrintFigure("download_steps_close", 1000 * close / n, "ms/picture (file and handles closed)");
    PrintFigure("download_steps_check", 1000 * check / n, "ms/picture (size and page check)");
    PrintFigure("download_steps_place", 1000 * place / n, "ms/picture (partial file moved to its name)");
    EmptyFolder(folder);

    auto start = BenchClock::now();
    double processor = ThreadProcessorSeconds();
    for (size_t i = 0; i < count; ++i) DownloadPictureFile(links[i], TargetFor(folder, i), {}, session);
    PrintFigure("download_steps_tool_call", 1000 * SecondsSince(start) / n, "ms/picture (DownloadPictureFile)");
    PrintFigure("download_steps_tool_call_processor", 1000 * (ThreadProcessorSeconds() - processor) / n,
                "ms/picture (processor time of this thread)");
    EmptyFolder(folder);
    start = BenchClock::now();
    processor = ThreadProcessorSeconds();
    for (size_t i = 0; i < count; ++i) FetchWithWinHttp(links[i], TargetFor(folder, i));
    PrintFigure("download_steps_winhttp_floor", 1000 * SecondsSince(start) / n, "ms/picture (WinHTTP, 64 KiB reads)");
    PrintFigure("download_steps_winhttp_floor_processor", 1000 * (ThreadProcessorSeconds() - processor) / n,
                "ms/picture (processor time of this thread)");
    EmptyFolder(folder);
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
    HttpPictureDownloader downloader_{{}, std::make_shared<HttpSession>()};
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

    TimeSteps(wideLinks, folder, pictureBytes);

    double seconds = RunPool(wideLinks, folder, FetchWithWinHttp);
    Report("winhttp_read_loop", seconds, folder, count, pictureBytes);

    seconds = RunPool(wideLinks, folder, FetchWithWebRequest);
    Report("web_request_loop", seconds, folder, count, pictureBytes);

    seconds = RunPool(wideLinks, folder,
                      [session = std::make_shared<HttpSession>()](const std::wstring& link, const std::wstring& target) {
                          DownloadPictureFile(link, target, {}, session);
                      });
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

    const auto start = BenchClock::now();
    for (size_t i = 0; i < count; ++i) {
        const HANDLE thread = CreateThread(nullptr, 0, EmptyThread, nullptr, 0, nullptr);
        if (!thread) continue;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    PrintFigure("download_breakdown_thread_start", 1000 * SecondsSince(start) / count, "ms/thread");
}
