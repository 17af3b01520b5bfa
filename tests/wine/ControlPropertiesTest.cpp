#include "framework/ControlProperties.h"

#include "FormTestKit.h"
#include "framework/ColorValue.h"
#include "framework/ControlObject.h"
#include "framework/Dpi.h"
#include "framework/Win32.h"

#include <gtest/gtest.h>

#include <commctrl.h>

using testkit::AddTestControl;
using testkit::MakeTestForm;

TEST(ControlProperties, AFontChangeKeepsAnEditControlsMargins) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(7, 9));
    SetControlFont(edit, "Arial,14");
    EXPECT_EQ(SendMessageW(edit, EM_GETMARGINS, 0, 0), MAKELRESULT(7, 9));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)), FontFromDescriptor("Arial,14"));
    EXPECT_EQ(HandleTableFind(edit)->fontDescriptor, "Arial,14");
}

TEST(ControlProperties, AFontChangeKeepsAListBoxsItemHeight) {
    const UniqueWindow form(MakeTestForm());
    const HWND list = AddTestControl(form.Get(), L"LISTBOX", 102, 10, 10, 200, 100, 0x50000141);
    SendMessageW(list, LB_SETITEMHEIGHT, 0, 23);
    SetControlFont(list, "Arial,20");
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 23);
}

TEST(ControlProperties, ListColoursReachTheListItself) {
    const UniqueWindow form(MakeTestForm());
    const HWND list = AddTestControl(form.Get(), L"LISTVIEW", 105, 10, 10, 300, 200);
    SetControlTextColor(list, SystemColorValue(COLOR_WINDOWTEXT));
    SetControlBackColor(list, 0x00336699);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), 0x00336699u);
    EXPECT_EQ(HandleTableFind(list)->textColor, SystemColorValue(COLOR_WINDOWTEXT));  // the code, not its colour
}

TEST(ControlProperties, WindowsWithoutARecordAreLeftAlone) {
    const UniqueWindow form(MakeTestForm());
    FormWindow* fw = FormWindowFromHandle(form.Get());
    const HWND bare = AddControl(*fw, L"TEXTBOX", nullptr, 120, L"", 0, 0, 50, 20);
    SetControlWidth(bare, 200);
    SetControlFont(bare, "Arial,30");
    ShowControl(bare, false);
    RECT r{};
    GetWindowRect(bare, &r);
    EXPECT_EQ(r.right - r.left, 50);
    EXPECT_TRUE(IsWindowVisible(bare));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(bare, WM_GETFONT, 0, 0)), fw->font.Get());
}

TEST(ControlProperties, WidthInPixelsRecordedInDesignUnits) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    SetControlWidth(edit, 300);
    RECT r{};
    GetWindowRect(edit, &r);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 24);
    EXPECT_EQ(HandleTableFind(edit)->width, 300);
}

TEST(ControlProperties, WidthInPixelsRecordedInDesignUnitsDpi144) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    SetControlWidth(edit, 301);
    EXPECT_EQ(HandleTableFind(edit)->width, 201);  // 200.67
}

TEST(ControlProperties, TransparencyMakesTheFormLayered) {
    const UniqueWindow form(MakeTestForm());
    const auto layered = [&] { return (GetWindowLongPtrW(form.Get(), GWL_EXSTYLE) & WS_EX_LAYERED) != 0; };
    SetFormColorKey(form.Get(), kDefaultColor);
    EXPECT_FALSE(layered());
    SetFormTransparency(form.Get(), 50);
    ASSERT_TRUE(layered());
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(form.Get(), &key, &alpha, &flags));
    EXPECT_EQ(alpha, 127);  // 50 * 2.55 is 127.49999... in binary
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    SetFormColorKey(form.Get(), 0x00FF00FF);
    ASSERT_TRUE(GetLayeredWindowAttributes(form.Get(), &key, &alpha, &flags));
    EXPECT_EQ(key, 0x00FF00FFu);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA | LWA_COLORKEY));
    SetFormTransparency(form.Get(), 0);
    ASSERT_TRUE(GetLayeredWindowAttributes(form.Get(), &key, &alpha, &flags));
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY));
    SetFormColorKey(form.Get(), kDefaultColor);
    EXPECT_FALSE(layered());
}

TEST(ControlProperties, LayeredAttributesRule) {
    EXPECT_FALSE(LayeredAttributesFor(0, kNoColor, false).layered);
    EXPECT_TRUE(LayeredAttributesFor(0, kNoColor, true).layered);  // WS_EX_TRANSPARENT
    EXPECT_EQ(LayeredAttributesFor(0, kNoColor, true).alpha, 255);
    EXPECT_EQ(LayeredAttributesFor(100, kNoColor, false).alpha, 0);
    EXPECT_EQ(LayeredAttributesFor(25, 0x10, false).alpha, 191);  // 191.25
}

TEST(ControlProperties, ShowEnableFocus) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24, 0x50010080);
    EnableControl(edit, false);
    EXPECT_FALSE(IsWindowEnabled(edit));
    EnableControl(edit, true);
    ShowControl(edit, false);
    EXPECT_FALSE(IsWindowVisible(edit));
    ShowControl(edit, true);
    SetForegroundWindow(form.Get());
    FocusControl(edit);
    EXPECT_EQ(GetFocus(), edit);
}
