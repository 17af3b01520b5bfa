#pragma once
#include <chrono>
#include <memory>

#include "download/RowWrites.h"
#include "framework/Win32.h"
#include "framework/Win32Handles.h"

// The window thread's end of the download threads' row writes: a message-only window which, when woken, takes the
// queued batch and applies it to the list. Statuses, check boxes and the header are written at once; the selection
// and the scrolling to the newest started row, which repaint the visible list (about 20 ms each under Wine), at most
// a few times a second, and always before the run's end is shown. Created and destroyed on the list's own thread.
class ListRowWriter {
  public:
    explicit ListRowWriter(HWND list);
    ListRowWriter(const ListRowWriter&) = delete;
    ListRowWriter& operator=(const ListRowWriter&) = delete;

    // Shared with the download threads, which may outlive this writer: what they queue after it is gone is never
    // applied (the list goes with it).
    const std::shared_ptr<RowWriteQueue>& Queue() const noexcept { return queue_; }
    // Where a thread that queued into an empty queue posts its wake-up.
    HWND WakeWindow() const noexcept { return window_.Get(); }
    static void Wake(HWND wakeWindow) noexcept;  // any thread

  private:
    using Clock = std::chrono::steady_clock;
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    void ApplyQueued() noexcept;
    void MoveToNewest() noexcept;

    HWND list_;  // not owned
    std::shared_ptr<RowWriteQueue> queue_ = std::make_shared<RowWriteQueue>();
    int32_t newestStarted_ = -1;  // not yet selected; -1 when none waits
    Clock::time_point lastMove_{};
    bool moveTimer_ = false;
    UniqueWindow window_;  // last: destroyed first, so it never reaches a half-destroyed writer
};
