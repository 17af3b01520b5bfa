#pragma once
#include <cstdint>
#include <string>

#include "download/DownloadLimits.h"
#include "framework/Win32.h"

// What one download went through; `done` is the only thing the tool acts on, the rest explains it.
struct UrlDownloadOutcome {
    bool done = false;       // the picture is saved whole, in the file `savedAs`
    HRESULT result = S_OK;   // of the last platform call of the transfer
    int httpStatus = 0;      // final status of the reply; 0 when none arrived
    uint64_t received = 0;   // bytes of the body
    uint64_t announced = 0;  // length the server announced; 0 when it announced none
    bool tooSlow = false;    // given up: fewer bytes than the minimum came within the pace window
    bool tooLarge = false;   // given up: more bytes than the limit came or were announced
    bool errorPage = false;  // an HTML or JSON page came in place of a picture
    std::wstring savedAs;    // the target, a numbered name beside it, or the file that already held the same bytes
};

// Where a download into the target is written until it is whole: the same folder, the file name behind a "~" and
// followed by ".part". A picture's own file name starts with its row number, so the two never meet.
std::wstring PartialDownloadPath(const std::wstring& target);

// Fetches the address (one GET through WinHTTP) into the partial file beside the target, as the body arrives. The
// download is done when the reply was 2xx, every announced byte arrived, the file is there whole and it is no HTML or
// JSON page; it is given up as soon as it breaks the limits. A done download takes the target's name; when a file
// already has that name, the same bytes mean the picture is there already (the partial file goes), and other bytes
// mean it takes the first free name "N (2).ext", "N (3).ext", ... beside it. Nothing that was there is ever written
// over, and a failed download leaves no file. Blocks the calling thread until the download has ended. Any thread.
UrlDownloadOutcome DownloadUrlToFile(const std::wstring& link, const std::wstring& target,
                                     const DownloadLimits& limits = {}) noexcept;
