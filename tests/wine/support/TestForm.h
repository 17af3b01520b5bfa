#pragma once
#include <cstdint>
#include <vector>

#include "framework/AppGdiplus.h"
#include "framework/Win32.h"

struct ControlObject;

// A form built the way the tool builds its own (FormWindow, record, generic form procedure), shown without
// activation at the top left corner of the screen. The window owns the FormWindow and the records; the destructor
// destroys the window, which frees them.
class TestForm {
  public:
    // Client area of clientWidth x clientHeight pixels; with `sizable` the form has a sizing border.
    TestForm(int32_t clientWidth, int32_t clientHeight, bool sizable = false);
    ~TestForm();
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    HWND Window() const { return window_; }
    ControlObject* Record() const { return record_; }

  private:
    HWND window_ = nullptr;
    ControlObject* record_ = nullptr;  // owned by the window
};

// The client area's pixels as 0x00RRGGBB, read back from the window after a forced, synchronous repaint.
struct ClientPixels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;

    uint32_t At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Whether the pixel differs from the colour by more than `tolerance` in any channel.
    bool Differs(int32_t x, int32_t y, uint32_t rgb, int tolerance = 40) const;
    // The smallest rectangle holding every pixel that differs from the background colour, within the search
    // rectangle; empty (right <= left) when there is none.
    RECT InkBounds(const RECT& search, uint32_t background) const;
    // Number of pixels of the rectangle that differ from the colour.
    int CountDiffering(const RECT& area, uint32_t rgb) const;
};
ClientPixels CaptureClient(HWND window);

// 0x00BBGGRR (GDI) <-> 0x00RRGGBB (captured pixels).
constexpr uint32_t PixelFromColorRef(uint32_t colorRef) {
    return (colorRef & 0xFF) << 16 | (colorRef & 0xFF00) | (colorRef >> 16 & 0xFF);
}
