#include "framework/Controls.h"

#include "FormTestKit.h"
#include "framework/ControlObject.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

#include <gtest/gtest.h>

#include <string>

#include <commctrl.h>

using testkit::MakeTestForm;

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
}
DWORD ExStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
}

RECT RectInParent(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class ControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_.Reset(MakeTestForm());
        ASSERT_TRUE(form_);
        fw_ = FormWindowFromHandle(form_.Get());
    }
    HWND Add(std::wstring_view type, int32_t style = -1, int32_t exStyle = -1, std::wstring_view caption = L"") {
        return AddControl(*fw_, type, nullptr, 110, caption, 10, 20, 120, 40, style, exStyle);
    }
    UniqueWindow form_;
    FormWindow* fw_ = nullptr;
};

}  // namespace

TEST_F(ControlsTest, TypeNamesIgnoreCase) {
    const HWND a = Add(L"listview");
    const HWND b = Add(L"ListView");
    const HWND c = Add(L"LISTVIEW");
    for (HWND h : {a, b, c}) {
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(ClassOf(h), L"SysListView32");
        EXPECT_EQ(StyleOf(h), StyleOf(a));
        EXPECT_EQ(ExStyleOf(h), ExStyleOf(a));
    }
    EXPECT_EQ(StyleOf(a) & 0xFFFF, 0x0349u);  // the type's default list styles
    EXPECT_EQ(GetParent(a), form_.Get());
    EXPECT_EQ(GetDlgCtrlID(a), 110);
}

TEST_F(ControlsTest, ButtonStylesDefaultAndSpecial) {
    const HWND plain = Add(L"BUTTON");
    const HWND defaultButton = Add(L"Button", 1);
    EXPECT_EQ(StyleOf(plain), 0x10010F00u | WS_CHILD);
    EXPECT_EQ(StyleOf(defaultButton), 0x10010F01u | WS_CHILD);
    EXPECT_EQ(SendMessageW(defaultButton, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, DLGC_DEFPUSHBUTTON);
    const HWND option = Add(L"OPTION", 0x20000);
    EXPECT_EQ(StyleOf(option), 0x10030D09u | WS_CHILD);
    EXPECT_EQ(ClassOf(option), L"Button");
}

TEST_F(ControlsTest, TabsAlwaysGetControlParent) {
    EXPECT_EQ(ExStyleOf(Add(L"TAB", -1, 0x200)) & 0x10200u, 0x10200u);
    EXPECT_EQ(ExStyleOf(Add(L"TABCONTROL")) & WS_EX_CONTROLPARENT, static_cast<DWORD>(WS_EX_CONTROLPARENT));
}

TEST_F(ControlsTest, ASliderKeepsThePlatformRangeATrackbarGetsItsOwn) {
    const HWND slider = Add(L"SLIDER");
    const HWND trackbar = Add(L"TRACKBAR");
    EXPECT_EQ(ClassOf(slider), L"msctls_trackbar32");
    EXPECT_EQ(StyleOf(slider), StyleOf(trackbar));
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 10);
    // The platform's page size is a fifth of its range; the slider was not set up.
    EXPECT_NE(SendMessageW(slider, TBM_GETPAGESIZE, 0, 0), 10);
}

TEST_F(ControlsTest, RangeSetUps) {
    PBRANGE range{};
    const HWND progress = Add(L"PROGRESSBAR");
    SendMessageW(progress, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(range.iLow, 0);
    EXPECT_EQ(range.iHigh, 100);
    INT low = -1, high = -1;
    const HWND updown = Add(L"UPDOWN");
    SendMessageW(updown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 100);
    EXPECT_EQ(SendMessageW(updown, UDM_GETBASE, 0, 0), 10);
    const HWND scroll = Add(L"VSCROLLBAR");
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(scroll, SB_CTL, &info));
    EXPECT_EQ(info.nMin, 0);
    EXPECT_EQ(info.nMax, 100);
    EXPECT_EQ(StyleOf(scroll) & SBS_VERT, static_cast<DWORD>(SBS_VERT));
}

TEST_F(ControlsTest, TheFormFontGoesToControlsThatTakeOne) {
    ASSERT_TRUE(fw_->font);
    const auto fontOf = [](HWND h) { return reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)); };
    EXPECT_EQ(fontOf(Add(L"TEXTBOX")), fw_->font.Get());
    EXPECT_EQ(fontOf(Add(L"BUTTON")), fw_->font.Get());
    EXPECT_NE(fontOf(Add(L"LINE")), fw_->font.Get());  // no font for a line
}

