#include "download/DownloadRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

using ::testing::ElementsAre;
using namespace std::chrono_literals;

namespace {

// The rows, the downloads and the threads of a run, behind one lock; every row keeps the writes it received in order.
// Row kinds: 'c' checked, 'b' checked but its download fails, 'n' checked but its worker thread cannot start,
// '-' unchecked.
struct Fakes : DownloadRows, PictureDownloader, ThreadStarter, DownloadRunObserver {
    std::mutex mutex;
    std::condition_variable changed;
    std::string kinds;
    std::vector<bool> checked;
    std::vector<std::vector<RtString>> writes;  // per row
    std::vector<int32_t> marked, shown;         // rows marked as downloading, rows shown as started
    std::vector<RtString> targets, headers;
    int32_t walked = -1;  // the last row whose check box the driver read
    int inFlight = 0, most = 0, runsEnded = 0, bodiesStarted = 0, bodiesEnded = 0;  // bodies: the driver's too
    int gate = -1;                  // downloads still allowed to end; -1: all
    bool serial = false;            // the driver reads a check box only when no worker runs
    bool walkDoneAtHeader = false;  // at the header write: the walk over, and every row started has its outcome
    std::mt19937 random{7};
    std::vector<std::thread> threads;

    void Changed(const std::function<void()>& f) {
        std::unique_lock lock(mutex);
        f();
        changed.notify_all();
    }
    bool WaitUntil(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 20s, condition);
    }
    void SetRows(const std::string& rowKinds) {
        kinds = rowKinds, writes.assign(kinds.size(), {}), checked.assign(kinds.size(), true), marked.clear();
        for (size_t row = 0; row < kinds.size(); ++row) checked[row] = kinds[row] != '-';
        headers.clear(), targets.clear(), bodiesStarted = bodiesEnded = 0;
    }
    void Join() {
        for (;;) {
            std::vector<std::thread> batch;
            Changed([&] { batch.swap(threads); });
            if (batch.empty()) return;
            for (std::thread& thread : batch) thread.join();
        }
    }

