#include "services/ListView.h"

#include "framework/Win32.h"

#include <commctrl.h>

namespace {

constexpr UINT kStateImageMask = 0xF000;
constexpr UINT kUncheckedImage = 1;
constexpr UINT kCheckedImage = 2;
constexpr UINT kSelectedAndFocused = LVIS_SELECTED | LVIS_FOCUSED;

int OuterWidth(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r.right - r.left;
}

// Keeps position, height and z-order; the window is not activated.
void SetOuterWidth(HWND window, int width) {
    RECT r{};
    GetWindowRect(window, &r);
    SetWindowPos(window, nullptr, 0, 0, width, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LPWSTR TextPointer(const WString& text) {
    return const_cast<LPWSTR>(text.Data());
}  // the list only reads it

}  // namespace

int32_t ListViewInsertColumn(HWND list, int32_t column, const WString& header, int32_t format, int32_t width) {
    if (!IsWindow(list)) return 0;
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.fmt = format;
    col.cx = width;
    col.pszText = TextPointer(header);
    const auto index =
        static_cast<int32_t>(SendMessageW(list, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&col)));
    SetOuterWidth(list, OuterWidth(list) + 1);
    SetOuterWidth(list, OuterWidth(list) - 1);
    return index;
}

LRESULT ListViewSetColumnText(HWND list, int32_t column, const WString& header) {
    if (!IsWindow(list)) return 0;
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = TextPointer(header);
    return SendMessageW(list, LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}

int32_t ListViewGetItemCount(HWND list) {
    return static_cast<int32_t>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

LRESULT ListViewDeleteAllItems(HWND list) {
    return SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
}

int32_t ListViewAddItem(HWND list, const WString& text, LPARAM data, int32_t image) {
    return ListViewInsertItem(list, ListViewGetItemCount(list), text, data, image);
}

int32_t ListViewInsertItem(HWND list, int32_t position, const WString& text, LPARAM data, int32_t image) {
    if (!IsWindow(list)) return -1;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = position;
    item.pszText = TextPointer(text);
    item.iImage = image;
    item.lParam = data;
    return static_cast<int32_t>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

LRESULT ListViewSetItemText(HWND list, int32_t row, int32_t column, const WString& text) {
    if (!IsWindow(list)) return 0;
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = TextPointer(text);
    item.cchTextMax = static_cast<int>(text.Length());
    return SendMessageW(list, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

WString ListViewGetItemText(HWND list, int32_t row, int32_t column) {
    if (!IsWindow(list)) return {};
    wchar_t buffer[kCellTextCapacity]{};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = kCellTextCapacity;
    if (!SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return {};
    buffer[kCellTextCapacity - 1] = L'\0';
    // The list may answer with a pointer to its own text instead of filling the buffer.
    const wchar_t* text = item.pszText ? item.pszText : buffer;
    return WString(std::wstring_view(text, wcsnlen(text, kCellTextCapacity - 1)));
}

bool ListViewGetCheckState(HWND list, int32_t row) {
    const auto state = static_cast<UINT>(SendMessageW(list, LVM_GETITEMSTATE, row, kStateImageMask));
    return ((state & kStateImageMask) >> 12) != kUncheckedImage;
}

LRESULT ListViewSetCheckState(HWND list, int32_t row, bool checked) {
    LVITEMW item{};
    item.stateMask = kStateImageMask;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? kCheckedImage : kUncheckedImage);
    return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int32_t ListViewGetSelectionMark(HWND list) {
    return static_cast<int32_t>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
}

LRESULT ListViewSelectItem(HWND list, int32_t row) {
    if (!IsWindow(list)) return 0;
    SendMessageW(list, LVM_SETSELECTIONMARK, 0, row);
    LVITEMW item{};
    item.mask = LVIF_STATE;
    item.state = kSelectedAndFocused;
    item.stateMask = kSelectedAndFocused;
    return SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

LRESULT ListViewEnsureSelectionVisible(HWND list) {
    const auto mark = static_cast<WPARAM>(SendMessageW(list, LVM_GETSELECTIONMARK, 0, 0));
    return SendMessageW(list, LVM_ENSUREVISIBLE, mark, TRUE);
}
