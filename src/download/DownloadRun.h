#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "services/RtString.h"

// The bookkeeping of one press of "下载选中": a driver walks the rows once and starts one worker per checked row, at
// most five downloading at once; each worker reports its row's outcome. The list, the download itself and thread
// creation are reached through the interfaces below, so this file needs no Windows.

// Status cells and the status column's header, in code page 936.
inline constexpr char kStatusDownloading[] = "\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8";  // 正在下载
inline constexpr char kStatusDone[] = "\xCF\xC2\xD4\xD8\xCD\xEA\xB3\xC9";         // 下载完成
inline constexpr char kStatusFailed[] = "\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC";       // 下载失败
inline constexpr char kHeaderAllDone[] = "\xC8\xAB\xB2\xBF\xCD\xEA\xB1\xCF";      // 全部完毕
inline constexpr int32_t kStatusColumn = 2;
inline constexpr int32_t kLinkColumn = 1;
inline constexpr int kMaxDownloadsAtOnce = 5;

// Fetches one picture into the folder (UTF-16, ending in its separator) under the file name (code page 936). True
// only when the picture is saved whole: under that name, under a numbered name beside it when the name holds other
// bytes, or not at all when a file there already holds the same bytes. Nothing saved earlier is overwritten, and a
// failed download leaves no partial file behind. Called on worker threads, several at once.
struct PictureDownloader {
    virtual ~PictureDownloader() = default;
    virtual bool DownloadToFile(const RtString& link, const std::wstring& folder,
                                const RtString& fileName) noexcept = 0;
};

// The rows of the picture list as the driver and the workers see them. Called on their threads. Reads answer at
// once; writes return at once and reach the list later, in the order they were made, so no download waits for
// the window.
struct DownloadRows {
    virtual ~DownloadRows() = default;
    virtual int32_t RowCount() noexcept = 0;
    virtual bool IsChecked(int32_t row) noexcept = 0;
    virtual RtString Link(int32_t row) noexcept = 0;  // text of the link cell
    virtual void SetStatus(int32_t row, const RtString& text) noexcept = 0;
    virtual void Uncheck(int32_t row) noexcept = 0;
    // The row just marked as downloading: selected when the selection lies above it, then scrolled into view.
    virtual void ShowProgress(int32_t row) noexcept = 0;
    virtual void SetStatusHeader(const RtString& text) noexcept = 0;
};

// Starts a thread that runs the body and is never waited for. False when no thread could be started; the body
// then never runs.
struct ThreadStarter {
    virtual ~ThreadStarter() = default;
    virtual bool Start(std::function<void()> body) noexcept = 0;
};

// Hears when a run begins and when it is over, so that the window can keep both buttons disabled meanwhile.
struct DownloadRunObserver {
    virtual ~DownloadRunObserver() = default;
    virtual void OnRunStarted() noexcept = 0;  // window thread, before the driver starts
    // Once per run, after the driver has walked every row and the last worker has ended; on whichever of their
    // threads came last (or on the window thread when the driver could not be started).
    virtual void OnRunFinished() noexcept = 0;
};

// The work of one row, read by that row's worker only.
struct DownloadRecord {
    RtString link;      // picture address, code page 936
    RtString fileName;  // row number and the address's extension
    int32_t row = 0;
};
using DownloadTable = std::vector<DownloadRecord>;  // one record per row, indexed by row

// Downloads counted by the driver whose worker has not ended, plus one held by the driver while it walks the rows.
// The run is over exactly when the count reaches zero, which happens once: a count that touches zero between two
// workers is impossible while the driver still holds its own unit.
class InFlightCount {
  public:
    void Raise() noexcept { value_.fetch_add(1, std::memory_order_relaxed); }
    // True for the caller that brought the count to zero.
    [[nodiscard]] bool Lower() noexcept { return value_.fetch_sub(1, std::memory_order_acq_rel) == 1; }

  private:
    std::atomic<int32_t> value_{1};  // the driver's own unit
};

// Slots for the downloads in flight: the driver takes one before starting a worker and the worker gives it back at
// its end, so no more than five download at any moment. A mutex and a condition variable, not std::counting_semaphore:
// with the MinGW library's semaphore (a generic atomic wait there) a run was seen to stop for good right after five
// downloads ended together, the next row marked and its download never started.
class DownloadThrottle {
  public:
    void Acquire() noexcept {
        std::unique_lock hold(mutex_);
        released_.wait(hold, [&] { return free_ > 0; });
        --free_;
    }
    void Release() noexcept {
        {
            std::lock_guard hold(mutex_);
            ++free_;
        }
        released_.notify_one();
    }

  private:
    std::mutex mutex_;
    std::condition_variable released_;
    int free_ = kMaxDownloadsAtOnce;  // guarded by mutex_
};

// Held by a driver for the whole handling of one row, from reading its check box to starting its worker.
class RowStepLock {
  public:
    void Lock() noexcept { lock_.lock(); }
    void Unlock() noexcept { lock_.unlock(); }

  private:
    std::mutex lock_;
};

struct DownloadRun;

// The download runs of the window: one at a time. Created once, when the window is first shown. The interfaces are
// shared with every running driver and worker, so a run left behind when the window goes away touches nothing freed.
class DownloadService {
  public:
    DownloadService(std::shared_ptr<DownloadRows> rows, std::shared_ptr<PictureDownloader> downloader,
                    std::shared_ptr<ThreadStarter> threads, std::shared_ptr<DownloadRunObserver> observer);

    // Window thread. Starts a driver over the current rows that saves into `folder` (used as given: file names are
    // appended to it directly). Does nothing and returns false when the list has no row or a run is still going.
    bool StartRun(const std::wstring& folder);
    bool Running() const noexcept { return running_->load(std::memory_order_acquire); }

  private:
    std::shared_ptr<DownloadRows> rows_;
    std::shared_ptr<PictureDownloader> downloader_;
    std::shared_ptr<ThreadStarter> threads_;
    std::shared_ptr<DownloadRunObserver> observer_;
    std::shared_ptr<DownloadThrottle> throttle_;
    std::shared_ptr<RowStepLock> rowStep_;
    std::shared_ptr<std::atomic<bool>> running_;
};
