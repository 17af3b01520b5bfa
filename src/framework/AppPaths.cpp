#include "framework/AppPaths.h"

ExecutablePath SplitExecutablePath(std::wstring_view fullPath) {
    const size_t last = fullPath.find_last_of(L":/\\");
    if (last == std::wstring_view::npos) return {L"", std::wstring(fullPath)};
    return {std::wstring(fullPath.substr(0, last + 1)), std::wstring(fullPath.substr(last + 1))};
}
