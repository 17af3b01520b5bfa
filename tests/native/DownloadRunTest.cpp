#include "download/DownloadRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

namespace {

using namespace std::chrono_literals;

// One lock and one signal for every fake, so a test can wait for any combination of their states.
struct World {
    std::mutex mutex;
    std::condition_variable changed;

    // Waits until the condition holds (checked under the lock); false after a generous deadline.
    bool WaitUntil(const std::function<bool()>& condition) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 20s, condition);
    }
};

struct Row {
    bool checked = true;
    RtString link;
    RtString status;
};

class FakeRows : public DownloadRows {
  public:
    explicit FakeRows(World& world) : world_(world) {}

    // Called under the world's lock before a check box is read: lets a test hold the driver at a row.
    std::function<void(int32_t row, std::unique_lock<std::mutex>& lock)> beforeCheck;

    std::vector<Row> rows;         // guarded by the world's lock, like everything below
    std::vector<RtString> events;  // "<row> <status>", "uncheck <row>", "header <text>" in the order they came
    int headerWrites = 0;
    RtString header;

    int32_t RowCount() noexcept override {
        std::lock_guard lock(world_.mutex);
        return static_cast<int32_t>(rows.size());
    }
    bool IsChecked(int32_t row) noexcept override {
        std::unique_lock lock(world_.mutex);
        if (beforeCheck) beforeCheck(row, lock);
        return Valid(row) && rows[row].checked;
    }
    RtString Link(int32_t row) noexcept override {
        std::lock_guard lock(world_.mutex);
        return Valid(row) ? rows[row].link : RtString();
    }
    void SetStatus(int32_t row, const RtString& text) noexcept override {
        Change([&] {
            if (Valid(row)) rows[row].status = text;
            events.push_back(std::to_string(row) + " " + text);
        });
    }
    void Uncheck(int32_t row) noexcept override {
        Change([&] {
            if (Valid(row)) rows[row].checked = false;
            events.push_back("uncheck " + std::to_string(row));
        });
    }
    void ShowProgress(int32_t row) noexcept override {
        Change([&] { shown.push_back(row); });
    }
    void SetStatusHeader(const RtString& text) noexcept override {
        Change([&] {
            header = text;
            ++headerWrites;
            events.push_back("header " + text);
        });
    }

    std::vector<int32_t> shown;

  private:
    bool Valid(int32_t row) const { return row >= 0 && static_cast<size_t>(row) < rows.size(); }
    void Change(const std::function<void()>& change) {
        {
            std::lock_guard lock(world_.mutex);
            change();
        }
        world_.changed.notify_all();
    }
    World& world_;
};

// Downloads "succeed" unless the link contains "bad". Gated links wait until the test opens their gate.
class FakeDownloader : public PictureDownloader {
  public:
    explicit FakeDownloader(World& world) : world_(world) {}

    bool gated = false;             // set before the run
    std::set<RtString> open;        // gated links allowed to end
    std::vector<RtString> started;  // links in the order their downloads began
    std::vector<RtString> targets;  // target paths, same order
    int inFlight = 0;
    int maxInFlight = 0;
    int finished = 0;
    std::function<void()> work;  // extra work inside a download, outside the lock (the stress test sleeps)

    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override {
        {
            std::unique_lock lock(world_.mutex);
            started.push_back(link);
            targets.push_back(RtString(folder.begin(), folder.end()) + fileName);  // the test's folders are ASCII
            maxInFlight = std::max(maxInFlight, ++inFlight);
            world_.changed.notify_all();
            world_.changed.wait(lock, [&] { return !gated || open.count(link) > 0; });
        }
        if (work) work();
        {
            std::lock_guard lock(world_.mutex);
            --inFlight;
            ++finished;
        }
        world_.changed.notify_all();
        return link.find("bad") == RtString::npos;
    }

    void Open(const RtString& link) {
        {
            std::lock_guard lock(world_.mutex);
            open.insert(link);
        }
        world_.changed.notify_all();
    }

  private:
    World& world_;
};

// Real threads, joined by the test at its end. Start number n (1-based, the driver's own start included) fails
// when failWhen(n) says so.
class TestThreads : public ThreadStarter {
  public:
    explicit TestThreads(World& world) : world_(world) {}
    std::function<bool(int)> failWhen = [](int) { return false; };
    int started = 0;  // bodies started and ended so far, guarded by the world's lock
    int ended = 0;

