#include "framework/FormProcedure.h"

#include "FormTestKit.h"
#include "framework/ColorValue.h"
#include "framework/ControlObject.h"
#include "framework/ControlProperties.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"
#include "support/Pump.h"

#include <gtest/gtest.h>

#include <vector>

using testkit::AddTestControl;
using testkit::MakeTestForm;

namespace {

COLORREF BrushColor(LRESULT brush) {
    LOGBRUSH lb{};
    EXPECT_EQ(GetObjectW(reinterpret_cast<HBRUSH>(brush), sizeof(lb), &lb), static_cast<int>(sizeof(lb)));
    return lb.lbColor;
}

struct ColorProbe {
    COLORREF text, back, brush;
};

// What the form answers an edit control's colour request with, on a fresh memory DC.
ColorProbe AskColors(HWND form, HWND edit, UINT message = WM_CTLCOLOREDIT) {
    const HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    const LRESULT brush = SendMessageW(form, message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
    ColorProbe probe{GetTextColor(dc), GetBkColor(dc), brush != 0 ? BrushColor(brush) : CLR_INVALID};
    DeleteDC(dc);
    return probe;
}

}  // namespace

TEST(FormProcedure, ControlColoursFallBackFromTheRecordToTheFormToButtonFace) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    ASSERT_NE(edit, nullptr);
    ControlObject* record = HandleTableFind(edit);
    ControlObject* formRecord = FindControlObject(form.Get());
    ASSERT_TRUE(record && formRecord);

    // The record's own colours, system colour codes resolved now.
    SetControlTextColor(edit, SystemColorValue(COLOR_WINDOWTEXT));
    SetControlBackColor(edit, 0x0000FF);  // red
    ColorProbe p = AskColors(form.Get(), edit);
    EXPECT_EQ(p.text, GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(p.back, RGB(255, 0, 0));
    EXPECT_EQ(p.brush, RGB(255, 0, 0));

    // No colour of its own: the form's background; no text colour: the DC's stays.
    record->textColor = kDefaultColor;
    record->backColor = kDefaultColor;
    formRecord->backColor = 0x00FF00;
    p = AskColors(form.Get(), edit, WM_CTLCOLORSTATIC);
    EXPECT_EQ(p.text, RGB(1, 2, 3));
    EXPECT_EQ(p.back, RGB(0, 255, 0));
    EXPECT_EQ(p.brush, RGB(0, 255, 0));

    // Neither has one: the button face.
    formRecord->backColor = kDefaultColor;
    p = AskColors(form.Get(), edit, WM_CTLCOLORBTN);
    EXPECT_EQ(p.back, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(p.brush, GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(record->brushColor, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
}

TEST(FormProcedure, AControlWithoutARecordGetsTheDefaultColours) {
    const UniqueWindow form(MakeTestForm());
    FormWindow* fw = FormWindowFromHandle(form.Get());
    const HWND bare = AddControl(*fw, L"TEXTBOX", nullptr, 120, L"", 0, 0, 50, 20);
    const ColorProbe p = AskColors(form.Get(), bare);
    EXPECT_EQ(p.back, GetSysColor(COLOR_WINDOW));  // the platform's own edit colours
    EXPECT_EQ(HandleTableFind(bare), nullptr);
}

TEST(FormProcedure, AnEditControlIsPaintedInItsRecordsColour) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 40, 0x50000080);
    SetControlBackColor(edit, 0x00FF00);
    ShowWindow(form.Get(), SW_SHOWNORMAL);
    InvalidateRect(edit, nullptr, TRUE);
    UpdateWindow(edit);
    const HDC dc = GetDC(edit);
    COLORREF seen = CLR_INVALID;
    EXPECT_TRUE(PumpUntil([&] {
        seen = GetPixel(dc, 150, 20);
        return seen == RGB(0, 255, 0);
    })) << std::hex
        << seen;
    ReleaseDC(edit, dc);
}

TEST(FormProcedure, TheCursorOverAControlIsItsOwn) {
    const UniqueWindow form(MakeTestForm());
    const HWND hand = AddTestControl(form.Get(), L"TEXTBOX", 108, 10, 10, 200, 24);
    const HWND plain = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 50, 200, 24);
    SetControlCursor(hand, 14);
    EXPECT_EQ(HandleTableFind(hand)->cursorCode, 14);
    const HCURSOR handCursor = LoadCursorW(nullptr, IDC_HAND);
    const HCURSOR ibeam = LoadCursorW(nullptr, IDC_IBEAM);

    // The edit control asks its parent first; the form answers for a record with a cursor.
    SendMessageW(hand, WM_SETCURSOR, reinterpret_cast<WPARAM>(hand), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), handCursor);
    SendMessageW(plain, WM_SETCURSOR, reinterpret_cast<WPARAM>(plain), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), ibeam);
    // Outside the client area the form leaves it to the platform.
    EXPECT_EQ(SendMessageW(form.Get(), WM_SETCURSOR, reinterpret_cast<WPARAM>(hand), MAKELPARAM(HTBORDER, 0)), 0);
    EXPECT_EQ(CursorFromCode(0), nullptr);
    EXPECT_EQ(CursorFromCode(15), nullptr);
}

