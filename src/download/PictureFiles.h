#pragma once
#include <cstdint>
#include <string>

#include "framework/Unique.h"
#include "framework/Win32.h"

// The files a download leaves: the picture put in place without writing over anything, and what it is judged by.

struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using UniqueFile = Unique<FileHandleTraits>;

// Size of the plain file at the path; -1 when there is none (missing, or a folder).
int64_t FileSize(const std::wstring& path) noexcept;

// The file's first bytes after its leading blanks, as many as telling a page from a picture takes (fewer when the
// file ends first).
std::string StartAfterBlanks(const std::wstring& path) noexcept;

// Puts the whole download (the partial file, `size` bytes) under the target's name, or under the first free numbered
// name beside it ("N (2).ext", ...); a file there that already holds the same bytes is the picture itself, and the
// partial file goes. Never writes over a file. Judged by the files there afterwards, not by the calls' answers alone.
// The name the picture is in goes to savedAs; false when it could not be put anywhere.
bool PlaceDownload(const std::wstring& partial, const std::wstring& target, int64_t size,
                   std::wstring& savedAs) noexcept;
