// The main window as built: sizes at 96 and 144 dpi, styles, texts, columns, focus and cursors.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Form1Fixture.h"
#include "Form1Texts936.h"
#include "framework/Labels.h"
#include "framework/ModulePath.h"
#include "framework/Win32.h"
#include "services/ListView.h"

#include <commctrl.h>

namespace {

struct Box {
    int left, top, width, height;
    friend bool operator==(const Box&, const Box&) = default;
};
std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.left << ", " << b.top << ", " << b.width << " x " << b.height << ")";
}

Box OuterBox(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// The control's rectangle in its parent's client coordinates.
Box ChildBox(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

struct ColumnShown {
    std::string header;  // code page 936
    int format;
    int width;
};
ColumnShown Column(HWND list, int index) {
    wchar_t text[128]{};
    LVCOLUMNW col{};
    col.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    col.pszText = text;
    col.cchTextMax = 128;
    SendMessageW(list, LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&col));
    return {Gbk(WString(text)), col.fmt & LVCFMT_JUSTIFYMASK, col.cx};
}

class Form1Test : public Form1Fixture {
  protected:
    // Places, sizes and column widths for one screen DPI, as the user sees them.
    struct Expected {
        Box form;  // width and height only
        Box text1, command1, listView1, command2, text3;
        int columns[3];
    };

    void ExpectLayout(const Expected& e) {
        const Box outer = OuterBox(form_);
        EXPECT_EQ(outer.width, e.form.width);
        EXPECT_EQ(outer.height, e.form.height);
        EXPECT_EQ(ChildBox(Form().Text1.window), e.text1);
        EXPECT_EQ(ChildBox(Form().Command1.window), e.command1);
        EXPECT_EQ(ChildBox(Form().ListView1.window), e.listView1);
        EXPECT_EQ(ChildBox(Form().Command2.window), e.command2);
        EXPECT_EQ(ChildBox(Form().Text3.window), e.text3);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(Column(Form().ListView1.window, c).width, e.columns[c]) << "column " << c;
    }

    // What holds at any DPI.
    void ExpectWindowAsBuilt();
    void ExpectControlsAsStarted();
    void ExpectListAsBuilt();
    void ExpectCursors();
};

}  // namespace

TEST_F(Form1Test, LayoutAt96Dpi) {
    ExpectLayout({{0, 0, 777, 496},
                  {74, 20, 574, 29},
                  {661, 18, 89, 32},
                  {14, 111, 741, 348},
                  {661, 64, 89, 32},
                  {74, 65, 574, 29},
                  {50, 588, 80}});
}

TEST_F(Form1Test, LayoutDpi144) {
    // Every design unit times 1.5, halves rounded to the even neighbour: 1165.5 -> 1166, 43.5 -> 44, 166.5 -> 166.
    ExpectLayout({{0, 0, 1166, 744},
                  {111, 30, 861, 44},
                  {992, 27, 134, 48},
                  {21, 166, 1112, 522},
                  {992, 96, 134, 48},
                  {111, 98, 861, 44},
                  {75, 882, 120}});
}

void Form1Test::ExpectWindowAsBuilt() {
    EXPECT_EQ(Gbk(GetControlText(form_)), gbk::kCaption);
    EXPECT_EQ(ClassOf(form_), L"Quellan");
    const auto style = static_cast<DWORD>(GetWindowLongW(form_, GWL_STYLE));
    EXPECT_EQ(style & ~WS_VISIBLE, 0x86CA0000u);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME)) << "the user can neither maximise nor resize it";
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(form_, GWL_EXSTYLE));
    EXPECT_EQ(exStyle & (WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE), 0x00010100u);
    EXPECT_FALSE(exStyle & WS_EX_LAYERED) << "no colour key, no transparency";
    EXPECT_EQ(GetClassLongW(form_, GCL_STYLE), CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
    // The icons live in the program's resources; a module without them leaves the form without icons.
    const bool hasIcon = FindResourceW(nullptr, L"ICON_DOWNPIC", RT_GROUP_ICON) != nullptr;
    EXPECT_EQ(SendMessageW(form_, WM_GETICON, ICON_BIG, 0) != 0, hasIcon);
    EXPECT_EQ(SendMessageW(form_, WM_GETICON, ICON_SMALL, 0) != 0, hasIcon);

    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const Box outer = OuterBox(form_);
    if (outer.width <= work.right - work.left && outer.height <= work.bottom - work.top) {
        EXPECT_EQ(outer.left, work.left + (work.right - work.left - outer.width) / 2);
        EXPECT_EQ(outer.top, work.top + (work.bottom - work.top - outer.height) / 2);
    }
}

