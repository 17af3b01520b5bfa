#include "scrape/PictureSearch.h"

#include <chrono>

#include "framework/ControlProperties.h"
#include "framework/MessageWait.h"
#include "framework/Win32.h"
#include "scrape/ChunkChain.h"
#include "scrape/NoteFetch.h"
#include "scrape/SearchTexts.h"
#include "services/ListView.h"
#include "services/WString.h"
#include "web/WebRequest.h"

namespace {

constexpr int32_t kLinkColumn = 1;
constexpr int32_t kStatusColumn = 2;
// Between two looks at the window's messages while rows go in: well within the second a window may take to answer.
constexpr std::chrono::milliseconds kAnswerEvery{100};

PictureSet& SearchedPictures() noexcept {
    static PictureSet pictures;  // window thread only
    return pictures;
}

// The search under way: its requests are waited for with the window answering; a close cancels it.
class SearchRun;
SearchRun* running = nullptr;  // window thread only

class SearchRun final : public ReplyWait {
  public:
    explicit SearchRun(HWND form) noexcept : form_(form) {
        running = this;
        TheNoteSource().wait = this;
    }
    ~SearchRun() override {
        running = nullptr;
        TheNoteSource().wait = nullptr;
    }
    SearchRun(const SearchRun&) = delete;
    SearchRun& operator=(const SearchRun&) = delete;

    bool Wait(HANDLE finished, WebRequest::Clock::time_point deadline) noexcept override {
        return Ended(WaitHandlingMessages(form_, finished, deadline, cancelled_)) == WaitEnd::Signalled;
    }
    // The messages that reached the queue since the last wait, input to the controls consumed.
    void HandleQueued() noexcept {
        Ended(HandleQueuedMessages(form_, cancelled_));
        nextLook_ = std::chrono::steady_clock::now() + kAnswerEvery;
    }
    // Between the steps of long work on the window thread: the window answers within kAnswerEvery.
    void AnswerNowAndThen() noexcept {
        if (std::chrono::steady_clock::now() >= nextLook_) HandleQueued();
    }
    void Cancel() noexcept { cancelled_ = true; }
    bool Cancelled() const noexcept { return cancelled_; }

  private:
    WaitEnd Ended(WaitEnd end) noexcept {
        if (end == WaitEnd::Stopped) cancelled_ = true;  // a close, a quit, or the window gone
        return end;
    }

    HWND form_;
    bool cancelled_ = false;
    std::chrono::steady_clock::time_point nextLook_ = std::chrono::steady_clock::now() + kAnswerEvery;
};

// Follow-up chunks of the note whose id the first request took; none once the search is cancelled.
class NoteChunks final : public ChunkSource {
  public:
    explicit NoteChunks(const SearchRun& run) noexcept : run_(run) {}
    std::string FetchChunk(std::string_view querySuffix) override {
        return run_.Cancelled() ? std::string() : FetchNoteContent({}, RtString(querySuffix));
    }

  private:
    const SearchRun& run_;
};

// The rows of a long reply go in with the window still answering; none once the search is cancelled.
class AnsweringRows final : public PictureSink {
  public:
    AnsweringRows(HWND list, SearchRun& run) noexcept : rows_(list), run_(run) {}
    void AddPicture(std::string_view address) override {
        if (run_.Cancelled()) return;
        rows_.AddPicture(address);
        run_.AnswerNowAndThen();
    }

  private:
    ListViewPictureSink rows_;
    SearchRun& run_;
};

// Every row checked, row 0 first, one request a row so that the window answers between them: in one request, 20,000
// rows took Wine's list view 3.5 s.
void CheckEveryRow(HWND list, SearchRun& run) noexcept {
    const int32_t rows = ListViewGetItemCount(list);
    for (int32_t row = 0; row < rows && !run.Cancelled(); ++row) {
        ListViewSetCheckState(list, row, true);
        run.AnswerNowAndThen();
    }
}

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

bool SearchRunning() noexcept {
    return running != nullptr;
}

void CancelSearch() noexcept {
    if (running) running->Cancel();
}

void FindPictures(const PictureSearchControls& controls) noexcept {
    if (running) return;
    const RtString address = GetControlText(controls.addressBox).ToRtString();
    if (address.empty()) return;

    SearchRun run(controls.form);
    EnableControl(controls.findButton, false);
    EnableControl(controls.downloadButton, false);
    if (controls.ensurePicturesFolder) controls.ensurePicturesFolder();
    ListViewDeleteAllItems(controls.list);
    SearchedPictures().Clear();
    ListViewSetColumnText(controls.list, kLinkColumn, WString(kLinkHeaderSearching));
    // Painted now: with the list's drawing held off below, its header would go on showing the old text.
    RedrawWindow(controls.form, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

    // No drawing while the rows go in: Wine redraws the visible list's scroll bar at every insert, which made a note
    // of 2000 pictures take about 40 s instead of 2 s.
    SendMessageW(controls.list, WM_SETREDRAW, FALSE, 0);
    const RtString firstReply = FetchNoteContent(address, {});
    AnsweringRows rows(controls.list, run);
    NoteChunks chunks(run);
    CollectPictureLinks(firstReply, SearchedPictures(), rows, chunks);
    SendMessageW(controls.list, WM_SETREDRAW, TRUE, 0);
    run.HandleQueued();  // input that came between the waits is consumed too, before the buttons take clicks again
    if (run.Cancelled()) return;

    if (controls.showNoteFolder) controls.showNoteFolder(TheNoteSource().noteId);
    ShowControl(controls.list, false);  // one repaint for all the check boxes
    CheckEveryRow(controls.list, run);
    if (run.Cancelled()) return;
    ShowControl(controls.list, true);
    EnableControl(controls.findButton, true);  // both buttons once the rows are checked: the search lasts until then
    EnableControl(controls.downloadButton, true);
    ListViewSetColumnText(controls.list, kLinkColumn, FoundHeader(ListViewGetItemCount(controls.list)));
    ListViewSetColumnText(controls.list, kStatusColumn, WString(kStatusHeader));
}
