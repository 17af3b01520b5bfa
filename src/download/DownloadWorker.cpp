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

int32_t ListViewDownloadRows::RowCount() noexcept {
    return ListViewGetItemCount(list_);
}

bool ListViewDownloadRows::IsChecked(int32_t row) noexcept {
    return ListViewGetCheckState(list_, row);
}

RtString ListViewDownloadRows::Link(int32_t row) noexcept {
    return ListViewGetItemText(list_, row, kLinkColumn).ToRtString();
}

void ListViewDownloadRows::SetStatus(int32_t row, const RtString& text) noexcept {
    ListViewSetItemText(list_, row, kStatusColumn, WString(text));
}

void ListViewDownloadRows::Uncheck(int32_t row) noexcept {
    ListViewSetCheckState(list_, row, false);
}

void ListViewDownloadRows::ShowProgress(int32_t row) noexcept {
    if (ListViewGetSelectionMark(list_) < row) ListViewSelectItem(list_, row);
    ListViewEnsureSelectionVisible(list_);
}

void ListViewDownloadRows::SetStatusHeader(const RtString& text) noexcept {
    ListViewSetColumnText(list_, kStatusColumn, WString(text));
}

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
      service_(std::make_shared<ListViewDownloadRows>(list), std::make_shared<UrlPictureDownloader>(limits),
               std::make_shared<Win32ThreadStarter>(), std::move(observer)) {}

void PictureDownloads::StartDownloads(HWND folderBox) {
    if (service_.Running() || ListViewGetItemCount(list_) < 1) return;
    const std::wstring folder = TakeFolderFromBox(folderBox);
    ListViewSelectItem(list_, -1);  // the driver then selects each row it starts, top to bottom
    service_.StartRun(folder);
}