TEST_F(ControlsTest, ImagesFromTheCaption) {
    // user32 carries the system bitmaps; a form of that module loads them by "#" and id.
    fw_->module = GetModuleHandleW(L"user32.dll");
    const HWND byId = Add(L"BITMAPBUTTON", -1, -1, L"#32754");  // OBM_CLOSE
    ASSERT_NE(byId, nullptr);
    const auto bitmap = reinterpret_cast<HBITMAP>(SendMessageW(byId, BM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP info{};
    EXPECT_GT(GetObjectW(bitmap, sizeof(info), &info), 0);
    EXPECT_GT(info.bmWidth, 0);
    const HWND byName = Add(L"BITMAPBUTTON", -1, -1, L"32754");  // a name, not an id: nothing found
    EXPECT_EQ(SendMessageW(byName, BM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    const HWND label = Add(L"BITMAPLABEL", -1, -1, L"#32754");
    EXPECT_NE(SendMessageW(label, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    fw_->module = GetModuleHandleW(nullptr);
}

TEST_F(ControlsTest, FailuresLeaveNothingBehind) {
    const auto children = [&] {
        int n = 0;
        for (HWND c = GetWindow(form_.Get(), GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) ++n;
        return n;
    };
    EXPECT_EQ(Add(L""), nullptr);
    EXPECT_EQ(Add(L"NoSuchWindowClass"), nullptr);
    EXPECT_EQ(children(), 0);
    // A name outside the table is a registered class name.
    EXPECT_EQ(ClassOf(Add(L"Static")), L"Static");
}

TEST_F(ControlsTest, ClassicAndSharedSubclassing) {
    const HWND classic = AddControl(*fw_, L"TEXTBOX", nullptr, 111, L"", 0, 0, 50, 20, -1, -1, nullptr,
                                    ClassicSubclass(PlainControlProcedure));
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrW(classic, GWLP_WNDPROC)), PlainControlProcedure);
    EXPECT_NE(GetPropW(classic, L"OLDWNDPROC"), nullptr);

    static int calls = 0;
    const SUBCLASSPROC counting = [](HWND h, UINT m, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR data) -> LRESULT {
        if (m == WM_USER + 7) calls += static_cast<int>(data);
        return DefSubclassProc(h, m, w, l);
    };
    const HWND shared =
        AddControl(*fw_, L"TEXTBOX", nullptr, 112, L"", 0, 0, 50, 20, -1, -1, nullptr, SharedSubclass(counting, 5, 3));
    SendMessageW(shared, WM_USER + 7, 0, 0);
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(GetPropW(shared, L"OLDWNDPROC"), nullptr);
}

TEST_F(ControlsTest, ASizeGripSitsInTheCorner) {
    const HWND grip = Add(L"SIZEGRIP");
    RECT client{};
    GetClientRect(form_.Get(), &client);
    const RECT r = RectInParent(grip);
    EXPECT_EQ(r.right, client.right);
    EXPECT_EQ(r.bottom, client.bottom);
}

TEST_F(ControlsTest, RectanglesAreDesignUnitsAt96Dpi) {
    const HWND edit = AddControl(*fw_, L"TEXTBOX", nullptr, 102, L"", 74, 20, 574, 29, 0x54811080, 0);
    const RECT r = RectInParent(edit);
    EXPECT_EQ(r.left, 74);
    EXPECT_EQ(r.top, 20);
    EXPECT_EQ(r.right - r.left, 574);
    EXPECT_EQ(r.bottom - r.top, 29);
    EXPECT_EQ(StyleOf(edit) & 0xFFFF, 0x1080u);  // the edit styles (the control turns WS_BORDER into its own frame)
}

TEST_F(ControlsTest, RectanglesAreScaledDpi144) {
    ASSERT_EQ(fw_->ratioX, 1.5f);
    const HWND edit = AddControl(*fw_, L"TEXTBOX", nullptr, 102, L"", 74, 20, 574, 29, 0x54811080, 0);
    const RECT r = RectInParent(edit);
    EXPECT_EQ(r.left, 111);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 861);
    EXPECT_EQ(r.bottom - r.top, 44);  // 43.5 to the even neighbour
    const HWND label = AddControl(*fw_, L"LABEL", nullptr, 104, L"", 15, 24, 73, 25, -1, -1);
    const RECT l = RectInParent(label);
    EXPECT_EQ(l.left, 22);             // 22.5
    EXPECT_EQ(l.right - l.left, 110);  // 109.5
    EXPECT_EQ(l.bottom - l.top, 38);   // 37.5
}
