#include "framework/ControlProperties.h"

#include <string_view>

#include "framework/ControlObject.h"
#include "framework/Dpi.h"
#include "framework/DpiMath.h"
#include "framework/Win32.h"

#include <commctrl.h>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

bool ClassIs(HWND window, const wchar_t* name) {
    return lstrcmpiW(ClassOf(window).c_str(), name) == 0;
}

void Repaint(HWND window) noexcept {
    InvalidateRect(window, nullptr, TRUE);
    UpdateWindow(window);
}

void ApplyTransparency(HWND form, const ControlObject& record) noexcept {
    const LONG_PTR ex = GetWindowLongPtrW(form, GWL_EXSTYLE);
    const LayeredAttributes a =
        LayeredAttributesFor(record.transparency, ResolveColor(record.colorKey, kNoColor), ex & WS_EX_TRANSPARENT);
    if (!a.layered) {
        SetWindowLongPtrW(form, GWL_EXSTYLE, ex & ~static_cast<LONG_PTR>(WS_EX_LAYERED));
        return;
    }
    SetWindowLongPtrW(form, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(form, a.key, a.alpha, a.flags);
}

}  // namespace

void SetControlTextColor(HWND control, ColorValue color) noexcept {
    ControlObject* record = HandleTableFind(control);
    if (record == nullptr) return;
    record->textColor = color;
    const COLORREF resolved = static_cast<COLORREF>(ResolveColor(color, kNoColor));
    if (ClassIs(control, WC_TREEVIEWW)) SendMessageW(control, TVM_SETTEXTCOLOR, 0, resolved);
    if (ClassIs(control, WC_LISTVIEWW)) SendMessageW(control, LVM_SETTEXTCOLOR, 0, resolved);
    Repaint(control);
}

void SetControlBackColor(HWND control, ColorValue color) noexcept {
    ControlObject* record = HandleTableFind(control);
    if (record == nullptr) return;
    record->backColor = color;
    const COLORREF resolved = static_cast<COLORREF>(ResolveColor(color, kNoColor));
    if (ClassIs(control, WC_TREEVIEWW)) SendMessageW(control, TVM_SETBKCOLOR, 0, resolved);
    if (ClassIs(control, WC_LISTVIEWW)) SendMessageW(control, LVM_SETBKCOLOR, 0, resolved);
    Repaint(control);
}

void SetControlFont(HWND control, std::string_view descriptor) noexcept {
    ControlObject* record = HandleTableFind(control);
    if (record == nullptr) return;
    record->fontDescriptor = RtString(descriptor);
    const HFONT font = FontFromDescriptor(descriptor);
    const bool edit = ClassIs(control, WC_EDITW);
    const bool listBox = ClassIs(control, WC_LISTBOXW);
    const bool comboBox = ClassIs(control, WC_COMBOBOXW);
    const LRESULT margins = edit ? SendMessageW(control, EM_GETMARGINS, 0, 0) : 0;
    // A combo box answers its own item-height requests; the list box ones mean something else to it.
    const LRESULT itemHeight = listBox    ? SendMessageW(control, LB_GETITEMHEIGHT, 0, 0)
                               : comboBox ? SendMessageW(control, CB_GETITEMHEIGHT, 0, 0)
                                          : 0;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (edit) SendMessageW(control, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, margins);
    if (listBox) SendMessageW(control, LB_SETITEMHEIGHT, 0, itemHeight);
    if (comboBox) SendMessageW(control, CB_SETITEMHEIGHT, 0, itemHeight);
}

HCURSOR CursorFromCode(int32_t code) noexcept {
    static const LPCWSTR kCursors[] = {IDC_APPSTARTING, IDC_ARROW,   IDC_CROSS,    IDC_HELP,   IDC_IBEAM,
                                       IDC_NO,          IDC_SIZEALL, IDC_SIZENESW, IDC_SIZENS, IDC_SIZENWSE,
                                       IDC_SIZEWE,      IDC_UPARROW, IDC_WAIT,     IDC_HAND};
    if (code < 1 || code > 14) return nullptr;
    return LoadCursorW(nullptr, kCursors[code - 1]);
}

void SetControlCursor(HWND window, int32_t code) noexcept {
    ControlObject* record = HandleTableFind(window);
    if (record == nullptr) return;
    record->cursorCode = code;
    record->cursor = CursorFromCode(code);
}

void SetFormBackColor(HWND form, ColorValue color) noexcept {
    ControlObject* record = HandleTableFind(form);
    if (record == nullptr) return;
    record->backColor = color;
    const int32_t resolved = ResolveColor(color, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
    const HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(resolved));
    const auto old =
        reinterpret_cast<HBRUSH>(SetClassLongPtrW(form, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush)));
    // The class starts with a system colour index, not a brush; only a brush made here is deleted.
    if (reinterpret_cast<ULONG_PTR>(old) > COLOR_MENUBAR + 1) DeleteObject(old);
    Repaint(form);
}

LayeredAttributes LayeredAttributesFor(int32_t percent, int32_t key, bool exTransparent) noexcept {
    if (percent == 0 && key == kNoColor && !exTransparent) return {false, 0, 0, 0};
    const BYTE alpha = static_cast<BYTE>(RoundHalfEven((100 - percent) * 2.55));
    if (key == kNoColor) return {true, 0, alpha, LWA_ALPHA};
    if (percent == 0) return {true, static_cast<COLORREF>(key), 0, LWA_COLORKEY};
    return {true, static_cast<COLORREF>(key), alpha, LWA_COLORKEY | LWA_ALPHA};
}

void SetFormTransparency(HWND form, int32_t percent) noexcept {
    ControlObject* record = HandleTableFind(form);
    if (record == nullptr) return;
    record->transparency = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    ApplyTransparency(form, *record);
}

void SetFormColorKey(HWND form, ColorValue key) noexcept {
    ControlObject* record = HandleTableFind(form);
    if (record == nullptr) return;
    record->colorKey = key;
    ApplyTransparency(form, *record);
}

void SetControlWidth(HWND control, int32_t pixelWidth) noexcept {
    ControlObject* record = HandleTableFind(control);
    if (record == nullptr) return;
    RECT r{};
    GetWindowRect(control, &r);
    SetWindowPos(control, nullptr, 0, 0, pixelWidth, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    record->width = RoundHalfEven(UnscaleX(static_cast<float>(pixelWidth)));
}

void ShowControl(HWND control, bool visible) noexcept {
    if (HandleTableFind(control) != nullptr) ShowWindow(control, visible ? SW_SHOW : SW_HIDE);
}

void EnableControl(HWND control, bool enabled) noexcept {
    if (HandleTableFind(control) != nullptr) EnableWindow(control, enabled ? TRUE : FALSE);
}

void FocusControl(HWND control) noexcept {
    if (HandleTableFind(control) != nullptr) SetFocus(control);
}