void Form1Test::ExpectControlsAsStarted() {
    struct Row {
        const FormControl& control;
        int id;
        const wchar_t* className;
        DWORD style;
        DWORD exStyle;
    };
    const Row rows[] = {
        {Form().Text1, 102, L"Edit", 0x54811080, 0},
        {Form().Command1, 103, L"BUTTON", 0x54000F00, 0},
        {Form().ListView1, 105, L"SysListView32", 0x5600004D, 0x200},
        {Form().Command2, 106, L"BUTTON", 0x5C000F00, 0},
        {Form().Text3, 108, L"Edit", 0x54801080, 0},
    };
    for (const Row& row : rows) {
        ASSERT_NE(row.control.window, nullptr) << row.id;
        EXPECT_EQ(row.control.id, row.id);
        EXPECT_EQ(GetDlgCtrlID(row.control.window), row.id);
        EXPECT_EQ(_wcsicmp(ClassOf(row.control.window).c_str(), row.className), 0) << row.id;
        // A single-line edit control keeps neither a border style (it draws a client edge instead) nor ES_WANTRETURN.
        const DWORD platformOwned = row.className == std::wstring(L"Edit") ? WS_BORDER | ES_WANTRETURN : 0;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(row.control.window, GWL_STYLE)) & ~platformOwned,
                  row.style & ~platformOwned)
            << row.id;
        if (!platformOwned) {
            EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(row.control.window, GWL_EXSTYLE)) & 0x200, row.exStyle)
                << row.id;
        }
        ControlObject* record = FindControlObject(row.control.window);
        ASSERT_NE(record, nullptr) << row.id;
        EXPECT_EQ(record->id, row.id);
        EXPECT_EQ(record->index, -1);
        EXPECT_EQ(record->fontDescriptor, "Microsoft YaHei,9,0");
        EXPECT_EQ(record->parent, form_);
    }
    EXPECT_EQ(FindControlObject(Form().Text1.window)->name, "Text1");
    EXPECT_EQ(FindControlObject(Form().ListView1.window)->name, "ListView1");
    EXPECT_EQ(FindControlObject(form_)->name, "Form1");

    EXPECT_EQ(Gbk(GetControlText(Form().Text1.window)), gbk::kAddressHint);
    EXPECT_EQ(Gbk(GetControlText(Form().Command1.window)), gbk::kFind);
    EXPECT_EQ(Gbk(GetControlText(Form().Command2.window)), gbk::kDownloadSelected);
    EXPECT_TRUE(IsWindowEnabled(Form().Command1.window));
    EXPECT_FALSE(IsWindowEnabled(Form().Command2.window)) << "nothing to download before a search";
    EXPECT_EQ(GetFocus(), Form().Text1.window);

    const std::wstring exeFolder = CurrentExecutablePath().folder;
    EXPECT_EQ(Text(Form().Text3.window), exeFolder + L"DadAzizEzaz\\");
    const DWORD attributes = GetFileAttributesW((exeFolder + L"DadAzizEzaz").c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        << "the default folder exists once the window is shown";
}

