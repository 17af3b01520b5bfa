#pragma once
#include <string>
#include <string_view>

// The executable's full path split into its folder (up to and including the last ":", "/" or "\")
// and its file name (the rest). A path without any separator has an empty folder.
struct ExecutablePath {
    std::wstring folder;
    std::wstring fileName;
};
ExecutablePath SplitExecutablePath(std::wstring_view fullPath);
