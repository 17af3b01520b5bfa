#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "services/RtString.h"

// What the download threads write into the picture list, queued for the window thread so that they never wait for
// the list: a scroll of the visible list repaints it at once (9-16 ms a row under Wine), and a driver or worker that
// waited for it would keep a download slot idle. The window thread takes everything queued in one batch and applies
// it in the order it was written.

struct RowWrite {
    enum class Kind : uint8_t { Status, Uncheck, Header };
    Kind kind = Kind::Status;
    int32_t row = -1;  // Status and Uncheck
    RtString text;     // Status and Header
};

struct RowWriteBatch {
    std::vector<RowWrite> writes;  // in the order they were queued
    // The newest row marked as started since the last batch, -1 when none: the selection and the scrolling follow
    // only the newest, so a batch that started several rows moves the list once.
    int32_t newestStarted = -1;

    bool Empty() const noexcept { return writes.empty() && newestStarted < 0; }
};

class RowWriteQueue {
  public:
    // Any thread. True when the queue was empty: the caller then wakes the window thread, which will take this
    // write and every one queued after it until it takes the batch.
    [[nodiscard]] bool Add(RowWrite write);
    [[nodiscard]] bool AddStarted(int32_t row);
    // Window thread: everything queued so far; the queue is empty after.
    RowWriteBatch Take();

  private:
    std::mutex mutex_;
    RowWriteBatch queued_;  // guarded by mutex_
};
