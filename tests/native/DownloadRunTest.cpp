#include "download/DownloadRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// The rows, the downloads and the threads of a run, behind one lock; every row keeps, in order, the writes it received
// and the file its download went to. Row kinds: 'c' checked, 'b' checked but its download fails, 'n' checked but its
// worker thread cannot start, '-' unchecked. Serial: the driver reads a check box only when no worker runs.
struct Fakes : DownloadRows, PictureDownloader, ThreadStarter, DownloadRunObserver {
    std::mutex mutex;
    std::condition_variable changed;
    std::string kinds;
    std::vector<std::vector<RtString>> writes;  // per row
    std::vector<int32_t> marked;                // rows marked as downloading
    std::vector<RtString> headers;
    int inFlight = 0, most = 0, runsEnded = 0, bodiesStarted = 0, bodiesEnded = 0;  // bodies: the driver's too
    int gate = -1;                           // downloads still allowed to end; -1: all
    bool serial = false, noThreads = false;  // noThreads: no thread starts, not even the driver's
    std::vector<std::thread> threads;

    void Changed(const std::function<void()>& f) {
        std::unique_lock lock(mutex);
        f();
        changed.notify_all();
    }
    bool WaitUntil(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(20), condition);
    }
    void SetRows(std::string k) { kinds = k, writes.assign(k.size(), {}), marked.clear(), headers.clear(); }
    void Join() {  // the driver's thread starts the workers' threads
        for (std::vector<std::thread> batch; Changed([&] { batch.swap(threads); }), !batch.empty(); batch.clear())
            for (std::thread& thread : batch) thread.join();
    }

    int32_t RowCount() noexcept override { return static_cast<int32_t>(kinds.size()); }  // fixed during a run
    bool IsChecked(int32_t row) noexcept override {
        std::unique_lock lock(mutex);
        if (serial) changed.wait(lock, [&] { return bodiesEnded == bodiesStarted - 1; });
        EXPECT_TRUE(headers.empty()) << "the run ended before the walk reached row " << row;
        return kinds[row] != '-';
    }
    RtString Link(int32_t row) noexcept override { return "http://127.0.0.1/p/" + std::to_string(row) + ".jpg"; }
    void SetStatus(int32_t row, const RtString& text) noexcept override {
        Changed([&] { writes[row].push_back(text), text == kStatusDownloading ? marked.push_back(row) : void(); });
    }
    void Uncheck(int32_t row) noexcept override { SetStatus(row, "uncheck"); }
    void ShowProgress(int32_t row) noexcept override { SetStatus(row, "shown"); }
    void SetStatusHeader(const RtString& text) noexcept override {
        Changed([&] {
            headers.push_back(text);
            for (int32_t row : marked) EXPECT_NE(writes[row].back(), kStatusDownloading) << "row " << row << " runs";
        });
    }
    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override {
        const size_t row = std::stoul(link.substr(link.rfind('/') + 1));
        std::unique_lock lock(mutex);
        writes[row].push_back(RtString(folder.begin(), folder.end()) + fileName);  // the test's folders are ASCII
        most = std::max(most, ++inFlight);
        changed.notify_all();
        changed.wait(lock, [&] { return gate != 0; });
        gate -= gate > 0, --inFlight;
        return kinds[row] != 'b';
    }
    bool Start(std::function<void()> body) noexcept override {
        std::lock_guard lock(mutex);
        if (noThreads || (!marked.empty() && kinds[marked.back()] == 'n')) return false;  // 'n': the last row marked
        ++bodiesStarted;
        threads.emplace_back([this, body = std::move(body)] { body(), Changed([&] { ++bodiesEnded; }); });
        return true;
    }
    void OnRunStarted() noexcept override {}
    void OnRunFinished() noexcept override {
        Changed([&] { ++runsEnded; });
    }
};

class DownloadRunTest : public ::testing::Test {
  protected:
    ~DownloadRunTest() override {
        fakes->Changed([&] { fakes->gate = -1; }), fakes->Join();  // a failed test leaves no download waiting
    }
    bool WaitForEnd(int runs) {
        const bool ended = fakes->WaitUntil([&] { return fakes->runsEnded == runs; });
        return fakes->Join(), ended;
    }

    std::shared_ptr<Fakes> fakes = std::make_shared<Fakes>();
    DownloadService service{fakes, fakes, fakes, fakes};
};

// Every kind of row, with downloads that outrun the walk or not: each row's writes come in order and name its file,
// rows start in row order, and the run ends once, after everything else.
TEST_F(DownloadRunTest, EveryRowGetsItsOutcomeInOrderAndTheRunEndsOnceAfterTheWalk) {
    int runs = 0;
    for (const std::string rows : {"ccccccccccccccccccccccc", "cbc-nc-ccbbcccnc-cccccbc-", "----", "c-b-", "n"}) {
        for (const bool serial : {false, true}) {
            SCOPED_TRACE(rows + (serial ? " (each download ends before the walk goes on)" : ""));
            fakes->Changed([&] { fakes->SetRows(rows), fakes->serial = serial; });
            ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
            ASSERT_TRUE(WaitForEnd(++runs));
            std::vector<int32_t> expectedMarked;
            for (size_t row = 0; row < rows.size(); ++row) {
                const char kind = rows[row];
                std::vector<RtString> expected;
                if (kind != '-') expected = {kStatusDownloading, "shown"}, expectedMarked.push_back(int32_t(row));
                if (kind == 'c' || kind == 'b') expected.push_back("C:\\pics\\" + std::to_string(row + 1) + ".jpg");
                if (kind == 'c') expected.push_back("uncheck");
                if (kind != '-') expected.push_back(kind == 'c' ? kStatusDone : kStatusFailed);
                EXPECT_EQ(fakes->writes[row], expected) << "row " << row;
            }
            EXPECT_EQ(fakes->marked, expectedMarked);
            EXPECT_EQ(fakes->headers, std::vector<RtString>(!expectedMarked.empty(), kHeaderAllDone));
        }
    }
}

TEST_F(DownloadRunTest, FiveDownloadAtOnceASecondPressIsRefusedAndNothingToDoChangesNothing) {
    EXPECT_FALSE(service.StartRun(L"C:\\pics\\")) << "no rows: nothing starts";
    fakes->SetRows("ccccccc"), fakes->gate = 0;
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->inFlight == 5 && fakes->marked.size() == 6; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // a driver ignoring the slots starts the sixth by now
    EXPECT_FALSE(service.StartRun(L"C:\\other\\"));
    fakes->Changed([&] { fakes->gate = -1; });
    ASSERT_TRUE(WaitForEnd(1));
    EXPECT_EQ(fakes->most, 5);
    fakes->Changed([&] { fakes->SetRows("cc"), fakes->noThreads = true; });
    EXPECT_TRUE(service.StartRun(L"C:\\pics\\")) << "no thread, not even the driver's: the run ends, changing nothing";
    EXPECT_EQ(fakes->runsEnded, 2);
    EXPECT_EQ(fakes->writes, std::vector<std::vector<RtString>>(2));
    EXPECT_TRUE(fakes->headers.empty());
}

}  // namespace
