#pragma once
#include <cstdint>

#include "framework/Win32.h"
#include "services/WString.h"

// Thin operations on a report list view, one or two synchronous requests each. Any thread may call them: every
// request is sent, so the list's own thread carries it out and the caller waits. The layer keeps no state.
// Operations that say "stale handle" test the handle first and return that value without sending anything.

inline constexpr int32_t kColumnLeft = 0;
inline constexpr int32_t kColumnCentre = 2;
inline constexpr int32_t kCellTextCapacity = 1024;  // UTF-16 units read per cell, terminator included

// Index of the new column, -1 from the list; 0 for a stale handle. The list's outer width is nudged one pixel and
// back so that the header lays itself out anew; the net width is unchanged.
int32_t ListViewInsertColumn(HWND list, int32_t column, const WString& header, int32_t format, int32_t width);
// Changes only the header text. Nonzero on success; 0 for a stale handle.
LRESULT ListViewSetColumnText(HWND list, int32_t column, const WString& header);

int32_t ListViewGetItemCount(HWND list);
LRESULT ListViewDeleteAllItems(HWND list);

// Appends a row with the text in column 0. Index of the new row; -1 on failure or for a stale handle.
int32_t ListViewAddItem(HWND list, const WString& text, LPARAM data = 0, int32_t image = 0);
int32_t ListViewInsertItem(HWND list, int32_t position, const WString& text, LPARAM data = 0, int32_t image = 0);

// Nonzero on success; 0 for a stale handle.
LRESULT ListViewSetItemText(HWND list, int32_t row, int32_t column, const WString& text);
// At most kCellTextCapacity - 1 units; empty for a missing cell or a stale handle.
WString ListViewGetItemText(HWND list, int32_t row, int32_t column);

// True unless the row's state image is "unchecked" (a row without a state image reads as checked).
bool ListViewGetCheckState(HWND list, int32_t row);
LRESULT ListViewSetCheckState(HWND list, int32_t row, bool checked);

int32_t ListViewGetSelectionMark(HWND list);
// Moves the selection mark to the row and gives it the selected and focused state; row -1 addresses every row.
// Result of the state request; 0 for a stale handle.
LRESULT ListViewSelectItem(HWND list, int32_t row);
// Scrolls the row at the selection mark at least partly into view.
LRESULT ListViewEnsureSelectionVisible(HWND list);
