// The main window as the user first sees it at 96 and 144 DPI: one check, its numbers picked by the screen's DPI.
#include <gtest/gtest.h>

#include "Form1Fixture.h"
#include "framework/Dpi.h"
#include "framework/ModulePath.h"
#include "support/TestForm.h"

#include <commctrl.h>

namespace {

using Box = std::array<LONG, 4>;  // left, top, width and height in the parent
// The window's size; the boxes of Text1, Command1, ListView1, Command2 and Text3; the columns' widths; the font's
// height; the corners of Label1 and Label3. At 144 DPI design units are times 1.5, halves to the even neighbour.
// clang-format off
const struct Expected {
    LONG width, height;
    std::array<Box, 5> boxes;
    std::array<int, 3> columns;
    LONG fontHeight;
    std::array<std::array<LONG, 2>, 2> labels;
} kAt96{777, 496, {{{74, 20, 574, 29}, {661, 18, 89, 32}, {14, 111, 741, 348}, {661, 64, 89, 32}, {74, 65, 574, 29}}},
        {50, 588, 80}, -12, {{{15, 24}, {15, 71}}}},  // 1165.5 -> 1166, 43.5 -> 44, 166.5 -> 166, 22.5 -> 22:
  kAt144{1166, 744, {{{111, 30, 861, 44}, {992, 27, 134, 48}, {21, 166, 1112, 522}, {992, 96, 134, 48},
         {111, 98, 861, 44}}}, {75, 882, 120}, -18, {{{22, 36}, {22, 106}}}};
// clang-format on

class MainWindow : public Form1Fixture {
  protected:
    void ExpectStartState(int32_t dpi) const {
        ASSERT_EQ(ScreenDpiY(), dpi);
        const Expected& e = dpi == 144 ? kAt144 : kAt96;
        EXPECT_EQ(Text(form_), L"Voyanta原图批量下载 --- Quellan[ZRT]");
        RECT outer{}, work{};
        GetWindowRect(form_, &outer);
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        EXPECT_EQ(
            (Box{outer.left - work.left, outer.top - work.top, outer.right - outer.left, outer.bottom - outer.top}),
            (Box{(work.right - work.left - e.width) / 2, (work.bottom - work.top - e.height) / 2, e.width, e.height}))
            << "centred on the work area";
        EXPECT_EQ(GetWindowLongW(form_, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX)
            << "it can be minimised, but neither maximised nor resized";

        const std::wstring folder = CurrentExecutablePath().folder + L"DadAzizEzaz\\";  // the default, shown at start
        const struct {
            const FormControl& control;
            LONG style;  // less WS_BORDER and ES_WANTRETURN, which a single-line edit control drops itself
            std::wstring text;
        } rows[] = {{Form().Text1, 0x54010080, L"(双击此处,自动粘贴剪切板内容)"},
                    {Form().Command1, 0x54000F00, L"查找图片"},
                    {Form().ListView1, 0x5600004D, L""},
                    {Form().Command2, 0x5C000F00, L"下载选中"},  // disabled until a search
                    {Form().Text3, 0x54000080, folder}};
        for (int i = 0; i < 5; ++i) {
            const HWND window = rows[i].control.window;
            EXPECT_EQ(
                std::tuple(GetWindowLongW(window, GWL_STYLE) & ~(WS_BORDER | ES_WANTRETURN), ChildBox(window),
                           Text(window), std::get<0>(Shown(FontOf(window))),
                           std::get<1>(Shown(FontOf(window)))),
                std::tuple(rows[i].style, e.boxes[i], rows[i].text, std::wstring(L"Microsoft YaHei"), e.fontHeight))
                << "control " << rows[i].control.id;
        }
        EXPECT_NE(GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the default folder exists";
        EXPECT_EQ(GetFocus(), Form().Text1.window);

        const HWND list = Form().ListView1.window;
        const std::wstring headers[] = {L"序号", L"图片连接", shown::kStatusHeader};
        for (int c = 0; c < 3; ++c) {
            LVCOLUMNW column{LVCF_FMT | LVCF_WIDTH, 0, 0, nullptr, 0, 0, 0, 0, 0, 0, 0};
            ListView_GetColumn(list, c, &column);
            EXPECT_EQ(std::tuple(Header(c), column.fmt & LVCFMT_JUSTIFYMASK, column.cx),
                      std::tuple(headers[c], c == 1 ? LVCFMT_LEFT : LVCFMT_CENTER, e.columns[c]));
        }
        EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
                  LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));
        EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));

        // The mouse over a box: the box asks its form first, as every child window does.
        for (auto [box, cursor] : {std::pair{Form().Text3.window, IDC_HAND}, {Form().Text1.window, IDC_IBEAM}}) {
            SendMessageW(box, WM_SETCURSOR, reinterpret_cast<WPARAM>(box), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
            EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, cursor));
        }
        SetFocus(Form().Text3.window);
        SetFocus(form_);  // as when the window is activated again: the focus goes back to the control that had it
        EXPECT_EQ(GetFocus(), Form().Text3.window);

        // Each label's caption starts at the label's corner, left of the boxes.
        const ClientPixels p = CaptureClient(form_);
        for (auto [x, y] : e.labels) {
            const RECT ink = p.InkOf({0, y - 8, e.boxes[0][0], y + 20}, GetSysColor(COLOR_BTNFACE)).box;
            EXPECT_TRUE(ink.left >= x && ink.left <= x + 4 && ink.top >= y && ink.top <= y + 10)
                << "label at " << x << "," << y << ": ink from " << ink.left << "," << ink.top;
        }
    }
};

}  // namespace

TEST_F(MainWindow, StartStateAt96Dpi) { ExpectStartState(96); }
TEST_F(MainWindow, StartStateDpi144) { ExpectStartState(144); }
