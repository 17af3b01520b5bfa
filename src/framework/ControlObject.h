#pragma once
#include <cstdint>

#include "framework/ColorValue.h"
#include "framework/Win32.h"
#include "framework/Win32Handles.h"
#include "services/RtString.h"
#include "services/WString.h"

// The record of properties behind a form and each of its controls, windowed or windowless. A form's record hangs on
// its window as the property "FCP_TYPE_PTR" and in the HandleTable; a windowed control's record is in the
// HandleTable only; a windowless control's record is chained behind the form's record. Window thread only.
struct ControlObject {
    HWND parent = nullptr;      // a form: its owner; a control: the form's window
    RtString name;              // design name: "Form1", "Text1", "Label1"
    int32_t index = 0;          // -1 for control records; the form's record keeps 0
    int32_t id = 0;             // control id; 0 for the form's record
    HWND focus = nullptr;       // form: the control that last had the focus; windowless: the label's window, if any
    HICON largeIcon = nullptr;  // form only; destroyed with the record (a no-op for a shared icon)
    HICON smallIcon = nullptr;
    WString caption;
    uint32_t styleFlags = 0;   // windowless-label flags
    int32_t transparency = 0;  // form only: percent, 0 = opaque
    ColorValue colorKey = kDefaultColor;
    int32_t cursorCode = 0;  // 1..14, see SetControlCursor
    ColorValue textColor = kDefaultColor;
    ColorValue backColor = kDefaultColor;
    UniqueBrush brush;  // handed out for WM_CTLCOLOR*; remade when the colour changes
    int32_t brushColor = kNoColor;
    RtString fontDescriptor;  // e.g. "Microsoft YaHei,9,0"
    WString secondText;
    WString tooltipText;
    uint32_t tooltipBalloon = 0;
    UniqueWindow tooltip;
    HCURSOR cursor = nullptr;                          // a shared system cursor, borrowed: never destroyed here
    int32_t left = 0, top = 0, width = 0, height = 0;  // design rectangle, 96-dpi units
    int32_t anchor = 0;                                // AnchorMode, 0 = none
    int32_t rightMargin = 0, bottomMargin = 0, horizontalOffset = 0, verticalOffset = 0;
    ControlObject* next = nullptr;  // next windowless control of the same form; freed with the form's record
};

// A new record with the initial values above; the caller attaches it or frees it.
ControlObject* NewControlObject();
// Frees one record (not its chain).
void FreeControlObject(ControlObject* record) noexcept;
// Number of records alive, to check that windows free theirs.
int32_t LiveControlObjectCount() noexcept;

// A form's record: the window property "FCP_TYPE_PTR" and the HandleTable.
void AttachFormRecord(HWND form, ControlObject* record) noexcept;
// A windowed control's record: the HandleTable only.
void AttachControlRecord(HWND control, ControlObject* record) noexcept;
// Links a windowless control's record behind the last record of the form's chain.
void ChainWindowlessRecord(ControlObject* formRecord, ControlObject* record) noexcept;

// The window's record: the property "FCP_TYPE_PTR" first, then the HandleTable; null when it has none.
ControlObject* FindControlObject(HWND window) noexcept;

// The HandleTable: window handle -> record, in blocks of 100 pairs (see HandleChain).
void HandleTableInsert(HWND window, ControlObject* record) noexcept;
ControlObject* HandleTableFind(HWND window) noexcept;
void HandleTableRemove(HWND window) noexcept;
size_t HandleTableCount() noexcept;
size_t HandleTableBlockCount() noexcept;

// A record's colour resolved against the platform's system colours (see ResolveColorValue).
int32_t ResolveColor(ColorValue value, int32_t defaultColor) noexcept;
// Gives the record a brush of that colour, keeping the one it has when the colour is the same; returns it.
HBRUSH RecordBrush(ControlObject& record, int32_t color) noexcept;
