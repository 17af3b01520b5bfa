#include "download/PictureFiles.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "download/FileNames.h"
#include "framework/Win32.h"

namespace {

constexpr DWORD kBlockSize = 64 * 1024;
// Far more copies of one name than a folder ever holds; the search for a free name ends there.
constexpr unsigned kMostCopies = 10000;
// Far more partial files beside one picture than attempts ever leave; the search for a new one ends there.
constexpr unsigned kMostAttempts = 1000;

std::atomic<unsigned> attemptsMade{0};

bool ReadAll(HANDLE file, char* into, DWORD size) noexcept {
    DWORD got = 0;
    return ReadFile(file, into, size, &got, nullptr) && got == size;
}

}  // namespace

int64_t FileSize(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::wstring PartialDownloadPath(const std::wstring& target, unsigned attempt) {
    const size_t nameStart = target.find_last_of(L"\\/") + 1;  // 0 when the target has no folder part
    std::wstring partial = target;
    partial.insert(nameStart, 1, L'~');
    return partial + L"." + std::to_wstring(attempt) + L".part";
}

PartialFile PartialFile::CreateBeside(const std::wstring& target) noexcept {
    PartialFile partial;
    for (unsigned tries = 0; tries < kMostAttempts; ++tries) {
        partial.path_ = PartialDownloadPath(target, ++attemptsMade);
        // Shared for deletion, so that it can be renamed while open; CREATE_NEW: never another attempt's file.
        partial.file_.Reset(CreateFileW(partial.path_.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                                        nullptr));
        if (partial.file_) {
            if (!partial.MarkForDeletion(true)) partial.Discard();  // a file that could outlive the process: none
            return partial;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    return {};
}

bool PartialFile::MarkForDeletion(bool deleteOnClose) noexcept {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = deleteOnClose ? TRUE : FALSE;
    return SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool PartialFile::Write(std::string_view bytes) noexcept {
    DWORD written = 0;
    return file_ && WriteFile(file_.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

int64_t PartialFile::Size() const noexcept {
    LARGE_INTEGER size{};
    return file_ && GetFileSizeEx(file_.Get(), &size) ? size.QuadPart : -1;
}

// Read through the partial file's own handle: a file marked for deletion cannot be opened again.
bool PartialFile::SameBytesAs(const std::wstring& path) noexcept {
    const UniqueFile other(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER otherSize{};
    const int64_t size = Size();
    if (!other || !GetFileSizeEx(other.Get(), &otherSize) || otherSize.QuadPart != size ||
        !SetFilePointerEx(file_.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN))
        return false;
    std::vector<char> mine(kBlockSize);
    std::vector<char> theirs(kBlockSize);
    for (int64_t left = size; left > 0;) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(left, kBlockSize));
        if (!ReadAll(file_.Get(), mine.data(), want) || !ReadAll(other.Get(), theirs.data(), want) ||
            std::memcmp(mine.data(), theirs.data(), want) != 0)
            return false;
        left -= want;
    }
    return true;
}

bool PartialFile::PutInPlace(const std::wstring& target) noexcept {
    const int64_t size = Size();
    for (unsigned copy = 1; file_ && size > 0 && copy <= kMostCopies; ++copy) {
        const std::wstring name = NumberedTarget(target, copy);
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) {
            // The name is free. The mark goes just before the move (a file marked for deletion cannot be moved) and
            // comes back when the move fails. Without MOVEFILE_REPLACE_EXISTING: a name taken a moment ago is never
            // written over.
            if (!MarkForDeletion(false)) break;
            if (MoveFileExW(path_.c_str(), name.c_str(), 0)) {
                Discard();
                return FileSize(name) == size && FileSize(path_) < 0;
            }
            if (!MarkForDeletion(true) || GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) break;
        }
        if (FileSize(name) >= 0 && SameBytesAs(name)) {
            Discard();
            return true;
        }
    }
    Discard();
    DeleteFileW(path_.c_str());  // in case the mark could not be set again
    return false;
}
