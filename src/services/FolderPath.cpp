#include "services/FolderPath.h"

#include <string>
#include <vector>

#include "framework/Unique.h"
#include "framework/Win32.h"
#include "services/PathText.h"

namespace {

struct FindTraits {
    using Type = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE h) { FindClose(h); }
};
using UniqueFind = Unique<FindTraits>;

bool IsPlainFile(const WString& path) {
    const DWORD attributes = GetFileAttributesW(path.Data());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    constexpr DWORD kNotPlain = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | 0x8 /* volume label */ |
                                FILE_ATTRIBUTE_DIRECTORY;
    return (attributes & kNotPlain) == 0;
}

bool IsExistingFolder(const WString& path) {
    const DWORD attributes = GetFileAttributesW(path.Data());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

WString FindDirectoryEntry(const WString& pattern, uint32_t attributeMask, uint32_t* attributes) {
    WIN32_FIND_DATAW entry{};
    UniqueFind search(FindFirstFileW(pattern.Data(), &entry));
    if (!search) return {};
    do {
        if (entry.dwFileAttributes & attributeMask) {
            if (attributes) *attributes = entry.dwFileAttributes;
            return WString(entry.cFileName);
        }
    } while (FindNextFileW(search.Get(), &entry));
    return {};
}

void CreatePath(std::wstring_view path) {
    const std::vector<std::wstring> levels = FolderLevels(path);
    if (levels.empty() || IsPlainFile(WString(levels.back()))) return;
    for (const std::wstring& level : levels) {
        const WString wideLevel(level);
        uint32_t attributes = 0;
        if (FindDirectoryEntry(wideLevel, FILE_ATTRIBUTE_DIRECTORY, &attributes).Empty() &&
            !CreateDirectoryW(wideLevel.Data(), nullptr) && !IsExistingFolder(wideLevel))
            return;  // a drive root such as "C:" is not found as an entry, but it is there: go on
    }
}
