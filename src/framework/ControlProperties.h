#pragma once
#include <cstdint>
#include <string_view>

#include "framework/ColorValue.h"
#include "framework/Win32.h"

// Property operations a form's construction code uses. Each finds the window's record in the HandleTable and does
// nothing when there is none.

// Stores the colour; a tree view or list view is also given it as its own text / background colour. Repaints.
void SetControlTextColor(HWND control, ColorValue color) noexcept;
void SetControlBackColor(HWND control, ColorValue color) noexcept;
// Stores the descriptor and sends the cached font with redraw; an edit control keeps its margins, a list box or
// combo box its item height.
void SetControlFont(HWND control, std::string_view descriptor) noexcept;
// Cursor codes: 1 app-starting, 2 arrow, 3 cross, 4 help, 5 I-beam, 6 no, 7 size-all, 8 size NE-SW, 9 size N-S,
// 10 size NW-SE, 11 size W-E, 12 up-arrow, 13 wait, 14 hand; any other code: no cursor of its own.
void SetControlCursor(HWND window, int32_t code) noexcept;
// The form's background: stored, and the class background brush replaced by a solid brush of it.
void SetFormBackColor(HWND form, ColorValue color) noexcept;
// Layered transparency of a form: percent 0..100 and a colour key (kDefaultColor = none).
void SetFormTransparency(HWND form, int32_t percent) noexcept;
void SetFormColorKey(HWND form, ColorValue key) noexcept;
// New width in pixels, height kept; the record's width becomes the width in design units.
void SetControlWidth(HWND control, int32_t pixelWidth) noexcept;
void ShowControl(HWND control, bool visible) noexcept;
void EnableControl(HWND control, bool enabled) noexcept;
void FocusControl(HWND control) noexcept;

// The system cursor of a cursor code; null for codes without one.
HCURSOR CursorFromCode(int32_t code) noexcept;
// The layered-window call a form's transparency needs: percent p and resolved key k (-1 = none).
struct LayeredAttributes {
    bool layered;  // false: WS_EX_LAYERED is removed
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};
LayeredAttributes LayeredAttributesFor(int32_t percent, int32_t key, bool exTransparent) noexcept;
