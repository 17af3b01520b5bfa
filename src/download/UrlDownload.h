#pragma once
#include <chrono>
#include <cstdint>
#include <string>

#include "framework/Win32.h"

// How long a download may go without receiving a byte before it is given up.
inline constexpr std::chrono::milliseconds kDownloadStallLimit{60'000};

// What one download went through; `done` is the only thing the tool acts on, the rest explains it.
struct UrlDownloadOutcome {
    bool done = false;        // the picture is in the file at the target, whole
    HRESULT result = E_FAIL;  // of URLDownloadToFileW
    int httpStatus = 0;       // final status of the reply; 0 when none arrived
    uint64_t received = 0;    // bytes of the body as the download reported them
    uint64_t announced = 0;   // length the server announced; 0 when it announced none
    bool stalled = false;     // given up after the stall limit passed without data
};

// Where a download into the target is written until it is whole: the same folder, the file name behind a "~" and
// followed by ".part". A picture's own file name starts with its row number, so the two never meet.
std::wstring PartialDownloadPath(const std::wstring& target);

// Fetches the address with URLDownloadToFileW into the partial file beside the target, the address's URL cache entry
// removed before and after, and moves it over the target only when the download is done: the reply was 2xx, every
// announced byte arrived and the file is there whole. Otherwise the partial file is removed and the target, with any
// picture an earlier download left there, is untouched. A download that receives nothing for `stallLimit` is
// aborted. Blocks the calling thread until the download has ended. Any thread.
UrlDownloadOutcome DownloadUrlToFile(const std::wstring& link, const std::wstring& target,
                                     std::chrono::milliseconds stallLimit = kDownloadStallLimit) noexcept;
