#include "framework/ControlTypes.h"

#include <gtest/gtest.h>

#include <string>

namespace {
ControlStyles Styles(std::wstring_view upper, int32_t style, int32_t exStyle) {
    return ResolveControlStyles(FindControlType(upper), upper, style, exStyle);
}
}  // namespace

TEST(ControlTypes, MapsTypeNamesToClasses) {
    struct Case {
        const wchar_t* upper;
        const wchar_t* typed;
        const wchar_t* className;
    } cases[] = {
        {L"LISTVIEW", L"ListView", L"SysListView32"},
        {L"SYSLISTVIEW32", L"syslistview32", L"SysListView32"},
        {L"TEXTBOX", L"TextBox", L"Edit"},
        {L"BUTTON", L"Button", L"Button"},  // the caller's own text
        {L"COMBOBOX", L"combobox", L"combobox"},
        {L"SLIDER", L"Slider", L"msctls_trackbar32"},
        {L"SIZEGRIP", L"SizeGrip", L"Scrollbar"},
        {L"MONTHCAL", L"MonthCal", L"SysMonthCal32"},
        {L"RICHEDIT", L"RichEdit", L"RichEdit50W"},
        {L"MYCLASS", L"MyClass", L"MyClass"},  // any other name is a class name
    };
    for (const Case& c : cases) EXPECT_EQ(ControlClassName(FindControlType(c.upper), c.typed), c.className) << c.upper;
    EXPECT_EQ(ControlClassName(FindControlType(L"X"), std::wstring(300, L'x')).size(), 259u);
}

TEST(ControlTypes, DefaultsAndSpecialStyles) {
    struct Case {
        const wchar_t* upper;
        int32_t style, exStyle;
        uint32_t wantStyle, wantExStyle;
    } cases[] = {
        {L"BUTTON", -1, -1, 0x50010F00, 0},           {L"BUTTON", 1, -1, 0x50010F01, 0},  // default push button
        {L"BUTTON", 0x8000, 0, 0x50018F00, 0},        {L"BUTTON", 11, 0, 0x5001000B, 0},
        {L"BUTTON", 0x54000F00, 0, 0x54000F00, 0},  // explicit styles pass unchanged
        {L"RADIOBUTTON", 0x20000, -1, 0x50030D09, 0}, {L"OPTION", -1, -1, 0x50010D09, 0},
        {L"CHECKBOX", 1, -1, 0x40000001, 0},  // special values belong to buttons and option buttons only
        {L"TEXTBOX", -1, -1, 0x50010080, 0x200},      {L"TEXTBOX", 0x54811080, 0, 0x54811080, 0},
        {L"LISTVIEW", -1, -1, 0x52010349, 0x200},     {L"LISTVIEW", 0x5600004D, 0x200, 0x5600004D, 0x200},
        {L"TAB", -1, -1, 0x56030800, 0x10000},        {L"TABCONTROL", -1, 0x200, 0x56030800, 0x10200},
        {L"BITMAPLABEL", -1, -1, 0x5002000E, 0x20},   {L"COMBOBOX", -1, -1, 0x50A10302, 0x200},
        {L"UNKNOWNCLASS", -1, -1, 0x40000000, 0},
    };
    for (const Case& c : cases) {
        const ControlStyles s = Styles(c.upper, c.style, c.exStyle);
        EXPECT_EQ(s.style, c.wantStyle) << c.upper << " " << c.style;
        EXPECT_EQ(s.exStyle, c.wantExStyle) << c.upper << " " << c.style;
    }
}

TEST(ControlTypes, FontMarksAndSetUps) {
    EXPECT_TRUE(FindControlType(L"BITMAPLABEL").noFont);
    EXPECT_TRUE(FindControlType(L"SLIDER").noFont);
    EXPECT_TRUE(FindControlType(L"SYSLINK").noFont);
    EXPECT_FALSE(FindControlType(L"TEXTBOX").noFont);
    EXPECT_FALSE(FindControlType(L"BITMAPBUTTON").noFont);
    EXPECT_EQ(FindControlType(L"TRACKBAR").setup, ControlSetup::TrackBar);
    EXPECT_EQ(FindControlType(L"MSCTLS_TRACKBAR32").setup, ControlSetup::TrackBar);
    EXPECT_EQ(FindControlType(L"SLIDER").setup, ControlSetup::None);  // keeps the platform's range
    EXPECT_EQ(FindControlType(L"SLIDER").defaultStyle, FindControlType(L"TRACKBAR").defaultStyle);
    EXPECT_EQ(FindControlType(L"MSCTLS_UPDOWN32").setup, ControlSetup::UpDown);
    EXPECT_EQ(FindControlType(L"VSCROLLBAR").setup, ControlSetup::ScrollBar);
    EXPECT_TRUE(FindControlType(L"SIZEBOX").sizeGrip);
    EXPECT_EQ(&FindControlType(L""), &FindControlType(L"NOSUCHTYPE"));
    EXPECT_EQ(&FindControlType(L"listview"), &FindControlType(L"NOSUCHTYPE"));  // the caller upper-cases
}

TEST(ControlTypes, ImageNamesFromCaptions) {
    ImageResourceName byId = ImageNameFromCaption(L"#101");
    EXPECT_TRUE(byId.byId);
    EXPECT_EQ(byId.id, 101);
    EXPECT_EQ(ImageNameFromCaption(L"#65637").id, 101);  // a 16-bit id
    EXPECT_EQ(ImageNameFromCaption(L"#12ab").id, 12);
    EXPECT_EQ(ImageNameFromCaption(L"#").id, 0);
    ImageResourceName byName = ImageNameFromCaption(L"ICON_DOWNPIC");
    EXPECT_FALSE(byName.byId);
    EXPECT_EQ(byName.name, L"ICON_DOWNPIC");
    EXPECT_FALSE(ImageNameFromCaption(L"101").byId);
}

TEST(ControlTypes, SizeGripSitsInTheCornerInDesignUnits) {
    // 600 x 450 pixels at 1.5 are 400 x 300 design units; the grip is metric-sized in design units.
    const GripRect r = SizeGripRect(600, 450, 1.5f, 1.5f, 17, 17);
    EXPECT_EQ(r.x, 383);
    EXPECT_EQ(r.y, 283);
    EXPECT_EQ(r.width, 17);
    EXPECT_EQ(r.height, 17);
}
