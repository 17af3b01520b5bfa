// A whole form driven from a test the way the main window's tests drive theirs: built modeless, its messages pumped
// with a deadline, its controls worked with SendMessageW, and destroyed with nothing left behind.
#include "FormTestKit.h"
#include "framework/ControlObject.h"
#include "framework/ControlProperties.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/ModalLoop.h"
#include "framework/Win32.h"
#include "support/Pump.h"

#include <gtest/gtest.h>

#include <vector>

#include <commctrl.h>

using testkit::AddTestControl;
using testkit::MakeTestForm;

namespace {

struct Seen {
    std::vector<int> commands;
    std::vector<int> columnClicks;
    int shown = 0;
    bool destroyed = false;
} gSeen;

void OnCommand(HWND, WPARAM wParam, LPARAM) noexcept {
    if (HIWORD(wParam) == BN_CLICKED) gSeen.commands.push_back(LOWORD(wParam));
}
void OnNotify(HWND, const NMHDR& header) noexcept {
    if (header.code == LVN_COLUMNCLICK) {
        gSeen.columnClicks.push_back(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    }
}
void OnShown(HWND, LPARAM) noexcept {
    ++gSeen.shown;
}
void OnDestroy(HWND form) noexcept {
    gSeen.destroyed = FindControlObject(form) != nullptr;
}

LRESULT CALLBACK EventFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{OnCommand, OnNotify, OnShown, OnDestroy};
    return FormProcedure(form, message, wParam, lParam, events);
}

}  // namespace

TEST(ModelessForm, IsBuiltDrivenAndDestroyedInsideATest) {
    gSeen = {};
    const size_t table = HandleTableCount();
    const int32_t records = LiveControlObjectCount();
    const int32_t forms = LiveFormWindowCount();

    const HWND form = MakeTestForm(EventFormProcedure, 500, 400);
    ASSERT_NE(form, nullptr);
    const HWND edit = AddTestControl(form, L"TEXTBOX", 102, 10, 10, 300, 24, 0x54811080);
    const HWND button = AddTestControl(form, L"BUTTON", 103, 320, 10, 90, 28, 0x54000F00);
    const HWND list = AddTestControl(form, L"LISTVIEW", 105, 10, 50, 400, 200, 0x5600004D);
    ASSERT_TRUE(edit && button && list);
    SetControlFont(edit, "Microsoft YaHei,9,0");
    PostFormShown(form, 0);
    EXPECT_EQ(ShowModal(FormWindowFromHandle(form), 0, form, nullptr, SW_SHOWNORMAL, 0),
              reinterpret_cast<INT_PTR>(form));
    ASSERT_TRUE(PumpUntil([] { return gSeen.shown == 1; }));

    SendMessageW(button, BM_CLICK, 0, 0);
    EXPECT_EQ(gSeen.commands, std::vector<int>{103});
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"http://example/i/1.htm"));
    wchar_t text[64]{};
    SendMessageW(edit, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"http://example/i/1.htm");

    // A column click as the list sends it to its parent.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = 105;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 1;
    SendMessageW(form, WM_NOTIFY, 105, reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(gSeen.columnClicks, std::vector<int>{1});

    SendMessageW(form, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(gSeen.destroyed);  // the form's own clean-up ran while its record still existed
    EXPECT_EQ(HandleTableCount(), table);
    EXPECT_EQ(LiveControlObjectCount(), records);
    EXPECT_EQ(LiveFormWindowCount(), forms);
}
