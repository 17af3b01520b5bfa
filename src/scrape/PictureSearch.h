#pragma once
#include <string_view>

#include "framework/Win32.h"
#include "scrape/ReplyParser.h"
#include "services/RtString.h"

// The search behind "查找图片": the address in the address box becomes the rows of the picture list, every row
// checked, and the note's folder in the folder box. Window thread only.

// The controls a search reads and changes.
struct PictureSearchControls {
    HWND addressBox = nullptr;      // Text1
    HWND findButton = nullptr;      // Command1
    HWND list = nullptr;            // ListView1
    HWND downloadButton = nullptr;  // Command2
    HWND folderBox = nullptr;       // Text3
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

// Runs one search. An empty address box changes nothing.
void FindPictures(const PictureSearchControls& controls) noexcept;
