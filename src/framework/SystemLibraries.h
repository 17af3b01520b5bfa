#pragma once
#include <type_traits>

#include "framework/Win32.h"

#include <commctrl.h>
#include <uxtheme.h>

// Windows' own DLLs that are not known DLLs, loaded from the system folder only. The executable imports nothing but
// known DLLs: a DLL of the same name lying beside it (in a Downloads folder, say) is never loaded.

// Takes the current folder out of the DLL search and, where the system offers it (Windows 8, or 7 with its loader
// update), limits every later load to the system folder; elsewhere it loads the visual styles from there at once.
// Called at the executable's entry, before the C runtime starts: it uses kernel32 alone.
void NarrowDllSearch() noexcept;

// Loads a DLL of Windows by its file name ("winhttp.dll") from the system folder; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* fileName) noexcept;

// Stands in for a function whose DLL or export is missing: fails as the call would on a system without it.
template <typename Function>
struct MissingSystemFunction;
template <typename Result, typename... Args>
struct MissingSystemFunction<Result(WINAPI*)(Args...)> {
    static Result WINAPI Call(Args...) noexcept {
        SetLastError(ERROR_PROC_NOT_FOUND);
        if constexpr (std::is_same_v<Result, HRESULT>) {
            return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
        } else if constexpr (std::is_same_v<Result, Gdiplus::Status>) {
            return Gdiplus::GdiplusNotInitialized;
        } else if constexpr (!std::is_void_v<Result>) {
            return Result{};  // FALSE, or a null handle
        }
    }
};

// The export of that name from a loaded DLL, or its failing stand-in (also when the DLL is null).
template <typename Function>
Function FindSystemFunction(HMODULE library, const char* name) noexcept {
    const FARPROC found = library != nullptr ? GetProcAddress(library, name) : nullptr;
    if (found == nullptr) return &MissingSystemFunction<Function>::Call;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// A table of one DLL's functions is a struct with a member per function, named and typed as the platform's own
// declaration, listed once: SYSTEM_FUNCTION_MEMBER declares the member, SYSTEM_FUNCTION_FIND fills it from `library`.
#define SYSTEM_FUNCTION_MEMBER(scope, name) decltype(&scope name) name = nullptr;
#define SYSTEM_FUNCTION_FIND(scope, name) table.name = FindSystemFunction<decltype(&scope name)>(library, #name);

#define COMMON_CONTROLS_FUNCTIONS(X) X(::, InitCommonControlsEx) X(::, SetWindowSubclass)
#define VISUAL_STYLES_FUNCTIONS(X) X(::, SetWindowTheme)
#define GDIPLUS_FUNCTIONS(X)                       \
    X(Gdiplus::, GdiplusStartup)                   \
    X(Gdiplus::, GdiplusShutdown)                  \
    X(Gdiplus::DllExports::, GdipCreateFromHDC)    \
    X(Gdiplus::DllExports::, GdipSetSmoothingMode) \
    X(Gdiplus::DllExports::, GdipDeleteGraphics)   \
    X(Gdiplus::DllExports::, GdipCreatePen1)       \
    X(Gdiplus::DllExports::, GdipDeletePen)        \
    X(Gdiplus::DllExports::, GdipCreateSolidFill)  \
    X(Gdiplus::DllExports::, GdipDeleteBrush)      \
    X(Gdiplus::DllExports::, GdipDisposeImage)     \
    X(Gdiplus::DllExports::, GdipFillRectangle)    \
    X(Gdiplus::DllExports::, GdipDrawRectangle)

// Each table is filled on first use, once, whichever thread comes first, and kept for the life of the process.
struct CommonControlsFunctions {
    COMMON_CONTROLS_FUNCTIONS(SYSTEM_FUNCTION_MEMBER)
};
const CommonControlsFunctions& CommonControls() noexcept;  // comctl32.dll, version 6 through the manifest

struct VisualStylesFunctions {
    VISUAL_STYLES_FUNCTIONS(SYSTEM_FUNCTION_MEMBER)
};
const VisualStylesFunctions& VisualStyles() noexcept;  // uxtheme.dll

struct GdiplusFunctions {
    GDIPLUS_FUNCTIONS(SYSTEM_FUNCTION_MEMBER)
};
const GdiplusFunctions& Gdip() noexcept;  // gdiplus.dll
