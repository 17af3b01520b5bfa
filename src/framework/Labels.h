#pragma once
#include <cstdint>
#include <string_view>

#include "framework/ColorValue.h"
#include "framework/Win32.h"
#include "services/RtString.h"
#include "services/WString.h"

struct ControlObject;

// Windowless labels: records chained behind a form's own record and drawn by the form on every paint. A label is
// known by its id and its form's window. Every operation finds the label first and does nothing (result 0 / false)
// when the form has no label with that id; every setter then repaints the form at once. Window thread only.

// Adds a label behind the last record of the form's chain: parent = the form, index -1, flags 0 (hidden until the
// flags say otherwise), colours default, rectangle in 96-dpi units relative to the client area. Null when the form
// has no record. The form frees it with its own record.
ControlObject* AddWindowlessLabel(HWND form, std::string_view name, int32_t id, const WString& caption, int32_t left,
                                  int32_t top, int32_t width, int32_t height) noexcept;
// The first record of the form's chain with that id; null when there is none.
ControlObject* FindLabel(int32_t id, HWND form) noexcept;

bool SetLabelCaption(int32_t id, HWND form, const WString& caption) noexcept;
// The whole flags word (see LabelsStyle.h); an alignment above 8 is stored as 8.
bool SetLabelFlags(int32_t id, HWND form, uint32_t flags) noexcept;
uint32_t GetLabelFlags(int32_t id, HWND form) noexcept;

uint32_t GetLabelAlignment(int32_t id, HWND form) noexcept;
bool SetLabelAlignment(int32_t id, HWND form, uint32_t alignment) noexcept;  // above 8: 8
uint32_t GetLabelBorderStyle(int32_t id, HWND form) noexcept;
bool SetLabelBorderStyle(int32_t id, HWND form, uint32_t border) noexcept;  // above 255: 255
bool GetLabelEnabled(int32_t id, HWND form) noexcept;
bool SetLabelEnabled(int32_t id, HWND form, bool enabled) noexcept;
bool GetLabelVisible(int32_t id, HWND form) noexcept;
bool SetLabelVisible(int32_t id, HWND form, bool visible) noexcept;
bool GetLabelPrefix(int32_t id, HWND form) noexcept;
bool SetLabelPrefix(int32_t id, HWND form, bool prefix) noexcept;
bool GetLabelEllipsis(int32_t id, HWND form) noexcept;
bool SetLabelEllipsis(int32_t id, HWND form, bool ellipsis) noexcept;

// Colour codes stored as given (system colours follow a change of the system's colours).
bool SetLabelTextColor(int32_t id, HWND form, ColorValue color) noexcept;
bool SetLabelBackColor(int32_t id, HWND form, ColorValue color) noexcept;
// A GDI colour (0x00BBGGRR), stored opaque.
bool SetLabelTextColorRgb(int32_t id, HWND form, COLORREF rgb) noexcept;
bool SetLabelBackColorRgb(int32_t id, HWND form, COLORREF rgb) noexcept;
// A GDI+ colour (0xAARRGGBB), alpha kept: alpha 0 is invisible.
bool SetLabelTextColorArgb(int32_t id, HWND form, uint32_t argb) noexcept;
bool SetLabelBackColorArgb(int32_t id, HWND form, uint32_t argb) noexcept;
// The colours as GDI colours; the default marker reads as the button text / button face colour.
COLORREF GetLabelTextColorRgb(int32_t id, HWND form) noexcept;
COLORREF GetLabelBackColorRgb(int32_t id, HWND form) noexcept;
// The colours as GDI+ colours; the default marker (or a transparent black) reads as the opaque button text / button
// face colour.
uint32_t GetLabelTextColorArgb(int32_t id, HWND form) noexcept;
uint32_t GetLabelBackColorArgb(int32_t id, HWND form) noexcept;

// The FontDescriptor of the text, e.g. "Microsoft YaHei,9,0".
bool SetLabelFont(int32_t id, HWND form, std::string_view descriptor) noexcept;
RtString GetLabelFont(int32_t id, HWND form) noexcept;

// A colour code as a GDI+ colour (see ToArgb), system colours read from the platform.
uint32_t ToArgb(ColorValue value, uint32_t defaultArgb) noexcept;
