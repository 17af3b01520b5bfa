#pragma once
// A form built the way the tool builds its own (FormWindow, record, form procedure), shown without activation at the
// top left of the screen, and what a window shows read back as pixels.
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "framework/ControlObject.h"
#include "framework/Controls.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "support/Pump.h"

// Without a frame its client area is the given pixels; with ratios 1 design units are pixels. The window owns the
// FormWindow and every record; the destructor destroys the window, which frees them.
class TestForm {
  public:
    TestForm(int32_t width, int32_t height, WNDPROC procedure = PlainFormProcedure, HWND parent = nullptr) {
        // A class keeps the procedure it was registered with: one class per procedure.
        auto form =
            std::make_unique<FormWindow>(L"FwTestForm" + std::to_wstring(reinterpret_cast<uintptr_t>(procedure)));
        form->ratioX = form->ratioY = 1.0f;
        window_ = CreateFormWindow(*form, parent, L"Test form", procedure, 0, 0, width, height,
                                   parent ? WS_CHILD : WS_POPUP | WS_CLIPCHILDREN, WS_EX_TOOLWINDOW);
        if (window_ == nullptr) return;  // the FormWindow goes, and with it the class when no window of it is left
        form.release();  // the window's WM_DESTROY deletes it from now on
        AttachFormRecord(window_, record_ = NewControlObject());
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        PumpPending();
    }
    ~TestForm() {
        if (IsWindow(window_)) DestroyWindow(window_);
        PumpPending();
    }
    TestForm(const TestForm&) = delete;
    TestForm& operator=(const TestForm&) = delete;

    HWND Window() const { return window_; }
    ControlObject* Record() const { return record_; }
    FormWindow* Frame() const { return FormWindowFromHandle(window_); }
    // A control made by type name, with its record, subclassed with the generic control procedure.
    HWND Add(std::wstring_view type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
             int32_t style = -1) const {
        const HWND control = AddControl(*Frame(), type, nullptr, id, L"", x, y, width, height, style, -1, nullptr,
                                        ClassicSubclass(PlainControlProcedure));
        if (control == nullptr) return nullptr;
        ControlObject* record = NewControlObject();
        std::tie(record->left, record->top, record->width, record->height) = std::tie(x, y, width, height);
        AttachControlRecord(control, record);
        return control;
    }

  private:
    HWND window_ = nullptr;
    ControlObject* record_ = nullptr;
};

// The client area's pixels as GDI colours (0x00BBGGRR), read back after a forced, synchronous repaint.
struct ClientPixels {
    int32_t width = 0, height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int32_t x, int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // The pixels of the area that differ from a colour (a channel more than 40 away): how many, and the smallest
    // rectangle holding them (inside out when none does).
    struct Ink {
        int count = 0;
        RECT box{};
    };
    Ink InkOf(const RECT& area, COLORREF colour) const {
        Ink ink{0, {area.right, area.bottom, area.left, area.top}};
        for (LONG y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, height); ++y) {
            for (LONG x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, width); ++x) {
                const COLORREF c = At(x, y);
                if (std::max({std::abs(GetRValue(c) - GetRValue(colour)), std::abs(GetGValue(c) - GetGValue(colour)),
                              std::abs(GetBValue(c) - GetBValue(colour))}) <= 40)
                    continue;
                ++ink.count;
                ink.box = {std::min(ink.box.left, x), std::min(ink.box.top, y), std::max(ink.box.right, x + 1),
                           std::max(ink.box.bottom, y + 1)};
            }
        }
        return ink;
    }
};
inline ClientPixels CaptureClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    ClientPixels p{client.right, client.bottom, std::vector<COLORREF>(client.right * client.bottom)};
    const HDC dc = GetDC(window), memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap = CreateCompatibleBitmap(dc, p.width, p.height);
    SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, p.width, p.height, dc, 0, 0, SRCCOPY);
    DeleteDC(memory);  // which lets the bitmap go
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), p.width, -p.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    GetDIBits(dc, bitmap, 0, p.height, p.pixels.data(), &info, DIB_RGB_COLORS);  // top-down rows of 0x00RRGGBB
    ReleaseDC(window, dc);
    DeleteObject(bitmap);
    for (COLORREF& c : p.pixels) c = RGB(c >> 16 & 0xFF, c >> 8 & 0xFF, c & 0xFF);
    return p;
}

// A font's face, height, weight, italic, underline, strike-out and quality; a control's font.
using FontShown = std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE>;
inline FontShown Shown(HFONT font) {
    LOGFONTW f{};
    GetObjectW(font, sizeof f, &f);
    return {f.lfFaceName, f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfQuality};
}
inline HFONT FontOf(HWND control) {
    return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
}
// A control's left, top, width and height in its parent.
inline std::array<LONG, 4> ChildBox(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
