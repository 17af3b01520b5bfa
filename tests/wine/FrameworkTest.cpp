// The form framework on real windows: classes, fonts, colours, windowless labels read back as pixels, and the layout
// on resize. Clean-up and the message loop are checked on the tool's own window.
#include <gtest/gtest.h>

#include "framework/AppGdiplus.h"
#include "framework/ControlProperties.h"
#include "framework/Dpi.h"
#include "framework/Labels.h"
#include "framework/LabelsStyle.h"
#include "framework/Layout.h"
#include "services/WString.h"
#include "support/TestForm.h"

namespace {

constexpr COLORREF kFormBack = RGB(150, 200, 250);  // far from the button face and from black
constexpr uint32_t kShown = kLabelEnabled | kLabelVisible;

// A label over a form of the light blue above, with its colours as GDI colours or the default marker.
void AddLabel(const TestForm& form, int32_t id, const wchar_t* caption, const RECT& r, uint32_t flags = kShown,
              ColorValue back = kDefaultColor, ColorValue text = kDefaultColor, const char* font = "DejaVu Sans,16") {
    form.Record()->backColor = kFormBack;
    AddWindowlessLabel(form.Window(), "Label", id, caption, r.left, r.top, r.right - r.left, r.bottom - r.top);
    SetLabelFlags(id, form.Window(), flags);
    SetLabelFont(id, form.Window(), font);
    if (back != kDefaultColor) SetLabelBackColorRgb(id, form.Window(), back);
    if (text != kDefaultColor) SetLabelTextColorRgb(id, form.Window(), text);
}

// A button whose record is anchored: mode, then distances to the right and bottom edges and offsets from the centre.
HWND AnchoredButton(const TestForm& form, int32_t id, const DesignRect& d, const AnchorSpec& anchor) {
    const HWND button = form.Add(L"button", id, d.left, d.top, d.width, d.height);
    ControlObject* r = HandleTableFind(button);
    std::tie(r->anchor, r->rightMargin, r->bottomMargin, r->horizontalOffset, r->verticalOffset) =
        std::tie(anchor.mode, anchor.right, anchor.bottom, anchor.offsetX, anchor.offsetY);
    return button;
}

void Resize(const TestForm& form, int32_t width, int32_t height) {
    SetWindowPos(form.Window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    PumpPending();
}

}  // namespace

TEST(DpiFonts, DescriptorsGiveFontsAtTheScreenDpiEachMadeOnceAndNotCachedWhenNotMade) {
    ASSERT_EQ(ScreenDpiY(), 96);
    EXPECT_EQ(Shown(FontFromDescriptor("Arial,20,1,1,1,1")),
              FontShown(L"Arial", -27, 700, 1, 1, 1, ANTIALIASED_QUALITY));  // antialiased from 16 points
    const size_t cached = FontCacheSize();
    const HFONT font = FontFromDescriptor("Arial,11");  // a face made before, at another size
    EXPECT_EQ(std::tuple(std::get<1>(Shown(font)), FontFromDescriptor("Arial,11"), FontCacheSize()),
              std::tuple(LONG{-15}, font, cached + 1));
    // With every GDI handle of the process taken no font can be made; once they are free again it can.
    std::vector<HFONT> taken;
    while (HFONT f = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma")) taken.push_back(f);
    EXPECT_EQ(std::pair(FontFromDescriptor("Tahoma,13,1"), FontCacheSize()), std::pair(HFONT{}, cached + 1));
    for (HFONT f : taken) DeleteObject(f);
    EXPECT_NE(FontFromDescriptor("Tahoma,13,1"), nullptr);
}

TEST(ControlProperties, AControlIsPaintedInItsOwnColoursElseTheFormsElseTheButtonFaceAndAFontKeepsItsMargins) {
    {  // two forms of one class at once
        const TestForm first(10, 10), second(10, 10);
        ASSERT_TRUE(first.Window() && second.Window());
    }
    // One that cannot be made (a child without its parent) takes the class with it; the next registers it anew.
    EXPECT_EQ(TestForm(10, 10, PlainFormProcedure, reinterpret_cast<HWND>(0x12345)).Window(), nullptr);
    const TestForm form(300, 100);
    ASSERT_NE(form.Window(), nullptr);
    const HWND edit = form.Add(L"TextBox", 102, 10, 10, 200, 40, 0x50000080);
    SetControlText(edit, L"WWWWW");
    SetControlTextColor(edit, 0x0000FF);
    SetControlBackColor(edit, 0x00FF00);
    const ClientPixels p = CaptureClient(edit);
    const RECT all{0, 0, p.width, p.height};
    EXPECT_EQ(p.At(190, 30), 0x00FF00u) << "its own back colour";
    EXPECT_GT(p.width * p.height - p.InkOf(all, 0x0000FF).count, 5) << "its own text colour";
    EXPECT_EQ(p.InkOf(all, 0xFFFFFF).count, p.width * p.height) << "no white, not even behind the text";
    HandleTableFind(edit)->backColor = kDefaultColor;
    form.Record()->backColor = 0xFF0000;
    EnableControl(edit, false);  // a disabled edit control asks for the colours of static text
    EXPECT_EQ(CaptureClient(edit).At(190, 30), 0xFF0000u) << "the form's colour";
    form.Record()->backColor = kDefaultColor;
    EXPECT_EQ(CaptureClient(edit).At(190, 30), GetSysColor(COLOR_BTNFACE));

    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(7, 9));
    SetControlFont(edit, "Arial,14");
    EXPECT_EQ(std::pair(Shown(FontOf(edit)), SendMessageW(edit, EM_GETMARGINS, 0, 0)),
              std::pair(Shown(FontFromDescriptor("Arial,14")), LRESULT{MAKELRESULT(7, 9)}));
}

TEST(PaintedLabels, FillBorderAndTextColourAsSetAndHiddenOrClearLabelsShowNothing) {
    const GdiplusSession gdiplus;
    const TestForm form(400, 200);
    const HWND window = form.Window();
    const RECT filled{10, 10, 90, 60}, text{100, 10, 250, 60}, framed{260, 10, 340, 60}, hidden{10, 100, 90, 150};
    AddLabel(form, 1, L"", filled, kShown, RGB(255, 0, 0), RGB(0, 0, 255));
    AddLabel(form, 2, L"Hello", text);  // default colours: black text over the form, whatever was drawn before
    AddLabel(form, 3, L"", framed, kShown, kDefaultColor, RGB(255, 0, 0));
    SetLabelBackColor(3, window, RGB(0, 255, 0));  // a plain code without alpha is transparent
    SetLabelBorderStyle(3, window, 1);
    AddLabel(form, 4, L"Hidden", hidden, kLabelEnabled, RGB(0, 128, 0));

    const ClientPixels p = CaptureClient(window);
    EXPECT_EQ(p.At(50, 35), RGB(255, 0, 0)) << "opaque red fill";
    const RECT hello = p.InkOf(text, kFormBack).box;
    EXPECT_TRUE(hello.left <= text.left + 4 && hello.top <= text.top + 8 && hello.right < text.left + 100 &&
                hello.bottom < text.bottom - 10)
        << "from the top left, no fill behind the text";
    EXPECT_GT(150 * 50 - p.InkOf(text, 0).count, 20) << "black text";
    EXPECT_EQ(p.InkOf({262, 12, 338, 58}, kFormBack).count, 0) << "nothing inside the frame";
    const auto red = [&](LONG y) { return GetRValue(p.At(300, y)) > GetGValue(p.At(300, y)) + 50; };
    EXPECT_TRUE(red(framed.top - 1) || red(framed.top)) << "a thin border in the text colour, across two rows";
    EXPECT_EQ(p.InkOf(hidden, kFormBack).count + p.InkOf({0, 70, 400, 90}, kFormBack).count, 0)
        << "nothing of a hidden label, nothing outside the labels";
}

TEST(PaintedLabelsDpi144, ALabelCoversItsScaledPixelRectangle) {
    const GdiplusSession gdiplus;
    const TestForm form(240, 140);
    // Full blocks in a font far taller than the label: the text is clipped to exactly the label's pixels.
    AddLabel(form, 1, L"████████████████", {15, 24, 88, 49}, WithLabelAlignment(kShown, 3), kDefaultColor, 0,
             "DejaVu Sans Mono,40");
    const RECT ink = CaptureClient(form.Window()).InkOf({0, 0, 240, 140}, kFormBack).box;
    EXPECT_EQ((std::array{ink.left, ink.top, ink.right, ink.bottom}), (std::array<LONG, 4>{22, 36, 132, 74}));
}

TEST(Layout, AnchoredControlsFollowTheClientAreaFromTheFirstShowButNotWhenMinimised) {
    const TestForm form(400, 300);
    const HWND corner = AnchoredButton(form, 201, {300, 250, 80, 30}, {9, 20, 20});
    const HWND centre = AnchoredButton(form, 203, {100, 100, 80, 30}, {13, 0, 0, -40, -50});  // off centre by design
    ControlObject* label = AddWindowlessLabel(form.Window(), "Label1", 104, L"", 10, 100, 100, 20);
    std::tie(label->anchor, label->rightMargin) = std::tuple(1, 290);

    PostFormShown(form.Window(), 0);
    EXPECT_TRUE(PumpUntil([&] { return ChildBox(centre)[0] == 160; })) << "the first show lays the form out";
    Resize(form, 500, 350);
    EXPECT_EQ(std::tuple(ChildBox(corner), ChildBox(centre), label->width),
              std::tuple(std::array<LONG, 4>{400, 300, 80, 30}, std::array<LONG, 4>{210, 125, 80, 30}, 200))
        << "a windowless label has its rectangle stored for the next paint";
    ShowWindow(form.Window(), SW_MINIMIZE);
    PumpPending();
    ASSERT_TRUE(IsIconic(form.Window()));
    EXPECT_EQ(std::pair(ChildBox(corner)[0], label->width), std::pair(LONG{400}, 200)) << "kept while minimised";
    ShowWindow(form.Window(), SW_RESTORE);
    Resize(form, 250, 350);
    EXPECT_EQ(std::pair(ChildBox(corner)[0], label->width), std::pair(LONG{150}, 0)) << "a width never negative";
}

TEST(LayoutDpi144, ClientPixelsAreMeasuredInDesignUnits) {
    const TestForm form(600, 300);
    const HWND wide = AnchoredButton(form, 201, {100, 20, 200, 20}, {1, 300});
    // 1200 pixels are 800 design units: the control stretches to 800 - 100 - 300 = 400 units, 600 pixels.
    Resize(form, 1200, 300);
    EXPECT_EQ(std::pair(HandleTableFind(wide)->width, ChildBox(wide)),
              std::pair(400, std::array<LONG, 4>{150, 30, 600, 20}));
}
