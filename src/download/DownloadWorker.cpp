#include "download/DownloadWorker.h"

#include <functional>
#include <memory>
#include <new>
#include <utility>

#include "download/DownloadFolder.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"

namespace {

using ThreadBody = std::function<void()>;

DWORD WINAPI RunThreadBody(void* parameter) noexcept {
    const std::unique_ptr<ThreadBody> body(static_cast<ThreadBody*>(parameter));
    (*body)();
    return 0;
}

}  // namespace

bool UrlPictureDownloader::DownloadToFile(const RtString& link, const std::wstring& folder,
                                          const RtString& fileName) noexcept {
    return DownloadUrlToFile(WideFromText(link), folder + WideFromText(fileName), limits_).done;
}

bool Win32ThreadStarter::Start(std::function<void()> body) noexcept {
    auto* owned = new (std::nothrow) ThreadBody(std::move(body));
    if (!owned) return false;
    const HANDLE thread = CreateThread(nullptr, 0, RunThreadBody, owned, 0, nullptr);
    if (!thread) {
        delete owned;
        return false;
    }
    CloseHandle(thread);  // runs on its own; nobody waits for it
    return true;
}

PictureDownloads::PictureDownloads(HWND list, std::shared_ptr<DownloadRunObserver> observer,
                                   const DownloadLimits& limits)
    : list_(list),
      writer_(list),
      rows_(std::make_shared<ListViewDownloadRows>(list, writer_.Queue(), writer_.WakeWindow())),
      service_(rows_, std::make_shared<UrlPictureDownloader>(limits), std::make_shared<Win32ThreadStarter>(),
               std::move(observer)) {}

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
