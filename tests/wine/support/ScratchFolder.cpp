#include "support/ScratchFolder.h"

#include <atomic>
#include <functional>

#include "framework/Win32.h"

namespace {

// Calls back with each entry of the folder but "." and "..".
void ForEachEntry(const std::wstring& folder, const std::function<void(const WIN32_FIND_DATAW&)>& visit) {
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") visit(entry);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

void ListInto(const std::wstring& root, const std::wstring& relative, std::set<std::wstring>& out) {
    ForEachEntry(root + relative, [&](const WIN32_FIND_DATAW& entry) {
        const bool folder = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
        const std::wstring name = relative + entry.cFileName + (folder ? L"\\" : L"");
        out.insert(name);
        if (folder) ListInto(root, name, out);
    });
}

void RemoveBelow(const std::wstring& folder) {
    ForEachEntry(folder, [&](const WIN32_FIND_DATAW& entry) {
        const std::wstring path = folder + entry.cFileName;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveBelow(path + L"\\");
            RemoveDirectoryW(path.c_str());
        } else {
            DeleteFileW(path.c_str());
        }
    });
}

}  // namespace

std::string ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::set<std::wstring> ListTree(const std::wstring& folder) {
    std::set<std::wstring> entries;
    if (!folder.empty()) ListInto(folder, L"", entries);
    return entries;
}

void RemoveTree(const std::wstring& folder) {
    const bool belowARoot = folder.size() > 4 && folder[1] == L':' && folder[2] == L'\\' && folder.back() == L'\\';
    if (!belowARoot) return;
    RemoveBelow(folder);
    RemoveDirectoryW(folder.c_str());
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> serial{0};
    wchar_t base[MAX_PATH]{};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"voyanta-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++serial) + L"\\";
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}
