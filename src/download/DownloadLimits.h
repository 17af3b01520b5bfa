#pragma once
#include <chrono>
#include <cstdint>
#include <deque>

// Bounds that every picture download keeps: it fails when it has received fewer than `minBytesPerWindow` bytes in the
// last `paceWindow`, or more than `maxBytes` in all (or announces more). Tests pass smaller values.
struct DownloadLimits {
    std::chrono::milliseconds paceWindow{60'000};
    uint64_t minBytesPerWindow = 1024;
    uint64_t maxBytes = uint64_t{256} << 20;
};

// Follows one download's byte count against its limits, on that download's thread.
class TransferBudget {
  public:
    using Clock = std::chrono::steady_clock;
    TransferBudget(const DownloadLimits& limits, Clock::time_point start);

    // The count of body bytes received so far, as the download reports it; a count that does not grow is ignored.
    void Received(uint64_t total, Clock::time_point now);
    // The body length the server announced; 0 when it announced none.
    void Announced(uint64_t length) noexcept { announced_ = length; }

    bool TooLarge() const noexcept { return total_ > limits_.maxBytes || announced_ > limits_.maxBytes; }
    // The moment the download becomes too slow unless more bytes arrive before it.
    Clock::time_point SlowFrom() const noexcept;
    bool TooSlow(Clock::time_point now) const noexcept { return now >= SlowFrom(); }

  private:
    struct Sample {
        Clock::time_point at;
        uint64_t total;
    };
    DownloadLimits limits_;
    uint64_t total_ = 0;
    uint64_t announced_ = 0;
    // The start and each growth of the count after which fewer than minBytesPerWindow bytes came: the oldest is the
    // moment the last minimum's bytes began to arrive. Each sample adds a byte at least, so they are few.
    std::deque<Sample> recent_;
};
