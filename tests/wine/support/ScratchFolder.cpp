#include "support/ScratchFolder.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/Win32.h"

namespace fs = std::filesystem;

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream file(fs::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream file(fs::path(path), std::ios::binary);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) && file.flush();
}

std::set<std::wstring> ListTree(const std::wstring& folder) {
    std::set<std::wstring> entries;
    std::error_code error;
    if (!folder.empty())  // entries are folder + relative name, as the folder ends in a separator
        for (const auto& entry : fs::recursive_directory_iterator(folder, error))
            entries.insert(entry.path().wstring().substr(folder.size()) + (entry.is_directory() ? L"\\" : L""));
    return entries;
}

void RemoveTree(const std::wstring& folder) {
    std::error_code error;
    if (folder.size() > 4 && folder[1] == L':' && folder[2] == L'\\' && folder.back() == L'\\')
        fs::remove_all(folder, error);
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> serial{0};
    wchar_t base[MAX_PATH]{};
    GetTempPathW(MAX_PATH, base);
    path_ = base + (L"voyanta-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L"\\");
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
}
