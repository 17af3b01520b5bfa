#pragma once
// Files on disk as the window tests see them.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "framework/Win32.h"

inline std::string ReadFileBytes(const std::wstring& path) {  // empty when it cannot be read
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}
// Every file and folder under the folder (which ends in a separator), relative to it; folder names end in "\".
inline std::set<std::wstring> ListTree(const std::wstring& folder) {
    std::set<std::wstring> entries;
    std::error_code error;
    if (!folder.empty())
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error))
            entries.insert(entry.path().wstring().substr(folder.size()) + (entry.is_directory() ? L"\\" : L""));
    return entries;
}
// Removes the folder with everything in it. Only a full path below a drive's root that ends in a separator: an empty
// or relative path would name the current folder.
inline void RemoveTree(const std::wstring& folder) {
    std::error_code error;
    if (folder.size() > 4 && folder[1] == L':' && folder[2] == L'\\' && folder.back() == L'\\')
        std::filesystem::remove_all(folder, error);
}

// A fresh, empty folder under the temporary folder for one test, removed with everything in it at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        static std::atomic<int> serial{0};
        wchar_t base[MAX_PATH]{};
        GetTempPathW(MAX_PATH, base);
        path_ = base + (L"voyanta-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) +
                        L"\\");
        RemoveTree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { RemoveTree(path_); }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& Path() const { return path_; }  // ends in a backslash

  private:
    std::wstring path_;
};
