#include "framework/SystemLibraries.h"

#include "framework/Win32.h"

namespace {

// SetDefaultDllDirectories, where the system has it: never imported, or the program would not start on Windows 7
// without its loader update.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() noexcept {
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    const FARPROC found = kernel != nullptr ? GetProcAddress(kernel, "SetDefaultDllDirectories") : nullptr;
    return reinterpret_cast<SetDefaultDllDirectoriesFunction>(reinterpret_cast<void*>(found));
}

}  // namespace

void NarrowDllSearch() noexcept {
    SetDllDirectoryW(L"");
    if (const SetDefaultDllDirectoriesFunction narrow = FindSetDefaultDllDirectories()) {
        narrow(LOAD_LIBRARY_SEARCH_SYSTEM32);
    } else {
        // The visual styles are loaded by bare name by the system's window code and by the common controls, whose
        // imports this search cannot reach: loaded now from the system folder, those loads find them loaded.
        LoadSystemLibrary(L"uxtheme.dll");
    }
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept {
    // The flag limits the DLL's own imports to the system folder too. Where the system lacks it, the full path with
    // the altered search order has its imports searched in the DLL's folder, not the executable's.
    if (FindSetDefaultDllDirectories() != nullptr)
        return LoadLibraryExW(fileName, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    wchar_t path[MAX_PATH]{};  // no runtime string: this also runs before the C runtime has started
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return nullptr;
    path[length++] = L'\\';
    for (const wchar_t* c = fileName; *c != L'\0'; ++c) {
        if (length + 1 >= MAX_PATH) return nullptr;
        path[length++] = *c;
    }
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

const CommonControlsFunctions& CommonControls() noexcept {
    static const CommonControlsFunctions functions = [] {
        // By bare name: the manifest's activation context redirects it to version 6, before any folder is searched.
        const HMODULE library = LoadLibraryExW(
            L"comctl32.dll", nullptr, FindSetDefaultDllDirectories() != nullptr ? LOAD_LIBRARY_SEARCH_SYSTEM32 : 0);
        CommonControlsFunctions table;
        COMMON_CONTROLS_FUNCTIONS(SYSTEM_FUNCTION_FIND)
        return table;
    }();
    return functions;
}

const VisualStylesFunctions& VisualStyles() noexcept {
    static const VisualStylesFunctions functions = [] {
        const HMODULE library = LoadSystemLibrary(L"uxtheme.dll");
        VisualStylesFunctions table;
        VISUAL_STYLES_FUNCTIONS(SYSTEM_FUNCTION_FIND)
        return table;
    }();
    return functions;
}

const GdiplusFunctions& Gdip() noexcept {
    static const GdiplusFunctions functions = [] {
        const HMODULE library = LoadSystemLibrary(L"gdiplus.dll");
        GdiplusFunctions table;
        GDIPLUS_FUNCTIONS(SYSTEM_FUNCTION_FIND)
        return table;
    }();
    return functions;
}
