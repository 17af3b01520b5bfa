#include "mainform/Form1.h"

#include <memory>
#include <string_view>

#include "framework/App.h"
#include "framework/AppIcons.h"
#include "framework/ColorValue.h"
#include "framework/ControlObject.h"
#include "framework/ControlProperties.h"
#include "framework/Controls.h"
#include "framework/DpiMath.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Labels.h"
#include "framework/LabelsStyle.h"
#include "framework/ModalLoop.h"
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"
#include "mainform/Form1Texts.h"
#include "services/ListView.h"
#include "services/WString.h"

#include <commctrl.h>

namespace {

constexpr DWORD kFormStyle = 0x86CA0000;    // popup, caption, system menu, minimise box: no sizing, no maximise
constexpr DWORD kFormExStyle = 0x00010100;  // control parent, window edge
constexpr ULONG_PTR kFormClassStyle = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
constexpr int32_t kFormWidth = 777;  // outer size, 96-dpi units
constexpr int32_t kFormHeight = 496;

constexpr char kControlFont[] = "Microsoft YaHei,9,0";
constexpr ColorValue kWindowText = SystemColorValue(COLOR_WINDOWTEXT);
constexpr ColorValue kWindowBack = SystemColorValue(COLOR_WINDOW);
constexpr ColorValue kButtonFace = SystemColorValue(COLOR_BTNFACE);
constexpr int32_t kHandCursor = 14;
constexpr uint32_t kLabelFlags = kLabelEnabled | kLabelVisible | kLabelPrefix;

// A control as designed: name, kind, id, text, rectangle in 96-dpi units, styles.
struct ControlDesign {
    std::string_view name;
    const wchar_t* kind;
    int32_t id;
    const wchar_t* text;
    int32_t left, top, width, height;
    int32_t style;
    int32_t exStyle;
};

// clang-format off
constexpr ControlDesign kText1{"Text1", L"TEXTBOX", kText1Id, kAddressHint, 74, 20, 574, 29, 0x54811080, 0};
constexpr ControlDesign kCommand1{"Command1", L"BUTTON", kCommand1Id, kFindPicturesCaption,
                                  661, 18, 89, 32, 0x54000F00, 0};
constexpr ControlDesign kLabel1{"Label1", nullptr, kLabel1Id, kAddressLabel, 15, 24, 73, 25, 0, 0};
constexpr ControlDesign kListView1{"ListView1", L"LISTVIEW", kListView1Id, L"", 14, 111, 741, 348, 0x5600004D, 0x200};
constexpr ControlDesign kCommand2{"Command2", L"BUTTON", kCommand2Id, kDownloadSelectedCaption,
                                  661, 64, 89, 32, 0x5C000F00, 0};
constexpr ControlDesign kLabel3{"Label3", nullptr, kLabel3Id, kFolderLabel, 15, 71, 73, 25, 0, 0};
constexpr ControlDesign kText3{"Text3", L"TEXTBOX", kText3Id, L"", 74, 65, 574, 29, 0x54801080, 0};
// clang-format on

struct ColumnDesign {
    const wchar_t* header;
    int32_t format;
    int32_t width;  // 96-dpi units
};
constexpr ColumnDesign kColumns[] = {
    {kNumberHeader, kColumnCentre, 50},
    {kLinkHeader, kColumnLeft, 588},
    {kStatusHeader, kColumnCentre, 80},
};
constexpr DWORD kListStyles[] = {LVS_EX_CHECKBOXES, LVS_EX_FULLROWSELECT, LVS_EX_GRIDLINES};

ControlObject* DesignRecord(const ControlDesign& design, HWND form) {
    ControlObject* record = NewControlObject();
    record->parent = form;
    record->name = RtString(design.name);
    record->index = -1;
    record->id = design.id;
    record->caption = WString(design.text);
    record->left = design.left;
    record->top = design.top;
    record->width = design.width;
    record->height = design.height;
    return record;
}

// Creates the control with the shared control procedure and gives it its record; a null window when creation failed.
FormControl CreateControl(FormWindow& window, const ControlDesign& design) {
    const HWND control =
        AddControl(window, design.kind, nullptr, design.id, design.text, design.left, design.top, design.width,
                   design.height, design.style, design.exStyle, nullptr, ClassicSubclass(Form1ControlProcedure));
    if (!control) return {};
    AttachControlRecord(control, DesignRecord(design, window.window));
    return {control, design.id};
}

void SetUpForm(HWND form, HINSTANCE module) {
    ControlObject* record = NewControlObject();
    AttachFormRecord(form, record);
    record->name = "Form1";
    SetClassLongPtrW(form, GCL_STYLE, kFormClassStyle);
    SetFormIcons(form, *record, module);
    CentreWindow(form, nullptr);
    SetFormColorKey(form, kDefaultColor);
    SetControlCursor(form, 0);
    SetFormBackColor(form, kButtonFace);
}

void SetUpTextBox(HWND box) {
    SetControlTextColor(box, kWindowText);
    SetControlBackColor(box, kWindowBack);
    SetControlFont(box, kControlFont);
}

// A label is known by the form's window and its id.
FormControl AddLabel(HWND form, const ControlDesign& design) {
    if (!AddWindowlessLabel(form, design.name, design.id, WString(design.text), design.left, design.top, design.width,
                            design.height))
        return {};
    SetLabelFlags(design.id, form, kLabelFlags);
    SetLabelTextColor(design.id, form, kWindowText);
    SetLabelBackColor(design.id, form, kDefaultColor);  // nothing painted behind the text
    SetLabelFont(design.id, form, kControlFont);
    return {form, design.id};
}

void SetUpList(HWND list, float ratioX) {
    VisualStyles().SetWindowTheme(list, L"Explorer", nullptr);
    for (int32_t column = 0; column < 3; ++column) {
        const ColumnDesign& c = kColumns[column];
        ListViewInsertColumn(list, column, WString(c.header), c.format, ScaleDesign(c.width, ratioX));
    }
    for (DWORD style : kListStyles) SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, style, style);
    SetControlTextColor(list, kWindowText);
    SetControlBackColor(list, kWindowBack);
    SetControlFont(list, kControlFont);
}

