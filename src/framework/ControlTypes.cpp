#include "framework/ControlTypes.h"

#include <array>
#include <string>
#include <string_view>

#include "framework/DpiMath.h"

namespace {

constexpr int32_t kNone = kUseTypeDefault;

struct Row {
    std::array<std::wstring_view, 3> names;  // unused places are empty
    ControlType type;
};

// Searched top to bottom; the first row naming the upper-cased type wins.
const Row kRows[] = {
    {{L"BUTTON"}, {L"", 0x10010F00, kNone, false, false, false, ControlSetup::None}},
    {{L"CUSTOMBUTTON", L"OWNERDRAWBUTTON"}, {L"Button", 0x1001000B, kNone, false, false, false, ControlSetup::None}},
    {{L"RADIOBUTTON", L"OPTION"}, {L"Button", 0x10010D09, kNone, false, false, false, ControlSetup::None}},
    {{L"CHECKBOX"}, {L"Button", 0x10010D03, kNone, false, false, false, ControlSetup::None}},
    {{L"CHECK3STATE"}, {L"Button", 0x10010D06, kNone, false, false, false, ControlSetup::None}},
    {{L"LABEL"}, {L"Static", 0x10020100, kNone, false, false, false, ControlSetup::None}},
    {{L"BITMAPLABEL"}, {L"Static", 0x1002000E, 0x20, true, false, false, ControlSetup::BitmapLabel}},
    {{L"ICONLABEL"}, {L"Static", 0x10020003, 0x20, true, false, false, ControlSetup::IconLabel}},
    {{L"BITMAPBUTTON"}, {L"Button", 0x10010080, kNone, false, false, false, ControlSetup::BitmapButton}},
    {{L"ICONBUTTON"}, {L"Button", 0x10010040, kNone, false, false, false, ControlSetup::IconButton}},
    {{L"CUSTOMLABEL"}, {L"Static", 0x1002000D, kNone, true, false, false, ControlSetup::None}},
    {{L"FRAME", L"FRAMEWINDOW"}, {L"Static", 0x14020007, 0x20, true, false, false, ControlSetup::None}},
    {{L"GROUPBOX"}, {L"Button", 0x14020007, 0x20, false, false, false, ControlSetup::None}},
    {{L"LINE"}, {L"Static", 0x10000012, 0x20, true, false, false, ControlSetup::None}},
    {{L"EDIT", L"TEXTBOX"}, {L"Edit", 0x10010080, 0x200, false, false, false, ControlSetup::None}},
    {{L"EDITMULTILINE", L"MULTILINETEXTBOX"}, {L"Edit", 0x10211184, 0x200, false, false, false, ControlSetup::None}},
    {{L"COMBOBOX"}, {L"", 0x50A10302, 0x200, false, false, false, ControlSetup::None}},
    {{L"COMBOBOXEX", L"COMBOBOXEX32"}, {L"ComboBoxEx32", 0x10810003, kNone, false, false, false, ControlSetup::None}},
    {{L"LISTBOX"}, {L"", 0x10B10043, 0x200, false, false, false, ControlSetup::ListBox}},
    {{L"PROGRESSBAR", L"MSCTLS_PROGRESS32"},
     {L"msctls_progress32", 0x10000000, kNone, true, false, false, ControlSetup::ProgressBar}},
    {{L"HEADER", L"SYSHEADER32"}, {L"SysHeader32", 0x10000003, kNone, false, false, false, ControlSetup::None}},
    {{L"TREEVIEW", L"SYSTREEVIEW32"}, {L"SysTreeView32", 0x10810027, 0x200, false, false, false, ControlSetup::None}},
    {{L"LISTVIEW", L"SYSLISTVIEW32"}, {L"SysListView32", 0x12010349, 0x200, false, false, false, ControlSetup::None}},
    {{L"TOOLBAR", L"TOOLBARWINDOW32"},
     {L"ToolbarWindow32", 0x16800901, kNone, false, false, false, ControlSetup::Toolbar}},
    {{L"REBAR", L"REBARWINDOW32"}, {L"ReBarWindow32", 0x16800640, kNone, false, false, false, ControlSetup::None}},
    {{L"DATETIMEPICKER", L"SYSDATETIMEPICK32"},
     {L"SysDateTimePick32", 0x10010000, kNone, false, false, false, ControlSetup::DateTimePicker}},
    {{L"MONTHCALENDAR", L"MONTHCAL", L"SYSMONTHCAL32"},
     {L"SysMonthCal32", 0x10010000, 0x200, false, false, false, ControlSetup::None}},
    {{L"IPADDRESS", L"SYSIPADDRESS32"},
     {L"SysIPAddress32", 0x10010000, 0x200, false, false, false, ControlSetup::None}},
    {{L"HOTKEY", L"MSCTLS_HOTKEY32"}, {L"msctls_hotkey32", 0x10010000, 0x200, false, false, false, ControlSetup::None}},
    {{L"ANIMATE", L"ANIMATION", L"SYSANIMATE32"},
     {L"SysAnimate32", 0x10000002, kNone, false, false, false, ControlSetup::None}},
    {{L"SYSLINK"}, {L"", 0x10010000, kNone, true, false, false, ControlSetup::None}},
    {{L"PAGER", L"SYSPAGER"}, {L"SysPager", 0x10010001, kNone, true, false, false, ControlSetup::None}},
    {{L"TAB", L"TABCONTROL", L"SYSTABCONTROL32"},
     {L"SysTabControl32", 0x16030800, 0, false, false, true, ControlSetup::None}},
    {{L"STATUSBAR", L"MSCTLS_STATUSBAR32"},
     {L"msctls_statusbar32", 0x16000103, kNone, false, false, false, ControlSetup::None}},
    {{L"SIZEBAR", L"SIZEBOX", L"SIZEGRIP"}, {L"Scrollbar", 0x10000014, kNone, true, true, false, ControlSetup::None}},
    {{L"HSCROLLBAR"}, {L"Scrollbar", 0x10010000, kNone, true, false, false, ControlSetup::ScrollBar}},
    {{L"VSCROLLBAR"}, {L"Scrollbar", 0x10010001, kNone, true, false, false, ControlSetup::ScrollBar}},
    {{L"TRACKBAR", L"MSCTLS_TRACKBAR32"},
     {L"msctls_trackbar32", 0x10010101, kNone, true, false, false, ControlSetup::TrackBar}},
    // A slider is a trackbar that keeps the platform's own range.
    {{L"SLIDER"}, {L"msctls_trackbar32", 0x10010101, kNone, true, false, false, ControlSetup::None}},
    {{L"UPDOWN", L"MSCTLS_UPDOWN32"},
     {L"msctls_updown32", 0x10000027, kNone, true, false, false, ControlSetup::UpDown}},
    {{L"RICHEDIT", L"RICHEDIT50W"}, {L"RichEdit50W", 0x103191C4, 0x200, false, false, false, ControlSetup::None}},
};

// Any other name is taken as a registered class name.
const ControlType kAnyOtherType{L"", 0, 0, false, false, false, ControlSetup::None};

constexpr size_t kMaxClassName = 259;

}  // namespace

