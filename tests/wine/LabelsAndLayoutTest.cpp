// What the user sees of a form's own work: windowless labels read back as pixels, and the layout on resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "framework/AppGdiplus.h"
#include "framework/ControlObject.h"
#include "framework/Labels.h"
#include "framework/LabelsStyle.h"
#include "framework/Layout.h"
#include "framework/Win32.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace {

constexpr COLORREF kFormBack = RGB(200, 230, 255);
constexpr uint32_t kFormPixel = PixelFromColorRef(kFormBack);
constexpr uint32_t kShown = kLabelEnabled | kLabelVisible;

// A visible label of the form, black text or default colours as given.
void AddLabel(HWND form, int32_t id, const wchar_t* caption, const RECT& r, uint32_t flags = kShown) {
    AddWindowlessLabel(form, "Label", id, caption, r.left, r.top, r.right - r.left, r.bottom - r.top);
    SetLabelFlags(id, form, flags);
    SetLabelFont(id, form, "DejaVu Sans,16");
}

}  // namespace

TEST(PaintedLabels, ColoursBordersAlignmentAndPrefixAsSetAndHiddenOrClearLabelsShowNothing) {
    const GdiplusSession gdiplus;
    const TestForm form(400, 200);
    const HWND window = form.Window();
    form.Record()->backColor = kFormBack;
    const RECT filled{10, 10, 90, 60}, text{100, 10, 250, 60}, framed{260, 10, 340, 60}, hidden{10, 100, 90, 150},
        corner{100, 100, 200, 190}, literal{210, 100, 300, 150}, prefixed{310, 100, 400, 150};
    AddLabel(window, 1, L"", filled);
    SetLabelBackColorRgb(1, window, RGB(255, 0, 0));
    SetLabelTextColorRgb(1, window, RGB(0, 0, 255));
    AddLabel(window, 2, L"Hello", text);  // default colours: black text over the form, whatever was drawn before
    AddLabel(window, 3, L"", framed);
    SetLabelBackColor(3, window, RGB(0, 255, 0));  // a plain code without alpha is transparent
    SetLabelTextColorRgb(3, window, RGB(255, 0, 0));
    SetLabelBorderStyle(3, window, 1);
    AddLabel(window, 4, L"Hidden", hidden, kLabelEnabled);
    SetLabelBackColorRgb(4, window, RGB(0, 128, 0));
    AddLabel(window, 5, L"Wy", corner);
    SetLabelAlignment(5, window, 9);  // above 8: bottom right
    AddLabel(window, 6, L"a&b", literal);
    AddLabel(window, 7, L"a&b", prefixed, kShown | kLabelPrefix);

    const ClientPixels p = CaptureClient(window);
    EXPECT_EQ(p.At(50, 35), 0xFF0000u) << "opaque red fill";
    const RECT hello = p.InkBounds(text, kFormPixel);
    EXPECT_LE(hello.left, text.left + 4);
    EXPECT_LE(hello.top, text.top + 8);
    EXPECT_LT(hello.right, text.left + 100) << "no fill behind the text";
    EXPECT_LT(hello.bottom, text.bottom - 10);
    EXPECT_GT((text.right - text.left) * (text.bottom - text.top) - p.CountDiffering(text, 0), 20) << "black text";
    EXPECT_EQ(p.CountDiffering({framed.left + 2, framed.top + 2, framed.right - 2, framed.bottom - 2}, kFormPixel), 0);
    const uint32_t edge = std::max(p.At(300, framed.top - 1), p.At(300, framed.top));  // the pen straddles two rows
    EXPECT_GT((edge >> 16) & 0xFF, ((edge >> 8) & 0xFF) + 50)
        << "a thin border in the text colour: " << std::hex << edge;
    EXPECT_EQ(p.CountDiffering(hidden, kFormPixel), 0);
    EXPECT_EQ(p.CountDiffering({0, 70, 400, 90}, kFormPixel), 0) << "nothing outside the labels";
    const RECT wy = p.InkBounds(corner, kFormPixel);
    EXPECT_GE(wy.right, corner.right - 4);
    EXPECT_GE(wy.bottom, corner.bottom - 8) << "the descender of y nearly touches the bottom";
    // With the prefix bit the & is no glyph but marks the b with an underline below the baseline.
    const RECT plain = p.InkBounds(literal, kFormPixel), marked = p.InkBounds(prefixed, kFormPixel);
    EXPECT_LT(marked.right - marked.left, plain.right - plain.left - 10);
    EXPECT_GT(marked.bottom, plain.bottom);
}