TEST(FormProcedure, DestroyFreesTheFormWindowAndEveryRecord) {
    const size_t tableBefore = HandleTableCount();
    const int32_t recordsBefore = LiveControlObjectCount();
    const int32_t formsBefore = LiveFormWindowCount();
    const HWND form = MakeTestForm();
    ASSERT_NE(form, nullptr);
    const HWND a = AddTestControl(form, L"TEXTBOX", 102, 10, 10, 200, 24);
    const HWND b = AddTestControl(form, L"BUTTON", 103, 220, 10, 80, 24);
    const HWND c = AddTestControl(form, L"LISTVIEW", 105, 10, 50, 300, 200);
    ControlObject* formRecord = FindControlObject(form);
    for (int id : {104, 107}) {  // two windowless labels
        ControlObject* label = NewControlObject();
        label->id = id;
        ChainWindowlessRecord(formRecord, label);
    }
    ASSERT_EQ(formRecord->next->id, 104);
    ASSERT_EQ(formRecord->next->next->id, 107);
    SetControlBackColor(a, 0xFF);
    AskColors(form, a);  // gives the record a brush
    EXPECT_EQ(HandleTableCount(), tableBefore + 4);
    EXPECT_EQ(LiveControlObjectCount(), recordsBefore + 6);
    EXPECT_EQ(LiveFormWindowCount(), formsBefore + 1);

    DestroyWindow(form);
    EXPECT_FALSE(IsWindow(a) || IsWindow(b) || IsWindow(c));
    EXPECT_EQ(HandleTableCount(), tableBefore);
    EXPECT_EQ(LiveControlObjectCount(), recordsBefore);
    EXPECT_EQ(LiveFormWindowCount(), formsBefore);
    for (HWND h : {form, a, b, c}) EXPECT_EQ(HandleTableFind(h), nullptr);
}

namespace {

std::vector<UINT> gSeen;
LPARAM gShownValue = 0;
SIZE gSizeAtShown{};

void RecordShown(HWND, LPARAM value) noexcept {
    gSeen.push_back(FormShownMessage);
    gShownValue = value;
}

LRESULT CALLBACK RecordingFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{nullptr, nullptr, RecordShown, nullptr};
    if (message == WM_SIZE) {
        gSeen.push_back(WM_SIZE);
        gSizeAtShown = {LOWORD(lParam), HIWORD(lParam)};
    }
    return FormProcedure(form, message, wParam, lParam, events);
}

}  // namespace

