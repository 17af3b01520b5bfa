#include "framework/ModulePath.h"

#include "framework/Win32.h"

ExecutablePath CurrentExecutablePath() {
    wchar_t path[MAX_PATH + 1]{};
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return SplitExecutablePath(std::wstring_view(path, n));
}
