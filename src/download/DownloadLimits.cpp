#include "download/DownloadLimits.h"

TransferBudget::TransferBudget(const DownloadLimits& limits, Clock::time_point start) : limits_(limits) {
    recent_.push_back({start, 0});
}

void TransferBudget::Received(uint64_t total, Clock::time_point now) {
    if (total <= total_) return;
    total_ = total;
    recent_.push_back({now, total});
    // A sample with the minimum or more after it can never again be the oldest of the last minimum's bytes.
    while (recent_.size() > 1 && total_ - recent_.front().total >= limits_.minBytesPerWindow) recent_.pop_front();
}

TransferBudget::Clock::time_point TransferBudget::SlowFrom() const noexcept {
    if (limits_.minBytesPerWindow == 0) return Clock::time_point::max();
    // Without more bytes, the window holds fewer than the minimum as soon as it no longer reaches back before the
    // moment the last minimum's bytes began to arrive (or before the start, when fewer have arrived in all).
    return recent_.front().at + limits_.paceWindow;
}
