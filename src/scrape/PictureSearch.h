#pragma once
#include <string_view>

#include "framework/Win32.h"
#include "scrape/ReplyParser.h"
#include "services/RtString.h"

// The search behind "查找图片": the address in the address box becomes the rows of the picture list, every row
// checked, and the note's folder goes to the window. Window thread only. While the search waits for the site, the
// window goes on answering and painting, and input to its controls is consumed, not queued (MessageWait.h); both
// buttons stay disabled until the search has ended.

// The window a search runs in: the controls it reads and changes, and the window's folder rule.
struct PictureSearchControls {
    HWND form = nullptr;                                                 // Form1
    HWND addressBox = nullptr;                                           // Text1
    HWND findButton = nullptr;                                           // Command1
    HWND list = nullptr;                                                 // ListView1
    HWND downloadButton = nullptr;                                       // Command2
    void (*ensurePicturesFolder)() noexcept = nullptr;                   // before the search; may be null
    void (*showNoteFolder)(std::string_view noteId) noexcept = nullptr;  // after it; may be null
};

// Appends each new picture as a row: its number (rows before it + 1) in column 0, its address in column 1, the
// status cell left empty. Counts the rows itself: every request to the list costs a round trip under Wine.
class ListViewPictureSink final : public PictureSink {
  public:
    explicit ListViewPictureSink(HWND list) noexcept;
    void AddPicture(std::string_view address) override;

  private:
    HWND list_;     // borrowed
    int32_t rows_;  // in the list; only this sink adds any while it lives
};

// Every picture address of the last search, each followed by CR LF, in the order of the rows.
const RtString& AllLinksText() noexcept;
// Forgets the last search's addresses, as the list that showed them goes away.
void ForgetPictures() noexcept;

// Runs one search. An empty address box changes nothing; so does a call while a search runs.
void FindPictures(const PictureSearchControls& controls) noexcept;
// True from the start of a search until FindPictures returns.
bool SearchRunning() noexcept;
// Ends the running search at once: its pending request is abandoned, no further request is made and no further row
// added; the search then returns without touching the list's end state (the window is about to close).
void CancelSearch() noexcept;
