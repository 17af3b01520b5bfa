#include "download/PictureDownloads.h"

#include <functional>
#include <memory>
#include <utility>

#include "download/DownloadFolder.h"
#include "download/PictureDownload.h"
#include "framework/Threads.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "web/WebRequest.h"

bool HttpPictureDownloader::DownloadToFile(const RtString& link, const std::wstring& folder,
                                           const RtString& fileName) noexcept {
    return DownloadPictureFile(WideFromText(link), folder + WideFromText(fileName), limits_, session_);
}

bool Win32ThreadStarter::Start(std::function<void()> body) noexcept {
    return StartDetachedThread(std::move(body));
}

PictureDownloads::PictureDownloads(HWND list, std::shared_ptr<DownloadRunObserver> observer,
                                   const DownloadLimits& limits)
    : list_(list),
      writer_(list),
      rows_(std::make_shared<ListViewDownloadRows>(list, writer_.Queue(), writer_.WakeWindow())),
      service_(rows_, std::make_shared<HttpPictureDownloader>(limits, std::make_shared<HttpSession>()),
               std::make_shared<Win32ThreadStarter>(), std::move(observer)) {}

void PictureDownloads::StartDownloads(HWND folderBox) {
    if (service_.Running() || ListViewGetItemCount(list_) < 1) return;
    const std::wstring folder = TakeFolderFromBox(folderBox);
    rows_->TakeRows();
    ListViewSelectItem(list_, -1);  // the driver then selects each row it starts, top to bottom
    service_.StartRun(folder);
}

void PictureDownloads::OnListItemChanged(const NMLISTVIEW& change) noexcept {
    constexpr UINT kCheckBoxImage = 0xF000;  // the state image: checked or not
    if (Running() && (change.uChanged & LVIF_STATE) && ((change.uNewState ^ change.uOldState) & kCheckBoxImage))
        rows_->CheckBoxChanged(change.iItem);
}
