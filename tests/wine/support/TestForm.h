#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

// A form built the way the tool builds its own (FormWindow, record, form procedure), shown without activation at the
// top left of the screen. Without a frame its client area is the given pixels; with ratios 1 design units are pixels.
// The window owns the FormWindow and every record; the destructor destroys the window, which frees them.
class TestForm {
  public:
    TestForm(int32_t width, int32_t height, WNDPROC procedure = PlainFormProcedure);
    ~TestForm();
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    HWND Window() const { return window_; }
    ControlObject* Record() const { return record_; }
    FormWindow* Frame() const { return FormWindowFromHandle(window_); }
    // A control made by type name, with its record, subclassed with the generic control procedure.
    HWND Add(std::wstring_view type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
             int32_t style = -1) const;

  private:
    HWND window_ = nullptr;
    ControlObject* record_ = nullptr;
};

// The client area's pixels as 0x00RRGGBB, read back after a forced, synchronous repaint with its background. A pixel
// counts as differing from a colour when one of its channels is more than 40 away.
struct ClientPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    int CountDiffering(const RECT& area, uint32_t rgb) const;
    // The smallest rectangle holding every pixel of the area that differs from the background; empty when none does.
    RECT InkBounds(const RECT& area, uint32_t background) const;
};
ClientPixels CaptureClient(HWND window);

// A window's class; a font's description; a control's font, and its left, top, width and height in its parent.
inline std::wstring ClassOf(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}
inline LOGFONTW Describe(HFONT font) {
    LOGFONTW description{};
    GetObjectW(font, sizeof(description), &description);
    return description;
}
inline LOGFONTW FontOf(HWND control) {
    return Describe(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
}
inline std::array<LONG, 4> ChildBox(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// 0x00BBGGRR (GDI) -> 0x00RRGGBB (captured pixels).
constexpr uint32_t PixelFromColorRef(uint32_t colorRef) {
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}
