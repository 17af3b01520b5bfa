#include "framework/Labels.h"

#include "framework/ControlObject.h"
#include "framework/LabelsStyle.h"
#include "framework/Win32.h"

namespace {

// Changes the label with that id and repaints its form; false when there is no such label.
template <typename Change>
bool ChangeLabel(int32_t id, HWND form, Change&& change) noexcept {
    ControlObject* label = FindLabel(id, form);
    if (label == nullptr) return false;
    change(*label);
    InvalidateRect(form, nullptr, TRUE);
    UpdateWindow(form);
    return true;
}

bool SetFlag(int32_t id, HWND form, uint32_t bit, bool on) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.styleFlags = WithLabelFlag(l.styleFlags, bit, on); });
}

bool GetFlag(int32_t id, HWND form, uint32_t bit) noexcept {
    return HasLabelFlag(GetLabelFlags(id, form), bit);
}

COLORREF SystemColor(int index) noexcept {
    return GetSysColor(index);
}

COLORREF ColorAsRgb(const ControlObject* label, ColorValue ControlObject::*field, int fallbackIndex) noexcept {
    if (label == nullptr) return 0;
    const int32_t color = ResolveColor(label->*field, kNoColor);
    return color == kNoColor ? SystemColor(fallbackIndex) : static_cast<COLORREF>(color);
}

uint32_t ColorAsArgb(const ControlObject* label, ColorValue ControlObject::*field, int fallbackIndex) noexcept {
    if (label == nullptr) return 0;
    const uint32_t argb = ToArgb(label->*field, 0);
    return argb == 0 ? ToArgb(SystemColorValue(fallbackIndex), 0) : argb;
}

}  // namespace

ControlObject* AddWindowlessLabel(HWND form, std::string_view name, int32_t id, const WString& caption, int32_t left,
                                  int32_t top, int32_t width, int32_t height) noexcept {
    ControlObject* formRecord = FindControlObject(form);
    if (formRecord == nullptr) return nullptr;
    ControlObject* label = NewControlObject();
    label->parent = form;
    label->name = RtString(name);
    label->index = -1;
    label->id = id;
    label->caption = caption;
    label->left = left;
    label->top = top;
    label->width = width;
    label->height = height;
    ChainWindowlessRecord(formRecord, label);
    return label;
}

ControlObject* FindLabel(int32_t id, HWND form) noexcept {
    ControlObject* formRecord = FindControlObject(form);
    if (formRecord == nullptr) return nullptr;
    for (ControlObject* label = formRecord->next; label != nullptr; label = label->next) {
        if (label->id == id) return label;
    }
    return nullptr;
}

bool SetLabelCaption(int32_t id, HWND form, const WString& caption) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.caption = caption; });
}

bool SetLabelFlags(int32_t id, HWND form, uint32_t flags) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.styleFlags = NormalisedLabelFlags(flags); });
}

uint32_t GetLabelFlags(int32_t id, HWND form) noexcept {
    const ControlObject* label = FindLabel(id, form);
    return label == nullptr ? 0 : label->styleFlags;
}

uint32_t GetLabelAlignment(int32_t id, HWND form) noexcept {
    return LabelAlignment(GetLabelFlags(id, form));
}

bool SetLabelAlignment(int32_t id, HWND form, uint32_t alignment) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.styleFlags = WithLabelAlignment(l.styleFlags, alignment); });
}

uint32_t GetLabelBorderStyle(int32_t id, HWND form) noexcept {
    return LabelBorder(GetLabelFlags(id, form));
}

bool SetLabelBorderStyle(int32_t id, HWND form, uint32_t border) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.styleFlags = WithLabelBorder(l.styleFlags, border); });
}

bool GetLabelEnabled(int32_t id, HWND form) noexcept {
    return GetFlag(id, form, kLabelEnabled);
}
bool SetLabelEnabled(int32_t id, HWND form, bool enabled) noexcept {
    return SetFlag(id, form, kLabelEnabled, enabled);
}
bool GetLabelVisible(int32_t id, HWND form) noexcept {
    return GetFlag(id, form, kLabelVisible);
}
bool SetLabelVisible(int32_t id, HWND form, bool visible) noexcept {
    return SetFlag(id, form, kLabelVisible, visible);
}
bool GetLabelPrefix(int32_t id, HWND form) noexcept {
    return GetFlag(id, form, kLabelPrefix);
}
bool SetLabelPrefix(int32_t id, HWND form, bool prefix) noexcept {
    return SetFlag(id, form, kLabelPrefix, prefix);
}
bool GetLabelEllipsis(int32_t id, HWND form) noexcept {
    return GetFlag(id, form, kLabelEllipsis);
}
bool SetLabelEllipsis(int32_t id, HWND form, bool ellipsis) noexcept {
    return SetFlag(id, form, kLabelEllipsis, ellipsis);
}

bool SetLabelTextColor(int32_t id, HWND form, ColorValue color) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.textColor = color; });
}
bool SetLabelBackColor(int32_t id, HWND form, ColorValue color) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.backColor = color; });
}
bool SetLabelTextColorRgb(int32_t id, HWND form, COLORREF rgb) noexcept {
    return SetLabelTextColor(id, form, ColorValueFromRgb(rgb));
}
bool SetLabelBackColorRgb(int32_t id, HWND form, COLORREF rgb) noexcept {
    return SetLabelBackColor(id, form, ColorValueFromRgb(rgb));
}
bool SetLabelTextColorArgb(int32_t id, HWND form, uint32_t argb) noexcept {
    return SetLabelTextColor(id, form, ColorValueFromArgb(argb));
}
bool SetLabelBackColorArgb(int32_t id, HWND form, uint32_t argb) noexcept {
    return SetLabelBackColor(id, form, ColorValueFromArgb(argb));
}

COLORREF GetLabelTextColorRgb(int32_t id, HWND form) noexcept {
    return ColorAsRgb(FindLabel(id, form), &ControlObject::textColor, COLOR_BTNTEXT);
}
COLORREF GetLabelBackColorRgb(int32_t id, HWND form) noexcept {
    return ColorAsRgb(FindLabel(id, form), &ControlObject::backColor, COLOR_BTNFACE);
}
uint32_t GetLabelTextColorArgb(int32_t id, HWND form) noexcept {
    return ColorAsArgb(FindLabel(id, form), &ControlObject::textColor, COLOR_BTNTEXT);
}
uint32_t GetLabelBackColorArgb(int32_t id, HWND form) noexcept {
    return ColorAsArgb(FindLabel(id, form), &ControlObject::backColor, COLOR_BTNFACE);
}

bool SetLabelFont(int32_t id, HWND form, std::string_view descriptor) noexcept {
    return ChangeLabel(id, form, [&](ControlObject& l) { l.fontDescriptor = RtString(descriptor); });
}

RtString GetLabelFont(int32_t id, HWND form) noexcept {
    const ControlObject* label = FindLabel(id, form);
    return label == nullptr ? RtString() : label->fontDescriptor;
}

uint32_t ToArgb(ColorValue value, uint32_t defaultArgb) noexcept {
    return ToArgb(value, defaultArgb, SystemColor);
}