TEST(FormProcedure, TheShownMessageLaysOutThenRunsTheShownHandler) {
    const UniqueWindow form(MakeTestForm(RecordingFormProcedure));
    PumpPending();
    gSeen.clear();
    PostFormShown(form.Get(), 42);
    EXPECT_TRUE(PumpUntil([] { return !gSeen.empty() && gSeen.back() == FormShownMessage; }));
    ASSERT_EQ(gSeen.size(), 2u);
    EXPECT_EQ(gSeen[0], static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(gShownValue, 42);
    RECT client{};
    GetClientRect(form.Get(), &client);
    EXPECT_EQ(gSizeAtShown.cx, client.right);
    EXPECT_EQ(gSizeAtShown.cy, client.bottom);
    // The same message number with another wParam is not the shown message.
    gSeen.clear();
    SendMessageW(form.Get(), FormShownMessage, 1, 0);
    EXPECT_TRUE(gSeen.empty());
}

TEST(FormProcedure, TheCloseBoxClosesAndEraseIsLeftToPainting) {
    const HWND form = MakeTestForm();
    EXPECT_NE(SendMessageW(form, WM_ERASEBKGND, 0, 0), 0);
    EXPECT_EQ(SendMessageW(form, WM_SYSCOMMAND, SC_CLOSE | 2, 0), 0);
    EXPECT_FALSE(IsWindow(form));
}

TEST(FormProcedure, FocusReturnsToTheControlThatHadItLast) {
    const UniqueWindow form(MakeTestForm());
    const HWND first = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    const HWND second = AddTestControl(form.Get(), L"TEXTBOX", 108, 10, 50, 200, 24);
    ShowWindow(form.Get(), SW_SHOWNORMAL);
    SetForegroundWindow(form.Get());
    SetFocus(second);
    ASSERT_EQ(GetFocus(), second);
    EXPECT_EQ(FindControlObject(form.Get())->focus, second);
    SetFocus(first);
    EXPECT_EQ(FindControlObject(form.Get())->focus, first);

    const UniqueWindow other(MakeTestForm());
    SetFocus(other.Get());
    ASSERT_NE(GetFocus(), first);
    SetFocus(form.Get());
    EXPECT_EQ(GetFocus(), first);
}

TEST(FormProcedure, SystemColourChangesRemakeTheBrushes) {
    const UniqueWindow form(MakeTestForm());
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24);
    const HWND plain = AddTestControl(form.Get(), L"TEXTBOX", 108, 10, 50, 200, 24);
    SetControlBackColor(edit, SystemColorValue(COLOR_WINDOW));
    SendMessageW(form.Get(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(FindControlObject(form.Get())->brushColor, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
    EXPECT_EQ(HandleTableFind(edit)->brushColor, static_cast<int32_t>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(HandleTableFind(plain)->brushColor, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
    // A form colour of its own reaches the controls without one.
    SetFormBackColor(form.Get(), 0x123456);
    SendMessageW(form.Get(), WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(HandleTableFind(plain)->brushColor, 0x123456);
    EXPECT_EQ(HandleTableFind(edit)->brushColor, static_cast<int32_t>(GetSysColor(COLOR_WINDOW)));
    EXPECT_EQ(BrushColor(GetClassLongPtrW(form.Get(), GCLP_HBRBACKGROUND)), 0x123456u);
}

namespace {

std::vector<UINT> gControlEvents;
bool gRecordAliveAtDestroy = false;

void RecordControlEvent(HWND, ControlObject* record, UINT message, WPARAM, LPARAM) noexcept {
    gControlEvents.push_back(message);
    if (message == WM_DESTROY) gRecordAliveAtDestroy = record != nullptr && record->id == 102;
}

LRESULT CALLBACK RecordingControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ControlSubclassProcedure(control, message, wParam, lParam, RecordControlEvent);
}

}  // namespace

TEST(FormProcedure, AControlSeesItsEventsFirstAndFreesItsRecordOnDestroy) {
    const UniqueWindow form(MakeTestForm());
    const int32_t records = LiveControlObjectCount();
    const HWND edit = AddTestControl(form.Get(), L"TEXTBOX", 102, 10, 10, 200, 24, -1, RecordingControlProcedure);
    ASSERT_NE(GetPropW(edit, L"OLDWNDPROC"), nullptr);
    gControlEvents.clear();
    SendMessageW(edit, WM_LBUTTONDBLCLK, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(gControlEvents.size(), 1u);
    EXPECT_EQ(gControlEvents[0], static_cast<UINT>(WM_LBUTTONDBLCLK));
    // Messages still reach the edit control's own procedure.
    SetWindowTextW(edit, L"abc");
    wchar_t text[8]{};
    GetWindowTextW(edit, text, 8);
    EXPECT_STREQ(text, L"abc");

    DestroyWindow(edit);
    EXPECT_TRUE(gRecordAliveAtDestroy);
    EXPECT_EQ(HandleTableFind(edit), nullptr);
    EXPECT_EQ(LiveControlObjectCount(), records);
}

TEST(FormProcedure, ARealHandleTableOpensASecondBlockAndReusesHoles) {
    const UniqueWindow form(MakeTestForm());
    std::vector<HWND> controls;
    for (int i = 0; i < 101; ++i) controls.push_back(AddTestControl(form.Get(), L"LABEL", 200 + i, 0, 0, 5, 5));
    EXPECT_GE(HandleTableBlockCount(), 2u);
    for (HWND c : controls) EXPECT_NE(HandleTableFind(c), nullptr);
    const size_t blocks = HandleTableBlockCount();
    DestroyWindow(controls[10]);
    const HWND again = AddTestControl(form.Get(), L"LABEL", 400, 0, 0, 5, 5);
    EXPECT_NE(HandleTableFind(again), nullptr);
    EXPECT_EQ(HandleTableBlockCount(), blocks);
}