TEST(PaintedLabelsDpi144, ALabelCoversItsScaledPixelRectangle) {
    const GdiplusSession gdiplus;
    const TestForm form(240, 140);
    form.Record()->backColor = kFormBack;
    // Full blocks in a font far taller than the label: the text is clipped to exactly the label's pixels.
    ASSERT_NE(AddWindowlessLabel(form.Window(), "Label1", 1, L"████████████████", 15, 24, 73, 25), nullptr);
    SetLabelFlags(1, form.Window(), WithLabelAlignment(kShown, 3));
    SetLabelTextColorRgb(1, form.Window(), RGB(0, 0, 0));
    SetLabelFont(1, form.Window(), "DejaVu Sans Mono,40");
    const ClientPixels p = CaptureClient(form.Window());
    const RECT ink = p.InkBounds({0, 0, p.width, p.height}, kFormPixel);
    EXPECT_EQ((std::array{ink.left, ink.top, ink.right, ink.bottom}), (std::array<LONG, 4>{22, 36, 132, 74}));
}

namespace {

// A button anchored in `mode` as designed in a client area of 400 x 300.
ControlObject* AnchoredButton(const TestForm& form, int32_t id, const DesignRect& design, int32_t mode) {
    ControlObject* record =
        HandleTableFind(form.Add(L"BUTTON", id, design.left, design.top, design.width, design.height));
    const AnchorSpec anchor = AnchorAt(mode, design, 400, 300);
    record->anchor = anchor.mode;
    record->rightMargin = anchor.right;
    record->bottomMargin = anchor.bottom;
    record->horizontalOffset = anchor.offsetX;
    record->verticalOffset = anchor.offsetY;
    return record;
}

// Left, top, width and height in the form's client area, in pixels.
std::array<LONG, 4> PlaceOf(const TestForm& form, int32_t id) {
    RECT r{};
    GetWindowRect(GetDlgItem(form.Window(), id), &r);
    MapWindowPoints(nullptr, form.Window(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void ResizeClient(const TestForm& form, int32_t width, int32_t height) {
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(form.Window(), GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(form.Window(), GWL_EXSTYLE)));
    SetWindowPos(form.Window(), nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
}

}  // namespace

TEST(Layout, AnchoredControlsFollowTheClientAreaFromTheFirstShowButNotWhenMinimised) {
    const TestForm form(400, 300, WS_THICKFRAME);
    AnchoredButton(form, 201, {300, 250, 80, 30}, 9);
    AnchoredButton(form, 202, {10, 10, 50, 20}, kAnchorNone);
    ControlObject* centred = AnchoredButton(form, 203, {100, 100, 80, 30}, 13);
    centred->horizontalOffset = -40;  // as if designed for another size: the first layout moves it
    ControlObject* label = AddWindowlessLabel(form.Window(), "Label1", 104, L"", 10, 100, 100, 20);
    label->anchor = 1;
    label->rightMargin = 290;

    PostFormShown(form.Window(), 0);
    EXPECT_TRUE(PumpUntil([&] { return PlaceOf(form, 203)[0] == 160; }));
    ResizeClient(form, 500, 350);
    EXPECT_EQ(PlaceOf(form, 201), (std::array<LONG, 4>{400, 300, 80, 30}));
    EXPECT_EQ(PlaceOf(form, 202), (std::array<LONG, 4>{10, 10, 50, 20}));
    EXPECT_EQ(PlaceOf(form, 203), (std::array<LONG, 4>{210, 125, 80, 30}));
    EXPECT_EQ(label->width, 200) << "a windowless label has its rectangle stored for the next paint";

    ShowWindow(form.Window(), SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(form.Window()));
    EXPECT_EQ(PlaceOf(form, 201)[0], 400);
    EXPECT_EQ(label->width, 200);
    ShowWindow(form.Window(), SW_RESTORE);
    ResizeClient(form, 250, 350);
    EXPECT_EQ(label->width, 0) << "narrower than the margins allow: width 0, never negative";
    EXPECT_EQ(PlaceOf(form, 201)[0], 150);
}

TEST(LayoutDpi144, ClientPixelsAreMeasuredInDesignUnits) {
    const TestForm form(600, 300, WS_THICKFRAME);
    ControlObject* wide = AnchoredButton(form, 201, {100, 20, 200, 20}, 1);
    wide->rightMargin = 300;
    // 1200 pixels are 800 design units: the control stretches to 800 - 100 - 300 = 400 units, 600 pixels.
    ResizeClient(form, 1200, 300);
    EXPECT_EQ(wide->width, 400);
    EXPECT_EQ(PlaceOf(form, 201), (std::array<LONG, 4>{150, 30, 600, 20}));
}