    bool Start(std::function<void()> body) noexcept override {
        std::lock_guard lock(world_.mutex);
        if (failWhen(++attempts_)) return false;
        ++started;
        threads_.emplace_back([this, body = std::move(body)] {
            body();
            {
                std::lock_guard lock(world_.mutex);
                ++ended;
            }
            world_.changed.notify_all();
        });
        return true;
    }
    // Joins every thread started so far and those they start in turn.
    void JoinAll() {
        for (;;) {
            std::vector<std::thread> batch;
            {
                std::lock_guard lock(world_.mutex);
                batch.swap(threads_);
            }
            if (batch.empty()) return;
            for (std::thread& thread : batch) thread.join();
        }
    }

  private:
    World& world_;
    int attempts_ = 0;
    std::vector<std::thread> threads_;
};

class FakeObserver : public DownloadRunObserver {
  public:
    explicit FakeObserver(World& world) : world_(world) {}
    int started = 0;  // guarded by the world's lock
    int finished = 0;
    void OnRunStarted() noexcept override {
        std::lock_guard lock(world_.mutex);
        ++started;
    }
    void OnRunFinished() noexcept override {
        {
            std::lock_guard lock(world_.mutex);
            ++finished;
        }
        world_.changed.notify_all();
    }

  private:
    World& world_;
};

class DownloadRunTest : public ::testing::Test {
  protected:
    World world;
    std::shared_ptr<FakeRows> rows = std::make_shared<FakeRows>(world);
    std::shared_ptr<FakeDownloader> downloader = std::make_shared<FakeDownloader>(world);
    std::shared_ptr<TestThreads> threads = std::make_shared<TestThreads>(world);
    std::shared_ptr<FakeObserver> observer = std::make_shared<FakeObserver>(world);
    DownloadService service{rows, downloader, threads, observer};

    ~DownloadRunTest() override {
        {
            std::lock_guard lock(world.mutex);
            downloader->gated = false;  // a failed test leaves no download waiting forever
        }
        world.changed.notify_all();
        threads->JoinAll();
    }

    static RtString LinkOf(int row, const char* extension = ".jpg") {
        return "http://127.0.0.1/p/" + std::to_string(row) + extension;
    }
    void AddRows(int count) {
        for (int i = 0; i < count; ++i) rows->rows.push_back({true, LinkOf(i), ""});
    }
    bool WaitForRunEnd(int runs = 1) {
        return world.WaitUntil([&] { return observer->finished >= runs; });
    }
    // Rows in the order they were marked as downloading (under the world's lock).
    std::vector<int32_t> MarkedRows() {
        std::vector<int32_t> marked;
        const RtString suffix = RtString(" ") + kStatusDownloading;
        for (const RtString& event : rows->events)
            if (event.size() > suffix.size() && event.ends_with(suffix)) marked.push_back(std::stoi(event));
        return marked;
    }
    std::vector<RtString> Statuses() {
        std::vector<RtString> statuses;
        for (const Row& row : rows->rows) statuses.push_back(row.status);
        return statuses;
    }
};

TEST_F(DownloadRunTest, SevenRowsDownloadFiveAtATimeAndStartInRowOrder) {
    AddRows(7);
    downloader->gated = true;
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));

    // Five downloading, the sixth row marked and waiting for a slot, the seventh not reached.
    ASSERT_TRUE(
        world.WaitUntil([&] { return downloader->inFlight == 5 && rows->rows[5].status == kStatusDownloading; }));
    {
        std::lock_guard lock(world.mutex);
        EXPECT_THAT(Statuses(), ElementsAre(kStatusDownloading, kStatusDownloading, kStatusDownloading,
                                            kStatusDownloading, kStatusDownloading, kStatusDownloading, ""));
        EXPECT_EQ(rows->headerWrites, 0);
    }
    std::this_thread::sleep_for(50ms);  // a wrongly unthrottled driver would start the sixth by now
    {
        std::lock_guard lock(world.mutex);
        EXPECT_EQ(downloader->started.size(), 5u);
    }

    // The third ends: the sixth starts, then the seventh waits.
    downloader->Open(LinkOf(2));
    ASSERT_TRUE(
        world.WaitUntil([&] { return rows->rows[6].status == kStatusDownloading && downloader->inFlight == 5; }));
    {
        std::lock_guard lock(world.mutex);
        EXPECT_EQ(rows->rows[2].status, kStatusDone);
        EXPECT_EQ(downloader->started.size(), 6u);
    }
    for (int row = 0; row < 7; ++row) downloader->Open(LinkOf(row));
    ASSERT_TRUE(WaitForRunEnd());

    std::lock_guard lock(world.mutex);
    EXPECT_THAT(MarkedRows(), ElementsAre(0, 1, 2, 3, 4, 5, 6));
    EXPECT_THAT(downloader->started,
                UnorderedElementsAre(LinkOf(0), LinkOf(1), LinkOf(2), LinkOf(3), LinkOf(4), LinkOf(5), LinkOf(6)));
    EXPECT_EQ(downloader->maxInFlight, 5);
    EXPECT_THAT(Statuses(), ::testing::Each(RtString(kStatusDone)));
    for (const Row& row : rows->rows) EXPECT_FALSE(row.checked);
    EXPECT_EQ(rows->headerWrites, 1);
    EXPECT_EQ(rows->events.back(), RtString("header ") + kHeaderAllDone);
    EXPECT_THAT(rows->shown, ElementsAre(0, 1, 2, 3, 4, 5, 6));
    EXPECT_EQ(observer->started, 1);
    EXPECT_EQ(observer->finished, 1);
}

