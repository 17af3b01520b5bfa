// The resize layout on real windows: anchored controls follow the client area, everything else stays put.
#include "framework/Layout.h"

#include <gtest/gtest.h>

#include "framework/ControlObject.h"
#include "framework/Controls.h"
#include "framework/FormHooks.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Labels.h"
#include "framework/Win32.h"
#include "support/Pump.h"
#include "support/TestForm.h"

namespace {

// A button on the form with a record holding its design rectangle and anchor (margins taken in the client area
// the form has now).
ControlObject* AddAnchoredButton(HWND form, int32_t id, DesignRect design, int32_t mode, int32_t clientWidth,
                                 int32_t clientHeight) {
    FormWindow* window = FormWindowFromHandle(form);
    if (window == nullptr) return nullptr;
    const HWND button = AddControl(*window, L"BUTTON", nullptr, id, L"OK", design.left, design.top, design.width,
                                   design.height, -1, -1, nullptr, ClassicSubclass(PlainControlProcedure));
    if (button == nullptr) return nullptr;
    ControlObject* record = NewControlObject();
    record->parent = form;
    record->index = -1;
    record->id = id;
    record->left = design.left;
    record->top = design.top;
    record->width = design.width;
    record->height = design.height;
    const AnchorSpec anchor = AnchorAt(mode, design, clientWidth, clientHeight);
    record->anchor = anchor.mode;
    record->rightMargin = anchor.right;
    record->bottomMargin = anchor.bottom;
    record->horizontalOffset = anchor.offsetX;
    record->verticalOffset = anchor.offsetY;
    AttachControlRecord(button, record);
    return record;
}

// The control's rectangle in the form's client coordinates, in pixels.
RECT PlaceOf(HWND form, int32_t id) {
    RECT r{};
    const HWND control = GetDlgItem(form, id);
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void ResizeClient(HWND form, int32_t width, int32_t height) {
    RECT outer{0, 0, width, height};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(form, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(form, GWL_EXSTYLE)));
    SetWindowPos(form, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
}

DesignRect Stored(const ControlObject& r) {
    return {r.left, r.top, r.width, r.height};
}

}  // namespace

TEST(LayoutForm, AnchoredControlsFollowTheClientAreaAndTheRestStays) {
    TestForm form(400, 300, true);
    const HWND window = form.Window();
    ASSERT_NE(window, nullptr);
    ControlObject* corner = AddAnchoredButton(window, 201, {300, 250, 80, 30}, 9, 400, 300);
    ControlObject* fixed = AddAnchoredButton(window, 202, {10, 10, 50, 20}, kAnchorNone, 400, 300);
    ASSERT_TRUE(corner && fixed);
    // An unanchored record whose rectangle lies outside any client area is left exactly as it is.
    fixed->left = 1000;
    fixed->top = 1000;
    ControlObject* label = AddWindowlessLabel(window, "Label1", 104, L"stretched", 10, 100, 100, 20);
    ASSERT_NE(label, nullptr);
    const AnchorSpec stretch = AnchorAt(1, {10, 100, 100, 20}, 400, 300);
    label->anchor = stretch.mode;
    label->rightMargin = stretch.right;

    ResizeClient(window, 500, 350);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, 500);
    ASSERT_EQ(client.bottom, 350);
    EXPECT_EQ(Stored(*corner), (DesignRect{400, 300, 80, 30}));
    const RECT moved = PlaceOf(window, 201);
    EXPECT_EQ(moved.left, 400);
    EXPECT_EQ(moved.top, 300);
    EXPECT_EQ(moved.right - moved.left, 80);
    EXPECT_EQ(moved.bottom - moved.top, 30);
    EXPECT_EQ(Stored(*label), (DesignRect{10, 100, 200, 20})) << "a windowless label only has its rectangle stored";
    EXPECT_EQ(Stored(*fixed), (DesignRect{1000, 1000, 50, 20}));
    EXPECT_EQ(PlaceOf(window, 202).left, 10);

    // Narrower than the label's margins allow: width 0, never negative.
    ResizeClient(window, 250, 350);
    EXPECT_EQ(label->width, 0);
    EXPECT_EQ(PlaceOf(window, 201).left, 150);
}

TEST(LayoutForm, AMinimisedFormKeepsEveryRectangle) {
    TestForm form(400, 300, true);
    const HWND window = form.Window();
    ASSERT_NE(window, nullptr);
    ControlObject* corner = AddAnchoredButton(window, 201, {300, 250, 80, 30}, 9, 400, 300);
    ASSERT_NE(corner, nullptr);
    ShowWindow(window, SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(window));
    EXPECT_EQ(Stored(*corner), (DesignRect{300, 250, 80, 30}));
    EXPECT_EQ(PlaceOf(window, 201).left, 300);
    ShowWindow(window, SW_RESTORE);
    PumpPending();
    EXPECT_EQ(Stored(*corner), (DesignRect{300, 250, 80, 30}));
}

TEST(LayoutForm, TheShownMessageLaysTheFormOut) {
    TestForm form(400, 300, true);
    const HWND window = form.Window();
    ASSERT_NE(window, nullptr);
    ControlObject* centred = AddAnchoredButton(window, 201, {100, 100, 80, 30}, 13, 400, 300);
    ASSERT_NE(centred, nullptr);
    // Offsets from the centre as if designed for another size: the first layout puts the control there.
    centred->horizontalOffset = -40;
    centred->verticalOffset = 10;
    PostFormShown(window, 0);
    EXPECT_TRUE(PumpUntil([&] { return PlaceOf(window, 201).left == 160; }));
    EXPECT_EQ(Stored(*centred), (DesignRect{160, 160, 80, 30}));
}

TEST(LayoutFormDpi144, ClientPixelsAreMeasuredInDesignUnits) {
    TestForm form(600, 300, true);
    const HWND window = form.Window();
    ASSERT_NE(window, nullptr);
    ControlObject* wide = AddAnchoredButton(window, 201, {100, 20, 200, 20}, 1, 400, 200);
    ASSERT_NE(wide, nullptr);
    wide->rightMargin = 300;
    // 1200 pixels are 800 design units at 144 dpi (the test screen is too narrow for wider forms): the control
    // stretches to 800 - 100 - 300 = 400 units, placed at pixel 150 and 600 pixels wide.
    ResizeClient(window, 1200, 300);
    RECT client{};
    GetClientRect(window, &client);
    ASSERT_EQ(client.right, 1200);
    EXPECT_EQ(wide->width, 400);
    EXPECT_EQ(wide->left, 100);
    const RECT placed = PlaceOf(window, 201);
    EXPECT_EQ(placed.left, 150);
    EXPECT_EQ(placed.right - placed.left, 600);
}
