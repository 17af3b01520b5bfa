#include "download/DownloadRun.h"

#include <algorithm>
#include <utility>

#include "download/FileNames.h"

// Everything the driver and the workers of one run share. Each of them holds it, so it lives until the last ends.
struct DownloadRun {
    std::shared_ptr<DownloadRows> rows;
    std::shared_ptr<PictureDownloader> downloader;
    std::shared_ptr<ThreadStarter> threads;
    std::shared_ptr<DownloadRunObserver> observer;
    std::shared_ptr<DownloadThrottle> throttle;
    std::shared_ptr<RowStepLock> rowStep;
    std::shared_ptr<std::atomic<bool>> running;  // the service's flag: cleared when this run is over
    std::wstring folder;                         // UTF-16, ending in its separator
    DownloadTable table;  // sized before the driver starts, never resized: workers keep references into it
    InFlightCount inFlight;
    std::atomic<bool> anyStarted{false};  // no checked row means no header change
};

namespace {

void FinishRun(DownloadRun& run) noexcept {
    if (run.anyStarted.load(std::memory_order_acquire)) run.rows->SetStatusHeader(kHeaderAllDone);
    run.running->store(false, std::memory_order_release);  // before the observer hears, so it may start anew
    run.observer->OnRunFinished();
}

// The end of one download, whether its worker ran or could not be started. The slot goes back first, so that
// when the run is over all five are free for the next one.
void FinishOneDownload(DownloadRun& run) noexcept {
    run.throttle->Release();
    if (run.inFlight.Lower()) FinishRun(run);
}

void DownloadPicture(const std::shared_ptr<DownloadRun>& run, const DownloadRecord& record) noexcept {
    const bool ok = run->downloader->DownloadToFile(record.link, run->folder, record.fileName);
    if (ok) {
        run->rows->Uncheck(record.row);
        run->rows->SetStatus(record.row, kStatusDone);
    } else {
        run->rows->SetStatus(record.row, kStatusFailed);  // the row stays checked for the next press
    }
    FinishOneDownload(*run);
}

void StartRow(const std::shared_ptr<DownloadRun>& run, int32_t row) noexcept {
    DownloadRecord& record = run->table[static_cast<size_t>(row)];
    record.link = run->rows->Link(row);
    record.fileName = MakeFileName(static_cast<size_t>(row), record.link);
    record.row = row;
    run->rows->SetStatus(row, kStatusDownloading);
    run->rows->ShowProgress(row);

    run->throttle->Acquire();
    run->inFlight.Raise();
    run->anyStarted.store(true, std::memory_order_release);
    if (!run->threads->Start([run, &record] { DownloadPicture(run, record); })) {
        run->rows->SetStatus(row, kStatusFailed);
        FinishOneDownload(*run);
    }
}

void RunDownloads(const std::shared_ptr<DownloadRun>& run) noexcept {
    // Rows added after the press are not visited: the table was sized then.
    const int32_t rows = std::min<int32_t>(run->rows->RowCount(), static_cast<int32_t>(run->table.size()));
    for (int32_t row = 0; row < rows; ++row) {
        run->rowStep->Lock();
        if (run->rows->IsChecked(row)) StartRow(run, row);
        run->rowStep->Unlock();
    }
    if (run->inFlight.Lower()) FinishRun(*run);  // the driver's own unit: the run may end only after the walk
}

}  // namespace

DownloadService::DownloadService(std::shared_ptr<DownloadRows> rows, std::shared_ptr<PictureDownloader> downloader,
                                 std::shared_ptr<ThreadStarter> threads, std::shared_ptr<DownloadRunObserver> observer)
    : rows_(std::move(rows)),
      downloader_(std::move(downloader)),
      threads_(std::move(threads)),
      observer_(std::move(observer)),
      throttle_(std::make_shared<DownloadThrottle>()),
      rowStep_(std::make_shared<RowStepLock>()),
      running_(std::make_shared<std::atomic<bool>>(false)) {}

bool DownloadService::StartRun(const std::wstring& folder) {
    const int32_t rowCount = rows_->RowCount();
    if (rowCount < 1) return false;
    bool idle = false;
    if (!running_->compare_exchange_strong(idle, true, std::memory_order_acq_rel)) return false;

    auto run = std::make_shared<DownloadRun>();
    run->rows = rows_;
    run->downloader = downloader_;
    run->threads = threads_;
    run->observer = observer_;
    run->throttle = throttle_;
    run->rowStep = rowStep_;
    run->running = running_;
    run->folder = folder;
    run->table.resize(static_cast<size_t>(rowCount));

    observer_->OnRunStarted();
    if (!threads_->Start([run] { RunDownloads(run); })) FinishRun(*run);  // nothing started: no header change
    return true;
}