FormControl CreateButton(FormWindow& window, const ControlDesign& design) {
    const FormControl button = CreateControl(window, design);
    if (!button.window) return {};
    SetControlText(button.window, WString(design.text));
    SetControlFont(button.window, kControlFont);
    return button;
}

}  // namespace

void ReleaseForm1Controls(MainFormObject& form) noexcept {
    const bool allowManyWindows = form.allowManyWindows;
    form = {};
    form.allowManyWindows = allowManyWindows;
}

INT_PTR BuildAndShowForm1(MainFormObject& main, HWND parent, int32_t modalFlag, LPARAM userValue) noexcept {
    auto window = std::make_unique<FormWindow>(kForm1ClassName);
    const HWND form = CreateFormWindow(*window, parent, kForm1Caption, Form1Procedure, 0, 0, kFormWidth, kFormHeight,
                                       kFormStyle, kFormExStyle);
    if (!form) return 0;
    FormWindow& created = *window.release();  // the window's WM_DESTROY deletes it from now on
    main.window = form;
    SetUpForm(form, created.module);

    main.Text1 = CreateControl(created, kText1);
    if (main.Text1.window) {
        SetControlText(main.Text1.window, WString(kText1.text));
        SetUpTextBox(main.Text1.window);
    }
    main.Command1 = CreateButton(created, kCommand1);
    main.Label1 = AddLabel(form, kLabel1);
    main.ListView1 = CreateControl(created, kListView1);
    if (main.ListView1.window) SetUpList(main.ListView1.window, created.ratioX);
    main.Command2 = CreateButton(created, kCommand2);
    main.Label3 = AddLabel(form, kLabel3);
    main.Text3 = CreateControl(created, kText3);
    if (main.Text3.window) {
        SetUpTextBox(main.Text3.window);
        SetControlCursor(main.Text3.window, kHandCursor);
    }

    PostFormShown(form, userValue);
    if (main.Text1.window) SetFocus(main.Text1.window);
    return ShowModal(&created, modalFlag, form, parent, SW_SHOWNORMAL, 0);
}
