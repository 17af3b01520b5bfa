#pragma once
#include <memory>

#include "download/DownloadRun.h"
#include "download/UrlDownload.h"
#include "framework/Win32.h"

// The download runs wired to the platform: the rows of a real list view, downloads through WinHTTP, CreateThread.

// Column 1 of each row holds its link, column 2 its status. Every call is a synchronous request that the list's
// own thread carries out, so the driver and the workers may call from theirs.
class ListViewDownloadRows final : public DownloadRows {
  public:
    explicit ListViewDownloadRows(HWND list) noexcept : list_(list) {}
    int32_t RowCount() noexcept override;
    bool IsChecked(int32_t row) noexcept override;
    RtString Link(int32_t row) noexcept override;
    void SetStatus(int32_t row, const RtString& text) noexcept override;
    void Uncheck(int32_t row) noexcept override;
    void ShowProgress(int32_t row) noexcept override;
    void SetStatusHeader(const RtString& text) noexcept override;

  private:
    HWND list_;  // not owned; a list that is gone answers nothing and changes nothing
};

class UrlPictureDownloader final : public PictureDownloader {
  public:
    explicit UrlPictureDownloader(const DownloadLimits& limits = {}) noexcept : limits_(limits) {}
    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override;

  private:
    DownloadLimits limits_;
};

// Threads with the default stack size whose handles are closed at once: nobody waits for them.
class Win32ThreadStarter final : public ThreadStarter {
  public:
    bool Start(std::function<void()> body) noexcept override;
};

// The downloads behind "下载选中", created when the window is first shown.
class PictureDownloads {
  public:
    // The observer hears when a run starts (window thread) and ends (a download thread: post to the window).
    PictureDownloads(HWND list, std::shared_ptr<DownloadRunObserver> observer, const DownloadLimits& limits = {});

    // The click on "下载选中": takes the folder from the folder box (creating it when missing), clears the
    // selection and starts the driver, then returns. Nothing at all when the list has no row or a run is going.
    void StartDownloads(HWND folderBox);
    bool Running() const noexcept { return service_.Running(); }

  private:
    HWND list_;  // not owned
    DownloadService service_;
};