TEST_F(DownloadRunTest, EachRowShowsItsOwnOutcomeUnderItsRowNumber) {
    rows->rows = {
        {true, "http://h/a/x.JPG", ""},
        {false, "http://h/a/skipped.jpg", "old"},
        {true, "http://h/a/bad.png", ""},
        {false, "http://h/a/untouched.gif", ""},
        {true, "http://h.example/noextension", ""},
    };
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(WaitForRunEnd());

    std::lock_guard lock(world.mutex);
    EXPECT_THAT(Statuses(), ElementsAre(kStatusDone, "old", kStatusFailed, "", kStatusDone));
    EXPECT_FALSE(rows->rows[0].checked);  // done: unchecked
    EXPECT_FALSE(rows->rows[1].checked);  // unchecked rows stay as they were
    EXPECT_TRUE(rows->rows[2].checked);   // failed: stays checked for the next press
    EXPECT_FALSE(rows->rows[4].checked);
    EXPECT_THAT(downloader->targets, UnorderedElementsAre("C:\\pics\\1.JPG", "C:\\pics\\3.png", "C:\\pics\\5"));
    EXPECT_EQ(rows->headerWrites, 1);
    EXPECT_EQ(rows->header, kHeaderAllDone);
}

TEST_F(DownloadRunTest, NoRowsOrNoCheckedRowsChangeNothing) {
    EXPECT_FALSE(service.StartRun(L"C:\\pics\\"));
    {
        std::lock_guard lock(world.mutex);
        EXPECT_EQ(observer->started, 0);  // the buttons never went off
    }

    rows->rows = {{false, LinkOf(0), "old"}, {false, LinkOf(1), ""}};
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(WaitForRunEnd());
    std::lock_guard lock(world.mutex);
    EXPECT_TRUE(rows->events.empty());
    EXPECT_EQ(rows->headerWrites, 0);
    EXPECT_TRUE(downloader->started.empty());
    EXPECT_EQ(observer->started, 1);
    EXPECT_EQ(observer->finished, 1);
}

// Every download ends before the driver reaches the next row, so the count of downloads touches zero four times;
// the run is only over after the walk, and says so once, last.
TEST_F(DownloadRunTest, AllDoneIsWrittenOnceAfterTheWalkEvenWhenDownloadsOutrunTheDriver) {
    AddRows(5);
    rows->rows[2].checked = false;
    rows->rows[4].checked = false;  // the walk ends with a row that starts nothing
    rows->rows[1].link = LinkOf(1, ".bad");
    // The driver reaches each row only when every worker started before has ended completely.
    rows->beforeCheck = [&](int32_t, std::unique_lock<std::mutex>& lock) {
        world.changed.wait(lock, [&] { return threads->ended == threads->started - 1; });
    };
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(WaitForRunEnd());
    threads->JoinAll();

    std::lock_guard lock(world.mutex);
    EXPECT_THAT(Statuses(), ElementsAre(kStatusDone, kStatusFailed, "", kStatusDone, ""));
    EXPECT_EQ(rows->headerWrites, 1);
    EXPECT_EQ(rows->events.back(), RtString("header ") + kHeaderAllDone);
    EXPECT_EQ(observer->finished, 1);
}

TEST_F(DownloadRunTest, WorkersThatCannotStartFailTheirRowsAndTheRunStillEnds) {
    AddRows(9);
    threads->failWhen = [](int start) { return start > 1; };  // the driver starts, no worker does
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(WaitForRunEnd());
    threads->JoinAll();
    {
        std::lock_guard lock(world.mutex);
        EXPECT_THAT(Statuses(), ::testing::Each(RtString(kStatusFailed)));
        for (const Row& row : rows->rows) EXPECT_TRUE(row.checked);
        EXPECT_EQ(rows->headerWrites, 1);
        EXPECT_EQ(rows->events.back(), RtString("header ") + kHeaderAllDone);
    }

    // Every slot came back: a following run downloads all nine, five at a time.
    threads->failWhen = [](int start) { return start == 13; };  // one worker of the second run
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(WaitForRunEnd(2));
    threads->JoinAll();
    std::lock_guard lock(world.mutex);
    EXPECT_EQ(downloader->started.size(), 8u);
    EXPECT_LE(downloader->maxInFlight, 5);
    int failed = 0;
    for (const Row& row : rows->rows) failed += row.status == kStatusFailed;
    EXPECT_EQ(failed, 1);
}

