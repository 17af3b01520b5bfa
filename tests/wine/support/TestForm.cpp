#include "support/TestForm.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <tuple>

#include "framework/ControlObject.h"
#include "framework/Controls.h"
#include "support/Pump.h"

namespace {

// Calls visit(x, y) for each pixel of the area that differs from the colour by more than 40 in a channel.
template <typename Visit>
void EachDiffering(const ClientPixels& p, const RECT& area, uint32_t rgb, Visit&& visit) {
    for (int32_t y = std::max<LONG>(area.top, 0); y < std::min<LONG>(area.bottom, p.height); ++y) {
        for (int32_t x = std::max<LONG>(area.left, 0); x < std::min<LONG>(area.right, p.width); ++x) {
            for (int shift : {0, 8, 16}) {
                if (std::abs(static_cast<int>(p.At(x, y) >> shift & 0xFF) - static_cast<int>(rgb >> shift & 0xFF)) >
                    40) {
                    visit(x, y);
                    break;
                }
            }
        }
    }
}

}  // namespace

TestForm::TestForm(int32_t width, int32_t height, WNDPROC procedure) {
    // A class keeps the procedure it was registered with: one class per procedure.
    auto form = std::make_unique<FormWindow>(L"FwTestForm" + std::to_wstring(reinterpret_cast<uintptr_t>(procedure)));
    form->ratioX = form->ratioY = 1.0f;
    window_ = CreateFormWindow(*form, nullptr, L"Test form", procedure, 0, 0, width, height, WS_POPUP | WS_CLIPCHILDREN,
                               WS_EX_TOOLWINDOW);
    if (window_ == nullptr) return;
    form.release();  // the window's WM_DESTROY deletes it from now on
    record_ = NewControlObject();
    AttachFormRecord(window_, record_);
    ShowWindow(window_, SW_SHOWNOACTIVATE);
    PumpPending();
}

TestForm::~TestForm() {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpPending();
}

HWND TestForm::Add(std::wstring_view type, int32_t id, int32_t x, int32_t y, int32_t width, int32_t height,
                   int32_t style) const {
    const HWND control = AddControl(*Frame(), type, nullptr, id, L"", x, y, width, height, style, -1, nullptr,
                                    ClassicSubclass(PlainControlProcedure));
    if (control == nullptr) return nullptr;
    ControlObject* record = NewControlObject();
    std::tie(record->left, record->top, record->width, record->height) = std::tie(x, y, width, height);
    AttachControlRecord(control, record);
    return control;
}

int ClientPixels::CountDiffering(const RECT& area, uint32_t rgb) const {
    int n = 0;
    EachDiffering(*this, area, rgb, [&](int32_t, int32_t) { ++n; });
    return n;
}

RECT ClientPixels::InkBounds(const RECT& area, uint32_t background) const {
    RECT ink{area.right, area.bottom, area.left, area.top};
    EachDiffering(*this, area, background, [&](int32_t x, int32_t y) {
        ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
               std::max<LONG>(ink.bottom, y + 1)};
    });
    return ink.right > ink.left ? ink : RECT{};
}

ClientPixels CaptureClient(HWND window) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT client{};
    GetClientRect(window, &client);
    ClientPixels capture{client.right, client.bottom, std::vector<uint32_t>(client.right * client.bottom)};
    const HDC windowDc = GetDC(window);
    const HDC memory = CreateCompatibleDC(windowDc);
    const HBITMAP bitmap = CreateCompatibleBitmap(windowDc, capture.width, capture.height);
    const HGDIOBJ original = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, windowDc, 0, 0, SRCCOPY);
    SelectObject(memory, original);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), capture.width, -capture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    GetDIBits(memory, bitmap, 0, capture.height, capture.pixels.data(), &info, DIB_RGB_COLORS);  // top-down rows
    for (uint32_t& p : capture.pixels) p &= 0xFFFFFF;
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, windowDc);
    return capture;
}
