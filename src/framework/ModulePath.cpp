#include "framework/ModulePath.h"

#include <string>

#include "framework/Win32.h"

ExecutablePath CurrentExecutablePath() {
    // A path longer than the buffer comes back cut (and ERROR_INSUFFICIENT_BUFFER): try again with room for it.
    std::wstring path(MAX_PATH + 1, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size() - 1 || path.size() >= 32768) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return SplitExecutablePath(path);
}
