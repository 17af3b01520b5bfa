// The main window as the user first sees it at 96 and 144 DPI, and the real program started and closed.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>

#include "Form1Fixture.h"
#include "Form1Texts936.h"
#include "framework/ModulePath.h"
#include "support/TestForm.h"

#include <commctrl.h>

namespace {

class MainWindow : public Form1Fixture {
  protected:
    // What differs between DPIs: pixels of the window, its controls (left, top, width, height), columns, fonts, labels.
    struct Expected {
        LONG width, height;
        std::array<LONG, 4> text1, command1, listView1, command2, text3;
        std::array<int, 3> columns;
        LONG fontHeight;
        std::array<LONG, 2> label1, label3;
    };
    void ExpectStartState(const Expected& e) const;
};

void MainWindow::ExpectStartState(const Expected& e) const {
    EXPECT_EQ(Gbk(GetControlText(form_)), gbk::kCaption);
    RECT outer{}, work{};
    GetWindowRect(form_, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(std::pair(outer.right - outer.left, outer.bottom - outer.top), std::pair(e.width, e.height));
    EXPECT_EQ(std::pair(outer.left - work.left, outer.top - work.top),
              std::pair((work.right - work.left - e.width) / 2, (work.bottom - work.top - e.height) / 2))
        << "centred on the work area";
    EXPECT_EQ(GetWindowLongW(form_, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX)
        << "it can be minimised, but neither maximised nor resized";

    const std::wstring folder = CurrentExecutablePath().folder + L"DadAzizEzaz\\";  // the default, shown at start
    const struct {
        const FormControl& control;
        DWORD style;
        std::string text;
        std::array<LONG, 4> box;
    } rows[] = {
        {Form().Text1, 0x54811080, gbk::kAddressHint, e.text1},
        {Form().Command1, 0x54000F00, gbk::kFind, e.command1},
        {Form().ListView1, 0x5600004D, "", e.listView1},
        {Form().Command2, 0x5C000F00, gbk::kDownloadSelected, e.command2},  // disabled until a search
        {Form().Text3, 0x54801080, Gbk(WString(folder)), e.text3},
    };
    constexpr DWORD kEditOwned = WS_BORDER | ES_WANTRETURN;  // a single-line edit control drops these itself
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "control " << row.control.id);
        EXPECT_EQ(GetWindowLongW(row.control.window, GWL_STYLE) & ~kEditOwned, row.style & ~kEditOwned);
        EXPECT_EQ(ChildBox(row.control.window), row.box);
        const LOGFONTW font = FontOf(row.control.window);
        EXPECT_EQ(std::pair(std::wstring(font.lfFaceName), font.lfHeight),
                  std::pair(std::wstring(L"Microsoft YaHei"), e.fontHeight));
        EXPECT_EQ(Gbk(GetControlText(row.control.window)), row.text);
    }
    EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the default folder exists";
    EXPECT_EQ(GetFocus(), Form().Text1.window);

    const HWND list = Form().ListView1.window;
    const std::tuple<std::string, int> columns[] = {
        {gbk::kNumberHeader, LVCFMT_CENTER}, {gbk::kLinkHeader, LVCFMT_LEFT}, {gbk::kStatusHeader, LVCFMT_CENTER}};
    for (int c = 0; c < 3; ++c) {
        LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH, 0, 0, nullptr, 0, 0, 0, 0, 0, 0, 0};
        ListView_GetColumn(list, c, &column);
        EXPECT_EQ(std::tuple(Header(c), column.fmt & LVCFMT_JUSTIFYMASK, column.cx),
                  std::tuple_cat(columns[c], std::tuple(e.columns[c])))
            << "column " << c;
    }
    EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));

    // The mouse over a control: the control asks its form first, as every child window does.
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    SendMessageW(Form().Text3.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Form().Text3.window), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SendMessageW(Form().Text1.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Form().Text1.window), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
    SetFocus(Form().Text3.window);
    SetFocus(form_);  // as when the window is activated again: the focus goes back to the control that had it
    EXPECT_EQ(GetFocus(), Form().Text3.window);

    // Each label's caption starts at the label's corner, left of the boxes.
    const ClientPixels p = CaptureClient(form_);
    for (const auto& [x, y] : {e.label1, e.label3}) {
        const RECT ink = p.InkBounds({0, y - 8, e.text1[0], y + 20}, PixelFromColorRef(GetSysColor(COLOR_BTNFACE)));
        EXPECT_TRUE(ink.left >= x && ink.left <= x + 4 && ink.top >= y && ink.top <= y + 10)
            << "label at " << x << "," << y << ": ink from " << ink.left << "," << ink.top;
    }
}

}  // namespace

// clang-format off
TEST_F(MainWindow, StartStateAt96Dpi) {
    ExpectStartState({777, 496, {74, 20, 574, 29}, {661, 18, 89, 32}, {14, 111, 741, 348}, {661, 64, 89, 32},
                      {74, 65, 574, 29}, {50, 588, 80}, -12, {15, 24}, {15, 71}});
}

TEST_F(MainWindow, StartStateDpi144) {
    // Design units times 1.5, halves to the even neighbour: 1165.5 -> 1166, 43.5 -> 44, 166.5 -> 166, 22.5 -> 22.
    ExpectStartState({1166, 744, {111, 30, 861, 44}, {992, 27, 134, 48}, {21, 166, 1112, 522}, {992, 96, 134, 48},
                      {111, 98, 861, 44}, {75, 882, 120}, -18, {22, 36}, {22, 106}});
}
// clang-format on
