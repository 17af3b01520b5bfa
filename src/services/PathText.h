#pragma once
#include <string>
#include <string_view>
#include <vector>

// Path text in UTF-16, as Windows reads it: "\" and "/" both separate levels.

bool IsPathSeparator(wchar_t c) noexcept;
// The folders a path names from its first level down, each without a trailing separator; empty levels are skipped.
// "D:\a/b\" gives "D:", "D:\a", "D:\a/b". A network path ("\\server\...") gives none.
std::vector<std::wstring> FolderLevels(std::wstring_view path);
