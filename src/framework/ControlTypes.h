#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The table behind creating a control by type name ("TEXTBOX", "BUTTON", "LISTVIEW", ...): which window class a
// type name stands for, its default styles, whether it takes the form's font and what it needs after creation.

enum class ControlSetup : uint8_t {
    None,
    ListBox,         // moved to the scaled rectangle again, so it keeps the requested height
    DateTimePicker,  // calendar font
    ProgressBar,     // range 0..100, position 0
    TrackBar,        // range 0..100, page size 10
    UpDown,          // base 10, range 0..100, position 0, moved to the scaled rectangle again
    ScrollBar,       // range 0..100, page 0, position 0
    Toolbar,         // button size scaled
    BitmapLabel,     // images from the caption
    IconLabel,
    BitmapButton,
    IconButton,
};

inline constexpr int32_t kUseTypeDefault = -1;        // a style or extended style of -1 asks for the type's default
inline constexpr uint32_t kChildStyle = 0x40000000u;  // WS_CHILD
inline constexpr uint32_t kControlParentExStyle = 0x00010000u;  // WS_EX_CONTROLPARENT

struct ControlType {
    std::wstring_view className;  // empty: the caller's type text is the class name
    int32_t defaultStyle;
    int32_t defaultExStyle;  // kUseTypeDefault: none, the caller's -1 stays and becomes 0
    bool noFont;
    bool sizeGrip;           // rectangle replaced by the size grip's place in the form's corner
    bool addsControlParent;  // WS_EX_CONTROLPARENT always added (tab controls)
    ControlSetup setup;
};

// The row of an upper-cased type name; a name that matches no row gets the row that uses the name as a class name.
const ControlType& FindControlType(std::wstring_view upperTypeName) noexcept;

// The class name to create: the row's class, or the type text itself (at most 259 characters).
std::wstring ControlClassName(const ControlType& type, std::wstring_view typeText);

struct ControlStyles {
    uint32_t style;
    uint32_t exStyle;
};
// Defaults for -1, the special short styles of buttons and option buttons, a remaining -1 made 0, WS_CHILD added.
ControlStyles ResolveControlStyles(const ControlType& type, std::wstring_view upperTypeName, int32_t style,
                                   int32_t exStyle) noexcept;

// An image named by a caption: "#" and a decimal number is a 16-bit resource id, anything else a resource name.
struct ImageResourceName {
    bool byId = false;
    uint16_t id = 0;
    std::wstring name;
};
ImageResourceName ImageNameFromCaption(std::wstring_view caption);

// The size grip's design rectangle: in the bottom right corner of the client area (client size in pixels turned into
// design units with the form's ratios), as wide and high as the scroll bar metrics.
struct GripRect {
    int32_t x, y, width, height;
};
GripRect SizeGripRect(int32_t clientRightPixels, int32_t clientBottomPixels, float ratioX, float ratioY,
                      int32_t scrollBarWidth, int32_t scrollBarHeight) noexcept;
