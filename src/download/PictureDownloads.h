#pragma once
#include <memory>
#include <utility>

#include "download/DownloadLimits.h"
#include "download/DownloadRun.h"
#include "download/ListRowWrites.h"
#include "download/ListViewDownloadRows.h"
#include "framework/Win32.h"

#include <commctrl.h>

class HttpSession;

// The download runs wired to the platform: the rows of a real list view, downloads through WinHTTP, CreateThread.

// Downloads pictures through one WinHTTP session, shared by every download of every run, so that they reuse the
// platform's connections.
class HttpPictureDownloader final : public PictureDownloader {
  public:
    HttpPictureDownloader(const DownloadLimits& limits, std::shared_ptr<const HttpSession> session) noexcept
        : limits_(limits), session_(std::move(session)) {}
    bool DownloadToFile(const RtString& link, const std::wstring& folder, const RtString& fileName) noexcept override;

  private:
    DownloadLimits limits_;
    std::shared_ptr<const HttpSession> session_;
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
