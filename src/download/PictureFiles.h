#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "framework/Unique.h"
#include "framework/Win32.h"

// The files a download leaves: a partial file of its own while it runs, then the picture put in place without
// writing over anything.

struct FileHandleTraits {
    using Type = HANDLE;
    static HANDLE Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using UniqueFile = Unique<FileHandleTraits>;

// Size of the plain file at the path; -1 when there is none (missing, or a folder).
int64_t FileSize(const std::wstring& path) noexcept;

// Where one attempt to download into the target writes until its picture is whole: the same folder, the file name
// behind a "~", then the attempt's number and ".part". A picture's own file name starts with its row number, so the
// two never meet.
std::wstring PartialDownloadPath(const std::wstring& target, unsigned attempt);

// The partial file of one download attempt: a new file no other attempt uses, open for the attempt's whole life and
// marked for deletion from the start, so that it goes when its handle closes, also when the process ends first. Only
// PutInPlace keeps its bytes.
class PartialFile {
  public:
    PartialFile() = default;
    // A fresh file beside the target; an empty object when none could be made.
    static PartialFile CreateBeside(const std::wstring& target) noexcept;
    explicit operator bool() const noexcept { return static_cast<bool>(file_); }

    bool Write(std::string_view bytes) noexcept;
    int64_t Size() const noexcept;  // -1 when unknown
    // Closes the file; it is deleted.
    void Discard() noexcept { file_.Reset(); }
    // Puts the bytes under the target's name, or under the first free numbered name beside it ("N (2).ext", ...); a
    // file there that already holds the same bytes is the picture itself, and the partial file goes. Never writes
    // over a file. Judged by the files there afterwards, not by the calls' answers alone. False when the picture could
    // not be put anywhere; the partial file is gone either way.
    bool PutInPlace(const std::wstring& target) noexcept;

  private:
    bool MarkForDeletion(bool deleteOnClose) noexcept;
    bool SameBytesAs(const std::wstring& path) noexcept;

    UniqueFile file_;
    std::wstring path_;
};