TEST_F(Form1Test, LabelsArePaintedByTheFormInOrder) {
    EXPECT_EQ(Form().Label1.window, form_);
    EXPECT_EQ(Form().Label1.id, 104);
    EXPECT_EQ(Form().Label3.id, 107);
    ControlObject* label1 = FindLabel(104, form_);
    ControlObject* label3 = FindLabel(107, form_);
    ASSERT_NE(label1, nullptr);
    ASSERT_NE(label3, nullptr);
    EXPECT_EQ(FindControlObject(form_)->next, label1) << "the chain runs form, Label1, Label3";
    EXPECT_EQ(label1->next, label3);
    EXPECT_EQ(Gbk(label1->caption), gbk::kAddressLabel);
    EXPECT_EQ(Gbk(label3->caption), gbk::kFolderLabel);
    for (ControlObject* label : {label1, label3}) {
        EXPECT_EQ(label->styleFlags, 7u);
        EXPECT_EQ(label->textColor, 0x087F7F7Fu);
        EXPECT_EQ(label->backColor, 0x197F7F7Fu);
        EXPECT_EQ(label->fontDescriptor, "Microsoft YaHei,9,0");
    }
    EXPECT_EQ((Box{label1->left, label1->top, label1->width, label1->height}), (Box{15, 24, 73, 25}));
    EXPECT_EQ((Box{label3->left, label3->top, label3->width, label3->height}), (Box{15, 71, 73, 25}));
}

void Form1Test::ExpectListAsBuilt() {
    const HWND list = Form().ListView1.window;
    const ColumnShown c0 = Column(list, 0), c1 = Column(list, 1), c2 = Column(list, 2);
    EXPECT_EQ(c0.header, gbk::kNumberHeader);
    EXPECT_EQ(c0.format, LVCFMT_CENTER);
    EXPECT_EQ(c1.header, gbk::kLinkHeader);
    EXPECT_EQ(c1.format, LVCFMT_LEFT);
    EXPECT_EQ(c2.header, gbk::kStatusHeader);
    EXPECT_EQ(c2.format, LVCFMT_CENTER);
    EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0),
              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0)), GetSysColor(COLOR_WINDOWTEXT));
    EXPECT_EQ(static_cast<COLORREF>(SendMessageW(list, LVM_GETBKCOLOR, 0, 0)), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ListViewGetItemCount(list), 0);

    ListViewAddItem(list, WString(L"1"));
    EXPECT_EQ(SendMessageW(list, LVM_GETITEMSTATE, 0, LVIS_STATEIMAGEMASK) & LVIS_STATEIMAGEMASK,
              INDEXTOSTATEIMAGEMASK(1))
        << "a new row has a check box";
}

void Form1Test::ExpectCursors() {
    // The mouse over a control: the control asks its parent first, as every child window does.
    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    SendMessageW(Form().Text3.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Form().Text3.window), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    SendMessageW(Form().Text1.window, WM_SETCURSOR, reinterpret_cast<WPARAM>(Form().Text1.window), overClient);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(FindControlObject(Form().Text3.window)->cursorCode, 14);
}

TEST_F(Form1Test, CloseBoxEndsTheWindowAndAShowWhileItLivesBuildsNoSecond) {
    const INT_PTR again = ShowMainForm(TheMainForm(), BuildAndShowForm1, nullptr, 0, 0);
    EXPECT_EQ(reinterpret_cast<HWND>(again), form_) << "the one window is brought back";
    SendMessageW(form_, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpPending();
    EXPECT_FALSE(IsWindow(form_));
}

TEST_F(Form1Test, FocusComesBackToTheControlThatHadIt) {
    SetFocus(Form().Text3.window);
    SetFocus(nullptr);
    SendMessageW(form_, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(GetFocus(), Form().Text3.window);
}

TEST_F(Form1Test, WindowIsAFixedSizeCentredFormWithItsCaption) {
    ExpectWindowAsBuilt();
}

TEST_F(Form1Test, ControlsStartWithTheirTextsStylesAndFocus) {
    ExpectControlsAsStarted();
}

TEST_F(Form1Test, PictureListHasItsColumnsStylesAndColours) {
    ExpectListAsBuilt();
}

TEST_F(Form1Test, HandCursorOverTheFolderBoxOnly) {
    ExpectCursors();
}

TEST_F(Form1Test, StartStateDpi144) {
    ExpectWindowAsBuilt();
    ExpectControlsAsStarted();
    ExpectListAsBuilt();
    ExpectCursors();
}
