#include "download/RowWrites.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

// Writers on several threads while the window thread takes batches: every write arrives once, each writer's in the
// order it made them, and exactly one wake-up is asked for per batch that has anything in it.
TEST(RowWrites, EveryWriteArrivesOnceInItsWritersOrderWithOneWakeUpPerBatch) {
    RowWriteQueue queue;
    constexpr int kWriters = 4, kEach = 2000;
    std::atomic<int> wakeUps{0}, writing{kWriters};
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([&, w] {
            for (int i = 0; i < kEach; ++i) {
                wakeUps += queue.Add({RowWrite::Kind::Status, w, std::to_string(i)});
                if (i % 10 == 0) wakeUps += queue.AddStarted(w);
            }
            --writing;
        });
    std::vector<int> next(kWriters, 0);
    int batches = 0;
    for (bool last = false; !last;) {
        last = writing == 0;  // one more batch after the writers are done
        const RowWriteBatch batch = queue.Take();
        batches += !batch.Empty();
        for (const RowWrite& write : batch.writes) EXPECT_EQ(write.text, std::to_string(next[write.row]++));
    }
    for (std::thread& writer : writers) writer.join();
    EXPECT_EQ(next, std::vector<int>(kWriters, kEach));
    EXPECT_EQ(wakeUps.load(), batches);
    // The selection follows only the newest started row; a started row alone wakes the window.
    EXPECT_TRUE(queue.AddStarted(3));
    EXPECT_FALSE(queue.AddStarted(5) || queue.AddStarted(4) || queue.Add({RowWrite::Kind::Status, 3, "x"}));
    EXPECT_EQ(queue.Take().newestStarted, 4);
}
