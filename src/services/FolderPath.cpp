#include "services/FolderPath.h"

#include "framework/Unique.h"
#include "framework/Win32.h"

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

void CreatePath(const RtString& path) {
    if (path.starts_with("\\\\")) return;  // network paths are left alone
    if (IsPlainFile(WString(path))) return;
    RtString trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') trimmed.pop_back();
    if (trimmed.empty()) return;

    size_t next = 0;
    while (true) {
        const size_t separator = trimmed.find('\\', next);
        const RtString level = trimmed.substr(0, separator);
        const WString wideLevel(level);
        uint32_t attributes = 0;
        if (FindDirectoryEntry(wideLevel, FILE_ATTRIBUTE_DIRECTORY, &attributes).Empty() &&
            !CreateDirectoryW(wideLevel.Data(), nullptr) && !IsExistingFolder(wideLevel))
            return;  // a drive root such as "C:" is not found as an entry, but it is there: go on
        if (separator == RtString::npos) return;
        next = separator + 1;
    }
}
