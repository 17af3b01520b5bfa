#include "framework/Win32.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include <commctrl.h>

#include "download/DownloadFolder.h"
#include "download/FileNames.h"
#include "download/PictureDownloads.h"
#include "framework/App.h"
#include "framework/ControlObject.h"
#include "framework/ControlProperties.h"
#include "framework/FormProcedure.h"
#include "mainform/Form1.h"
#include "mainform/Form1Texts.h"
#include "scrape/NoteFetch.h"
#include "scrape/PictureSearch.h"
#include "services/Clipboard.h"
#include "services/ListView.h"
#include "services/WString.h"

namespace {

// Posted by the download thread that ends a run; the window thread then lets the user search and download again.
constexpr UINT kDownloadRunEndedMessage = WM_APP + 1;

// Keeps both buttons disabled while a run is in flight: a search would clear the rows the workers write to, and a
// second run would download the same rows twice.
class ButtonsDuringRun final : public DownloadRunObserver {
  public:
    explicit ButtonsDuringRun(HWND form) noexcept : form_(form) {}
    void OnRunStarted() noexcept override {
        const MainFormObject& main = TheMainForm();
        EnableControl(main.Command1.window, false);
        EnableControl(main.Command2.window, false);
    }
    void OnRunFinished() noexcept override { PostMessageW(form_, kDownloadRunEndedMessage, 0, 0); }

  private:
    HWND form_;  // a window that is gone simply receives nothing
};

std::unique_ptr<PictureDownloads> downloads;  // made when the window is first shown; window thread
DownloadLimits downloadLimits;                // for the downloads made next; window thread
bool closeAfterSearch = false;  // the window was closed during a search: it goes once the search has returned

// The folder rule a search follows: the pictures folder exists before it, the note's folder is shown after it.
void EnsurePicturesFolder() noexcept {
    EnsureFolderExists(PicturesRootFolder(ExecutableFolder()));
}
void ShowSearchedNoteFolder(std::string_view noteId) noexcept {
    ShowNoteFolder(TheMainForm().Text3.window, noteId);
}

PictureSearchControls SearchControls(const MainFormObject& main) {
    return {main.window,          main.Text1.window,    main.Command1.window,  main.ListView1.window,
            main.Command2.window, EnsurePicturesFolder, ShowSearchedNoteFolder};
}

void Form1Shown(HWND form) noexcept {
    const MainFormObject& main = TheMainForm();
    ComposeChunkEndpointBase();
    TheNoteSource().addressBox = main.Text1.window;
    ShowDefaultFolder(main.Text3.window);
    downloads = std::make_unique<PictureDownloads>(main.ListView1.window, std::make_shared<ButtonsDuringRun>(form),
                                                   downloadLimits);
}

bool DownloadRunning() noexcept {
    return downloads && downloads->Running();
}

// A click on the link column's header: every picture address, one per line, to the clipboard.
void CopyAllLinks(const NMLISTVIEW& click) noexcept {
    if (click.iSubItem != 1) return;
    const RtString& links = AllLinksText();
    if (links.empty()) return;
    SetClipboardText(links);
    const HWND list = click.hdr.hwndFrom;
    const std::wstring header =
        kLinkHeaderCountStart + std::to_wstring(ListViewGetItemCount(list)) + kLinkHeaderCopiedEnd;
    ListViewSetColumnText(list, 1, WString(header));
}

// The address box after a double-click: its whole text replaced by the clipboard's (also by nothing).
void PasteAddress(HWND addressBox) noexcept {
    SetControlText(addressBox, WString(GetClipboardText()));
    const auto length = static_cast<WPARAM>(GetWindowTextLengthW(addressBox));
    DWORD selectionEnd = 0;
    SendMessageW(addressBox, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&selectionEnd));
    SendMessageW(addressBox, EM_SETSEL, length + 10, selectionEnd);  // the start is clamped to the end of the text
}

// A click that reaches the window anyway (a posted one acts even on a disabled button) does nothing while a search or
// a download run lasts.
void OnCommand(HWND form, WPARAM wParam, LPARAM) noexcept {
    if (HIWORD(wParam) != BN_CLICKED || DownloadRunning() || SearchRunning()) return;
    const MainFormObject& main = TheMainForm();
    if (LOWORD(wParam) == kCommand1Id) {
        FindPictures(SearchControls(main));
        if (std::exchange(closeAfterSearch, false)) PostMessageW(form, WM_CLOSE, 0, 0);
    }
    if (LOWORD(wParam) == kCommand2Id && downloads) downloads->StartDownloads(main.Text3.window);
}

void OnNotify(HWND, const NMHDR& header) noexcept {
    if (header.idFrom != static_cast<UINT_PTR>(kListView1Id)) return;
    if (header.code == LVN_COLUMNCLICK) CopyAllLinks(reinterpret_cast<const NMLISTVIEW&>(header));
    if (header.code == LVN_ITEMCHANGED && downloads)
        downloads->OnListItemChanged(reinterpret_cast<const NMLISTVIEW&>(header));
}

void OnShown(HWND form, LPARAM) noexcept {
    Form1Shown(form);
}

void OnDestroy(HWND) noexcept {
    // A run still going keeps what it shares with its threads; only the window's own hold goes.
    downloads.reset();
    ForgetPictures();  // the links belong to the list that goes with the window
    TheNoteSource().addressBox = nullptr;
    ReleaseForm1Controls(TheMainForm());
}

constexpr FormEvents kForm1Events{OnCommand, OnNotify, OnShown, OnDestroy};

void OnRunEnded() noexcept {
    if (DownloadRunning()) return;  // a newer run has started since this message was posted
    const MainFormObject& main = TheMainForm();
    EnableControl(main.Command1.window, true);
    EnableControl(main.Command2.window, true);
}

void OnControlMessage(HWND control, ControlObject*, UINT message, WPARAM, LPARAM) noexcept {
    if (message == WM_LBUTTONDBLCLK && GetDlgCtrlID(control) == kText1Id) PasteAddress(control);
}

}  // namespace

void SetForm1DownloadLimits(const DownloadLimits& limits) noexcept {
    downloadLimits = limits;
}

LRESULT CALLBACK Form1Procedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == kDownloadRunEndedMessage) {
        OnRunEnded();
        return 0;
    }
    if (message == WM_CLOSE && SearchRunning()) {  // nothing of the search may outlive the window: it ends first
        closeAfterSearch = true;
        CancelSearch();
        return 0;
    }
    return FormProcedure(form, message, wParam, lParam, kForm1Events);
}

LRESULT CALLBACK Form1ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ControlSubclassProcedure(control, message, wParam, lParam, OnControlMessage);
}
