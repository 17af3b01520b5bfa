#include "scrape/PictureSearch.h"

#include "download/DownloadFolder.h"
#include "download/FileNames.h"
#include "framework/ControlProperties.h"
#include "framework/Win32.h"
#include "mainform/Form1Texts.h"
#include "scrape/ChunkChain.h"
#include "scrape/NoteFetch.h"
#include "services/ListView.h"
#include "services/WString.h"

namespace {

constexpr int32_t kLinkColumn = 1;
constexpr int32_t kStatusColumn = 2;

PictureSet& SearchedPictures() noexcept {
    static PictureSet pictures;  // window thread only
    return pictures;
}

// Follow-up chunks of the note whose id the first request took.
class NoteChunks final : public ChunkSource {
  public:
    std::string FetchChunk(std::string_view querySuffix) override {
        return FetchNoteContent({}, RtString(querySuffix));
    }
};

WString FoundHeader(int32_t count) {
    return WString(std::wstring(kLinkHeaderCountStart) + std::to_wstring(count) + kLinkHeaderFoundEnd);
}

}  // namespace

ListViewPictureSink::ListViewPictureSink(HWND list) noexcept : list_(list), rows_(ListViewGetItemCount(list)) {}

void ListViewPictureSink::AddPicture(std::string_view address) {
    const int32_t row = ListViewInsertItem(list_, rows_, WString(DecimalText(rows_ + 1)));
    if (row < 0) return;
    ListViewSetItemText(list_, row, kLinkColumn, WString(RtString(address)));
    rows_ = row + 1;
}

const RtString& AllLinksText() noexcept {
    return SearchedPictures().AllLinksText();
}

void ForgetPictures() noexcept {
    SearchedPictures().Clear();
}

void FindPictures(const PictureSearchControls& controls) noexcept {
    const RtString address = GetControlText(controls.addressBox).ToRtString();
    if (address.empty()) return;

    EnableControl(controls.findButton, false);
    EnsureFolderExists(PicturesRootFolder(ExecutableFolder()));
    ListViewDeleteAllItems(controls.list);
    SearchedPictures().Clear();
    ListViewSetColumnText(controls.list, kLinkColumn, WString(kLinkHeaderSearching));
    // The window thread is busy until the last chunk is in: paint the searching state now, or it is never seen.
    RedrawWindow(GetParent(controls.list), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

    // No drawing while the rows go in: Wine redraws the visible list's scroll bar at every insert, which made a note
    // of 2000 pictures take about 40 s instead of 2 s. Nothing is painted during the search anyway.
    SendMessageW(controls.list, WM_SETREDRAW, FALSE, 0);
    const RtString firstReply = FetchNoteContent(address, {});
    ListViewPictureSink sink(controls.list);
    NoteChunks chunks;
    CollectPictureLinks(firstReply, SearchedPictures(), sink, chunks);
    SendMessageW(controls.list, WM_SETREDRAW, TRUE, 0);

    ShowNoteFolder(controls.folderBox, TheNoteSource().noteId);
    EnableControl(controls.findButton, true);
    ShowControl(controls.list, false);               // one repaint for all the check boxes
    ListViewSetCheckState(controls.list, -1, true);  // every row, row 0 first, in one request
    ShowControl(controls.list, true);
    EnableControl(controls.downloadButton, true);
    ListViewSetColumnText(controls.list, kLinkColumn, FoundHeader(ListViewGetItemCount(controls.list)));
    ListViewSetColumnText(controls.list, kStatusColumn, WString(kStatusHeader));
}
