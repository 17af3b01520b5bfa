#include "support/TestForm.h"

#include <cstdlib>
#include <cstring>

#include "framework/ControlObject.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"
#include "support/Pump.h"

TestForm::TestForm(int32_t clientWidth, int32_t clientHeight, bool sizable) {
    const DWORD style = WS_POPUP | WS_CLIPCHILDREN | (sizable ? WS_THICKFRAME : 0);
    RECT outer{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    auto* form = new FormWindow(L"ShellTestForm");
    // The form's ratios would scale the size; the test wants exact pixels, so it is given in pixels at ratio 1.
    form->ratioX = form->ratioY = 1.0f;
    window_ = CreateFormWindow(*form, nullptr, L"Test form", PlainFormProcedure, 0, 0, outer.right - outer.left,
                               outer.bottom - outer.top, style, WS_EX_TOOLWINDOW);
    if (window_ == nullptr) {
        delete form;
        return;
    }
    record_ = NewControlObject();
    record_->name = "Form1";
    AttachFormRecord(window_, record_);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    UpdateWindow(window_);
    PumpPending();
}

TestForm::~TestForm() {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpPending();
}

bool ClientPixels::Differs(int32_t x, int32_t y, uint32_t rgb, int tolerance) const {
    const uint32_t p = At(x, y);
    for (int shift : {0, 8, 16}) {
        if (std::abs(static_cast<int>(p >> shift & 0xFF) - static_cast<int>(rgb >> shift & 0xFF)) > tolerance) {
            return true;
        }
    }
    return false;
}

RECT ClientPixels::InkBounds(const RECT& search, uint32_t background) const {
    RECT ink{search.right, search.bottom, search.left, search.top};
    for (int32_t y = search.top; y < search.bottom && y < height; ++y) {
        for (int32_t x = search.left; x < search.right && x < width; ++x) {
            if (!Differs(x, y, background)) continue;
            if (x < ink.left) ink.left = x;
            if (y < ink.top) ink.top = y;
            if (x + 1 > ink.right) ink.right = x + 1;
            if (y + 1 > ink.bottom) ink.bottom = y + 1;
        }
    }
    if (ink.right <= ink.left) return RECT{0, 0, 0, 0};
    return ink;
}

int ClientPixels::CountDiffering(const RECT& area, uint32_t rgb) const {
    int n = 0;
    for (int32_t y = area.top; y < area.bottom && y < height; ++y) {
        for (int32_t x = area.left; x < area.right && x < width; ++x) n += Differs(x, y, rgb);
    }
    return n;
}

ClientPixels CaptureClient(HWND window) {
    ClientPixels capture;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    capture.width = client.right;
    capture.height = client.bottom;
    if (capture.width <= 0 || capture.height <= 0) return capture;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    const HDC windowDc = GetDC(window);
    const HDC memory = CreateCompatibleDC(windowDc);
    const HBITMAP section = CreateDIBSection(windowDc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory != nullptr && section != nullptr && bits != nullptr) {
        const HGDIOBJ old = SelectObject(memory, section);
        BitBlt(memory, 0, 0, capture.width, capture.height, windowDc, 0, 0, SRCCOPY);
        GdiFlush();
        capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);
        std::memcpy(capture.pixels.data(), bits, capture.pixels.size() * sizeof(uint32_t));
        for (uint32_t& p : capture.pixels) p &= 0xFFFFFF;
        SelectObject(memory, old);
    }
    if (section != nullptr) DeleteObject(section);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return capture;
}
