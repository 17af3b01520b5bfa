#pragma once
#include <cstdint>
#include <string_view>

#include "framework/Win32.h"

#include <commctrl.h>

struct FormWindow;

// How a new control's messages reach the form's code.
struct ControlSubclass {
    WNDPROC classic = nullptr;         // replaces the control's procedure; the previous one is kept in "OLDWNDPROC"
    SUBCLASSPROC procedure = nullptr;  // otherwise installed with SetWindowSubclass(id, data)
    UINT_PTR id = 0;
    DWORD_PTR data = 0;
};
inline ControlSubclass ClassicSubclass(WNDPROC procedure) {
    return {procedure, nullptr, 0, 0};
}
inline ControlSubclass SharedSubclass(SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) {
    return {nullptr, procedure, id, data};
}

// Creates a windowed control by type name ("TEXTBOX", "BUTTON", "LISTVIEW", ...; any case; a name outside the table is
// a window class name). Style or extended style -1 asks for the type's default; WS_CHILD is always added. The design
// rectangle (96-dpi units) is scaled by the form's ratios. The control gets the form's default font (unless its type
// takes none), its per-type set-up and the subclass. A null parent means the form's window. 0 on failure (empty type
// name or failed creation), leaving nothing behind. Creates no record: the caller attaches one.
HWND AddControl(FormWindow& form, std::wstring_view typeName, HWND parent, int32_t id, std::wstring_view caption,
                int32_t x, int32_t y, int32_t width, int32_t height, int32_t style = -1, int32_t exStyle = -1,
                void* creationParameter = nullptr, ControlSubclass subclass = {}) noexcept;