    int32_t RowCount() noexcept override { return static_cast<int32_t>(kinds.size()); }  // fixed during a run
    bool IsChecked(int32_t row) noexcept override {
        std::unique_lock lock(mutex);
        if (serial) changed.wait(lock, [&] { return bodiesEnded == bodiesStarted - 1; });
        walked = row;
        return checked[row];
    }
    RtString Link(int32_t row) noexcept override { return "http://127.0.0.1/p/" + std::to_string(row) + ".jpg"; }
    void SetStatus(int32_t row, const RtString& text) noexcept override {
        Changed([&] {
            writes[row].push_back(text);
            if (text == kStatusDownloading) marked.push_back(row);
        });
    }
    void Uncheck(int32_t row) noexcept override {
        Changed([&] { writes[row].push_back("uncheck"), checked[row] = false; });
    }
    void ShowProgress(int32_t row) noexcept override {
        Changed([&] { shown.push_back(row); });
    }
    void SetStatusHeader(const RtString& text) noexcept override {
        Changed([&] {
            headers.push_back(text);
            walkDoneAtHeader = walked + 1 == static_cast<int32_t>(kinds.size());
            for (int32_t row : marked) walkDoneAtHeader &= writes[row].back() != kStatusDownloading;
        });
    }
    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override {
        const RtString target = RtString(folder.begin(), folder.end()) + fileName;  // the test's folders are ASCII
        int pause = 0;
        {
            std::unique_lock lock(mutex);
            targets.push_back(target);
            most = std::max(most, ++inFlight);
            changed.notify_all();
            changed.wait(lock, [&] { return gate != 0; });
            gate -= gate > 0;
            pause = std::uniform_int_distribution<int>(0, 300)(random);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        Changed([&] { --inFlight; });
        return kinds[std::stoul(link.substr(link.rfind('/') + 1))] != 'b';
    }
    bool Start(std::function<void()> body) noexcept override {
        std::lock_guard lock(mutex);
        // The worker of a row of kind 'n' (the last row marked) cannot start.
        if (!marked.empty() && kinds[marked.back()] == 'n' && !threads.empty()) return false;
        ++bodiesStarted;
        threads.emplace_back([this, body = std::move(body)] {
            body();
            Changed([&] { ++bodiesEnded; });
        });
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
        fakes->Changed([&] { fakes->gate = -1; });  // a failed test leaves no download waiting
        fakes->Join();
    }
    bool RunToEnd(const std::wstring& folder = L"C:\\pics\\") {
        int before = 0;
        fakes->Changed([&] { before = fakes->runsEnded; });
        if (!service.StartRun(folder)) return false;
        const bool ended = fakes->WaitUntil([&] { return fakes->runsEnded > before; });
        fakes->Join();
        return ended;
    }

    std::shared_ptr<Fakes> fakes = std::make_shared<Fakes>();
    DownloadService service{fakes, fakes, fakes, fakes};
};

// Every kind of row, under random download times and with downloads that outrun the walk: each row's writes come in
// order, rows start in row order, never more than five download, and the run ends once, after everything else.
TEST_F(DownloadRunTest, EveryRowGetsItsOutcomeInOrderAndTheRunEndsOnceAfterTheWalk) {
    const std::vector<RtString> none, done = {kStatusDownloading, "uncheck", kStatusDone},
                                      failed = {kStatusDownloading, kStatusFailed};
    for (const std::string rows : {"ccccccccccccccccccccccc", "cbc-nc-ccbbcccnc-cccccbc-", "----", "c-b-", "n"}) {
        for (const bool serial : {false, true}) {
            SCOPED_TRACE(rows + (serial ? " (each download ends before the walk goes on)" : ""));
            fakes->Changed([&] { fakes->SetRows(rows), fakes->serial = serial; });
            ASSERT_TRUE(RunToEnd());
            std::lock_guard lock(fakes->mutex);
            std::vector<int32_t> expectedMarked;
            for (size_t row = 0; row < rows.size(); ++row) {
                const char kind = rows[row];
                EXPECT_EQ(fakes->writes[row], kind == '-' ? none : kind == 'c' ? done : failed) << "row " << row;
                EXPECT_EQ(fakes->checked[row], kind != '-' && kind != 'c') << "row " << row;
                if (kind != '-') expectedMarked.push_back(static_cast<int32_t>(row));
            }
            EXPECT_EQ(fakes->marked, expectedMarked);
            const bool anyChecked = !expectedMarked.empty();
            EXPECT_EQ(fakes->headers, anyChecked ? std::vector<RtString>{kHeaderAllDone} : std::vector<RtString>{});
            EXPECT_TRUE(!anyChecked || fakes->walkDoneAtHeader);
        }
    }
    EXPECT_LE(fakes->most, kMaxDownloadsAtOnce);
    EXPECT_FALSE(service.Running());
}

TEST_F(DownloadRunTest, FiveDownloadAtOnceTheSixthRowWaitsMarkedAndTheRestInRowOrder) {
    fakes->SetRows("ccccccc");
    fakes->gate = 0;
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->inFlight == 5 && fakes->marked.size() == 6; }));
    std::this_thread::sleep_for(50ms);  // a driver that ignored the slots would start the sixth by now
    fakes->Changed([&] {
        EXPECT_EQ(fakes->targets.size(), 5u);
        EXPECT_THAT(fakes->marked, ElementsAre(0, 1, 2, 3, 4, 5));
        EXPECT_THAT(fakes->shown, ElementsAre(0, 1, 2, 3, 4, 5));
        EXPECT_TRUE(fakes->headers.empty());
        fakes->gate = 1;
    });
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->targets.size() == 6 && fakes->marked.size() == 7; }));
    fakes->Changed([&] { fakes->gate = -1; });
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->runsEnded == 1; }));
    fakes->Join();
    std::lock_guard lock(fakes->mutex);
    EXPECT_EQ(fakes->most, 5);
    EXPECT_THAT(fakes->shown, ElementsAre(0, 1, 2, 3, 4, 5, 6));
    EXPECT_THAT(fakes->headers, ElementsAre(kHeaderAllDone));
}

TEST_F(DownloadRunTest, ASecondPressIsRefusedWhileARunGoesAndTheNextFetchesOnlyRowsStillChecked) {
    fakes->SetRows("cbcb");
    fakes->gate = 0;
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->inFlight == 4; }));
    EXPECT_FALSE(service.StartRun(L"C:\\other\\"));
    fakes->Changed([&] { fakes->gate = -1; });
    ASSERT_TRUE(fakes->WaitUntil([&] { return fakes->runsEnded == 1; }));
    fakes->Join();

    fakes->Changed([&] { fakes->targets.clear(); });
    ASSERT_TRUE(RunToEnd(L"C:\\other\\"));
    std::sort(fakes->targets.begin(), fakes->targets.end());
    EXPECT_THAT(fakes->targets, ElementsAre("C:\\other\\2.jpg", "C:\\other\\4.jpg"));  // the number follows the row
}

TEST_F(DownloadRunTest, NothingToDoChangesNothing) {
    EXPECT_FALSE(service.StartRun(L"C:\\pics\\")) << "no rows: nothing starts";
    fakes->SetRows("cc");
    struct NoThreads : ThreadStarter {
        bool Start(std::function<void()>) noexcept override { return false; }
    };
    DownloadService cannotStart{fakes, fakes, std::make_shared<NoThreads>(), fakes};  // not even the driver
    EXPECT_TRUE(cannotStart.StartRun(L"C:\\pics\\"));
    EXPECT_FALSE(cannotStart.Running());
    std::lock_guard lock(fakes->mutex);
    EXPECT_EQ(fakes->runsEnded, 1);
    EXPECT_EQ(fakes->writes, std::vector<std::vector<RtString>>(2));
    EXPECT_TRUE(fakes->headers.empty());
}

}  // namespace
