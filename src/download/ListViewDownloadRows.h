#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "download/DownloadRun.h"
#include "download/RowWrites.h"
#include "framework/Win32.h"

// The picture list as the download threads see it, without ever waiting for the list's own thread: under Wine that
// thread spends up to 80 ms at a time repainting, and a request sent to it from the driver held a free download
// slot idle meanwhile. Column 1 of each row holds its link, column 2 its status.
// - Reads answer from the rows taken when "下载选中" was pressed; the window keeps their check boxes current, so a
//   row the user unchecks before the driver reaches it is still skipped.
// - Writes are queued for the list's thread, woken through `wakeWindow`, and return at once.
class ListViewDownloadRows final : public DownloadRows {
  public:
    ListViewDownloadRows(HWND list, std::shared_ptr<RowWriteQueue> writes, HWND wakeWindow) noexcept
        : list_(list), writes_(std::move(writes)), wake_(wakeWindow) {}

    // The list's thread, while no run goes: takes every row's link and check box as the list holds them now.
    void TakeRows();
    // The list's thread: a row's check box changed (-1: any row's). Reads it again from the list.
    void CheckBoxChanged(int32_t row) noexcept;

    int32_t RowCount() noexcept override { return rowCount_; }
    bool IsChecked(int32_t row) noexcept override;
    RtString Link(int32_t row) noexcept override;
    void SetStatus(int32_t row, const RtString& text) noexcept override;
    void Uncheck(int32_t row) noexcept override;
    void ShowProgress(int32_t row) noexcept override;
    void SetStatusHeader(const RtString& text) noexcept override;

  private:
    bool Taken(int32_t row) const noexcept { return row >= 0 && row < rowCount_; }
    void Queue(RowWrite write) noexcept;

    HWND list_;  // not owned
    std::shared_ptr<RowWriteQueue> writes_;
    HWND wake_;  // not owned; a window that is gone receives nothing
    // Replaced only by TakeRows, while no driver or worker reads them.
    int32_t rowCount_ = 0;
    std::vector<RtString> links_;
    std::unique_ptr<std::atomic<bool>[]> checked_;
};