const ControlType& FindControlType(std::wstring_view upperTypeName) noexcept {
    if (upperTypeName.empty()) return kAnyOtherType;
    for (const Row& row : kRows) {
        for (std::wstring_view name : row.names) {
            if (name == upperTypeName) return row.type;
        }
    }
    return kAnyOtherType;
}

std::wstring ControlClassName(const ControlType& type, std::wstring_view typeText) {
    const std::wstring_view name = type.className.empty() ? typeText : type.className;
    return std::wstring(name.substr(0, kMaxClassName));
}

ControlStyles ResolveControlStyles(const ControlType& type, std::wstring_view upperTypeName, int32_t style,
                                   int32_t exStyle) noexcept {
    if (style == kUseTypeDefault) style = type.defaultStyle;
    const uint32_t s = static_cast<uint32_t>(style);
    if (upperTypeName == L"BUTTON") {
        if (s == 0x8000u) style = 0x10018F00;
        if (s == 1u) style = 0x10010F01;
        if (s == 11u) style = 0x1001000B;
    } else if (upperTypeName == L"RADIOBUTTON" || upperTypeName == L"OPTION") {
        if (s == 0x20000u) style = 0x10030D09;
    }
    if (exStyle == kUseTypeDefault) exStyle = type.defaultExStyle;
    if (style == kUseTypeDefault) style = 0;
    if (exStyle == kUseTypeDefault) exStyle = 0;
    ControlStyles out{static_cast<uint32_t>(style) | kChildStyle, static_cast<uint32_t>(exStyle)};
    if (type.addsControlParent) out.exStyle |= kControlParentExStyle;
    return out;
}

ImageResourceName ImageNameFromCaption(std::wstring_view caption) {
    ImageResourceName image;
    if (caption.empty() || caption.front() != L'#') {
        image.name = std::wstring(caption);
        return image;
    }
    // The digits after "#", read as far as they go; the id is their value modulo 2^16.
    uint32_t value = 0;
    for (wchar_t c : caption.substr(1)) {
        if (c < L'0' || c > L'9') break;
        value = value * 10u + static_cast<uint32_t>(c - L'0');
    }
    image.byId = true;
    image.id = static_cast<uint16_t>(value);
    return image;
}

GripRect SizeGripRect(int32_t clientRightPixels, int32_t clientBottomPixels, float ratioX, float ratioY,
                      int32_t scrollBarWidth, int32_t scrollBarHeight) noexcept {
    const int32_t right = UnscalePixels(clientRightPixels, ratioX);
    const int32_t bottom = UnscalePixels(clientBottomPixels, ratioY);
    return {right - scrollBarWidth, bottom - scrollBarHeight, scrollBarWidth, scrollBarHeight};
}
