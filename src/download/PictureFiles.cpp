#include "download/PictureFiles.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

#include "download/ErrorPage.h"
#include "download/FileNames.h"
#include "framework/Win32.h"

namespace {

constexpr DWORD kBlockSize = 64 * 1024;
// Far more copies of one name than a folder ever holds; the search for a free name ends there.
constexpr unsigned kMostCopies = 10000;

UniqueFile OpenForReading(const std::wstring& path) noexcept {
    return UniqueFile(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

// True when both files can be read and hold the same bytes.
bool SameBytes(const std::wstring& a, const std::wstring& b) noexcept {
    const UniqueFile fileA = OpenForReading(a);
    const UniqueFile fileB = OpenForReading(b);
    LARGE_INTEGER sizeA{};
    LARGE_INTEGER sizeB{};
    if (!fileA || !fileB || !GetFileSizeEx(fileA.Get(), &sizeA) || !GetFileSizeEx(fileB.Get(), &sizeB) ||
        sizeA.QuadPart != sizeB.QuadPart)
        return false;
    std::vector<char> blockA(kBlockSize);
    std::vector<char> blockB(kBlockSize);
    for (int64_t left = sizeA.QuadPart; left > 0;) {
        const DWORD want = static_cast<DWORD>(std::min<int64_t>(left, kBlockSize));
        DWORD gotA = 0;
        DWORD gotB = 0;
        if (!ReadFile(fileA.Get(), blockA.data(), want, &gotA, nullptr) ||
            !ReadFile(fileB.Get(), blockB.data(), want, &gotB, nullptr) || gotA != want || gotB != want ||
            std::memcmp(blockA.data(), blockB.data(), want) != 0)
            return false;
        left -= want;
    }
    return true;
}

}  // namespace

int64_t FileSize(const std::wstring& path) noexcept {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

std::string StartAfterBlanks(const std::wstring& path) noexcept {
    std::string start;
    const UniqueFile file = OpenForReading(path);
    if (!file) return start;
    std::vector<char> block(kBlockSize);
    DWORD n = 0;
    while (start.size() < kPageMarkLength && ReadFile(file.Get(), block.data(), kBlockSize, &n, nullptr) && n > 0) {
        std::string_view bytes(block.data(), n);
        if (start.empty()) bytes.remove_prefix(LeadingBlanks(bytes));
        start.append(bytes.substr(0, kPageMarkLength - start.size()));
    }
    return start;
}

bool PlaceDownload(const std::wstring& partial, const std::wstring& target, int64_t size,
                   std::wstring& savedAs) noexcept {
    for (unsigned copy = 1; copy <= kMostCopies; ++copy) {
        const std::wstring name = NumberedTarget(target, copy);
        // Without MOVEFILE_REPLACE_EXISTING: a name that is taken, even a moment ago, is never written over.
        if (MoveFileExW(partial.c_str(), name.c_str(), 0)) {
            if (FileSize(name) != size || FileSize(partial) >= 0) return false;
            savedAs = name;
            return true;
        }
        if (GetFileAttributesW(name.c_str()) == INVALID_FILE_ATTRIBUTES) return false;  // free, yet not movable
        if (FileSize(name) >= 0 && SameBytes(partial, name)) {
            DeleteFileW(partial.c_str());
            savedAs = name;
            return true;
        }
    }
    return false;
}
