#include "download/RowWrites.h"

#include <utility>

bool RowWriteQueue::Add(RowWrite write) {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = queued_.Empty();
    queued_.writes.push_back(std::move(write));
    return wasEmpty;
}

bool RowWriteQueue::AddStarted(int32_t row) {
    std::lock_guard lock(mutex_);
    const bool wasEmpty = queued_.Empty();
    queued_.newestStarted = row;
    return wasEmpty;
}

RowWriteBatch RowWriteQueue::Take() {
    std::lock_guard lock(mutex_);
    return std::exchange(queued_, {});
}
