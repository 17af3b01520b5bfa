#include "services/PathText.h"

bool IsPathSeparator(wchar_t c) noexcept {
    return c == L'\\' || c == L'/';
}

std::vector<std::wstring> FolderLevels(std::wstring_view path) {
    std::vector<std::wstring> levels;
    if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return levels;  // left to the network
    for (size_t end = 0; end <= path.size(); ++end) {
        const bool levelEnds = end == path.size() || IsPathSeparator(path[end]);
        if (levelEnds && end > 0 && !IsPathSeparator(path[end - 1])) levels.emplace_back(path.substr(0, end));
    }
    return levels;
}
