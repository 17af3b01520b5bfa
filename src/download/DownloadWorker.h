#pragma once
#include <memory>
#include <utility>

#include "download/DownloadRun.h"
#include "download/ListRowWrites.h"
#include "download/ListViewDownloadRows.h"
#include "download/UrlDownload.h"
#include "framework/Win32.h"

#include <commctrl.h>

// The download runs wired to the platform: the rows of a real list view, downloads through WinHTTP, CreateThread.

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

    // The click on "下载选中": takes the folder from the folder box (creating it when missing) and the rows from the
    // list, clears the selection and starts the driver, then returns. Nothing at all when the list has no row or a
    // run is going.
    void StartDownloads(HWND folderBox);
    bool Running() const noexcept { return service_.Running(); }
    // The list's notification that an item changed: keeps the check boxes the running driver reads current.
    void OnListItemChanged(const NMLISTVIEW& change) noexcept;

  private:
    HWND list_;             // not owned
    ListRowWriter writer_;  // before the rows, which queue into it
    std::shared_ptr<ListViewDownloadRows> rows_;
    DownloadService service_;
};