TEST_F(DownloadRunTest, ADriverThatCannotStartEndsTheRunAtOnce) {
    AddRows(3);
    threads->failWhen = [](int) { return true; };
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    std::lock_guard lock(world.mutex);
    EXPECT_EQ(observer->started, 1);
    EXPECT_EQ(observer->finished, 1);
    EXPECT_TRUE(rows->events.empty());
    EXPECT_FALSE(service.Running());
}

TEST_F(DownloadRunTest, OneRunAtATimeAndTheNextFetchesOnlyWhatIsStillChecked) {
    AddRows(4);
    rows->rows[1].link = LinkOf(1, ".bad");
    rows->rows[3].link = LinkOf(3, ".bad");
    downloader->gated = true;
    ASSERT_TRUE(service.StartRun(L"C:\\pics\\"));
    ASSERT_TRUE(world.WaitUntil([&] { return downloader->inFlight == 4; }));
    EXPECT_TRUE(service.Running());
    EXPECT_FALSE(service.StartRun(L"C:\\other\\"));  // refused while the first runs

    {
        std::lock_guard lock(world.mutex);
        downloader->gated = false;
    }
    for (int row = 0; row < 4; ++row) downloader->Open(rows->rows[row].link);
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_FALSE(service.Running());

    ASSERT_TRUE(service.StartRun(L"C:\\other\\"));
    ASSERT_TRUE(WaitForRunEnd(2));
    std::lock_guard lock(world.mutex);
    ASSERT_EQ(downloader->targets.size(), 6u);
    const std::vector<RtString> first(downloader->targets.begin(), downloader->targets.begin() + 4);
    const std::vector<RtString> second(downloader->targets.begin() + 4, downloader->targets.end());
    EXPECT_THAT(first,
                UnorderedElementsAre("C:\\pics\\1.jpg", "C:\\pics\\2.bad", "C:\\pics\\3.jpg", "C:\\pics\\4.bad"));
    EXPECT_THAT(second, UnorderedElementsAre("C:\\other\\2.bad", "C:\\other\\4.bad"));
    EXPECT_EQ(observer->started, 2);
    EXPECT_EQ(rows->headerWrites, 2);
}

// Many short runs with downloads of random length and outcome: the invariants hold on every interleaving met.
TEST_F(DownloadRunTest, InvariantsHoldUnderRandomTiming) {
    AddRows(23);
    std::mutex randomMutex;
    std::mt19937 random(12345);
    auto pause = [&] {
        int micros;
        {
            std::lock_guard lock(randomMutex);
            micros = std::uniform_int_distribution<int>(0, 300)(random);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    };
    downloader->work = pause;
    for (int i = 0; i < 23; i += 3) rows->rows[i].link = LinkOf(i, ".bad");

    constexpr int kRuns = 12;
    for (int run = 1; run <= kRuns; ++run) {
        {
            std::lock_guard lock(world.mutex);
            for (Row& row : rows->rows)
                row.checked =
                    (row.link.size() + static_cast<size_t>(run)) % 2 == 0 || row.link.find("bad") != RtString::npos;
            rows->events.clear();
            downloader->started.clear();
        }
        const int headersBefore = rows->headerWrites;
        ASSERT_TRUE(service.StartRun(L"F:\\"));
        ASSERT_TRUE(WaitForRunEnd(run)) << "run " << run;
        threads->JoinAll();
        std::lock_guard lock(world.mutex);
        EXPECT_EQ(rows->headerWrites, headersBefore + 1) << "run " << run;
        EXPECT_EQ(rows->events.back(), RtString("header ") + kHeaderAllDone) << "run " << run;
        for (const Row& row : rows->rows) EXPECT_NE(row.status, kStatusDownloading) << "run " << run;
        const std::vector<int32_t> marked = MarkedRows();
        EXPECT_TRUE(std::is_sorted(marked.begin(), marked.end())) << "run " << run;
        EXPECT_EQ(marked.size(), downloader->started.size()) << "run " << run;
    }
    std::lock_guard lock(world.mutex);
    EXPECT_LE(downloader->maxInFlight, kMaxDownloadsAtOnce);
    EXPECT_EQ(observer->finished, kRuns);
    for (const Row& row : rows->rows) {
        const bool bad = row.link.find("bad") != RtString::npos;
        EXPECT_EQ(row.status, bad ? kStatusFailed : kStatusDone) << row.link;
        EXPECT_EQ(row.checked, bad) << row.link;
    }
}

}  // namespace
