// The form framework on real windows: classes, fonts, controls by type name, colours, events, clean-up, modal loop.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "framework/ControlObject.h"
#include "framework/ControlProperties.h"
#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "framework/Labels.h"
#include "framework/ModalLoop.h"
#include "services/WString.h"
#include "support/Pump.h"
#include "support/TestForm.h"

#include <commctrl.h>

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64]{};
    GetClassNameW(window, name, 64);
    return name;
}

HFONT FontIn(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
}

using FontShown = std::tuple<std::wstring, LONG, LONG, BYTE, BYTE, BYTE, BYTE>;
// Face, height, weight, italic, underline, strike-out and quality.
FontShown Described(HFONT font) {
    LOGFONTW f{};
    GetObjectW(font, sizeof(f), &f);
    return {f.lfFaceName, f.lfHeight, f.lfWeight, f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfQuality};
}

// A form of the named class; null when it could not be made (its FormWindow is deleted then).
HWND MakeForm(const wchar_t* className, HWND parent = nullptr, DWORD style = WS_POPUP) {
    auto* form = new FormWindow(className);
    const HWND window = CreateFormWindow(*form, parent, L"", PlainFormProcedure, 0, 0, 200, 100, style, 0);
    if (window == nullptr) delete form;
    return window;
}

}  // namespace

TEST(FormClasses, UnnamedAreNumberedNamedAreRegisteredOnceAndAnewWhenRemoved) {
    const int32_t counter = FormClassCounter();
    const UniqueWindow a(MakeForm(L"")), b(MakeForm(L""));
    EXPECT_EQ(ClassOf(a.Get()), L"KTWWindowClass:" + std::to_wstring(counter));
    EXPECT_EQ(ClassOf(b.Get()), L"KTWWindowClass:" + std::to_wstring(counter + 1));
    const UniqueWindow first(MakeForm(L"FwShared")), second(MakeForm(L"FwShared"));
    EXPECT_TRUE(first && second) << "the second form of a class reuses its atom";
    // A FormWindow deleted while no window of its class is left (a creation without its parent) removes the class;
    // the next form of that name must register it again rather than use the dead atom.
    DestroyWindow(MakeForm(L"FwRemoved"));
    EXPECT_EQ(MakeForm(L"FwRemoved", reinterpret_cast<HWND>(0x12345), WS_CHILD), nullptr);
    EXPECT_TRUE(UniqueWindow(MakeForm(L"FwRemoved")));
}

TEST(DpiFonts, DescriptorsGiveFontsAtTheScreenDpiEachMadeOnce) {
    ASSERT_EQ(ScreenDpiY(), 96);
    const std::pair<const char*, FontShown> cases[] = {
        {"Microsoft YaHei,9,0", {L"Microsoft YaHei", -12, 400, 0, 0, 0, DEFAULT_QUALITY}},
        {",0", {L"SimSun", -12, 400, 0, 0, 0, DEFAULT_QUALITY}},
        {"Arial,20,1,1", {L"Arial", -27, 700, 1, 0, 0, ANTIALIASED_QUALITY}},  // antialiased from 16 points
        {"Arial,9", {L"Arial", -12, 400, 0, 0, 0, DEFAULT_QUALITY}},
        {"Tahoma,10,0,0,1,1", {L"Tahoma", -13, 400, 0, 1, 1, DEFAULT_QUALITY}},
        {"\xCB\xCE\xCC\xE5,9", {L"\x5B8B\x4F53", -12, 400, 0, 0, 0, DEFAULT_QUALITY}},  // a code page 936 face
    };
    for (const auto& [descriptor, font] : cases) EXPECT_EQ(Described(FontFromDescriptor(descriptor)), font);
    const size_t cached = FontCacheSize();
    const HFONT font = FontFromDescriptor("Courier New,11");
    EXPECT_EQ(FontFromDescriptor("Courier New,11"), font);
    EXPECT_EQ(FontCacheSize(), cached + 1);
}

TEST(DpiFonts, AFontThatCouldNotBeMadeIsNotCached) {
    // With every GDI handle of the process taken no font can be made; once they are free again it can.
    std::vector<HFONT> taken;
    while (HFONT f = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0, L"Tahoma")) taken.push_back(f);
    const size_t cached = FontCacheSize();
    EXPECT_EQ(FontFromDescriptor("Tahoma,13,1"), nullptr);
    EXPECT_EQ(FontCacheSize(), cached);
    for (HFONT f : taken) DeleteObject(f);
    EXPECT_NE(FontFromDescriptor("Tahoma,13,1"), nullptr);
}

TEST(DpiFonts, NinePointsAreEighteenPixelsDpi144) {
    ASSERT_EQ(ScreenDpiY(), 144);
    EXPECT_EQ(std::get<1>(Described(FontFromDescriptor("Microsoft YaHei,9,0"))), -18);
    const TestForm form(100, 50);
    EXPECT_EQ(Described(form.Frame()->font.Get()), FontShown(L"Segoe UI", -18, 400, 0, 0, 0, DEFAULT_QUALITY));
}

TEST(Controls, TypeNamesInAnyCaseMakeTheirControlsWithTheFormsFontAndTheirSetUp) {
    const TestForm form(400, 300);
    const auto add = [&](const wchar_t* type) { return AddControl(*form.Frame(), type, nullptr, 9, L"", 0, 0, 9, 9); };
    for (const wchar_t* type : {L"listview", L"ListView", L"SYSLISTVIEW32"}) {
        EXPECT_EQ(ClassOf(add(type)), L"SysListView32") << type;
    }
    EXPECT_EQ(ClassOf(add(L"Static")), L"Static") << "a name outside the table is a class name";
    EXPECT_EQ(add(L""), nullptr);
    EXPECT_EQ(add(L"NoSuchClass"), nullptr);
    // A DPI-aware process on Windows Vista or later: Segoe UI 9, 12 pixels at 96 DPI.
    EXPECT_EQ(Described(form.Frame()->font.Get()), FontShown(L"Segoe UI", -12, 400, 0, 0, 0, DEFAULT_QUALITY));
    EXPECT_EQ(FontIn(add(L"TEXTBOX")), form.Frame()->font.Get());
    EXPECT_NE(FontIn(add(L"LINE")), form.Frame()->font.Get());
    const HWND trackbar = add(L"TRACKBAR");
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETRANGEMAX, 0, 0), 100);
    EXPECT_EQ(SendMessageW(trackbar, TBM_GETPAGESIZE, 0, 0), 10);
    EXPECT_NE(SendMessageW(add(L"SLIDER"), TBM_GETPAGESIZE, 0, 0), 10) << "a slider keeps the platform's range";
}

TEST(ControlProperties, AFontChangeKeepsMarginsAndItemHeightsAndWindowsWithoutRecordsAreLeftAlone) {
    const TestForm form(400, 300);
    const HWND edit = form.Add(L"TEXTBOX", 102, 10, 10, 200, 24);
    const HWND list = form.Add(L"LISTBOX", 103, 10, 50, 200, 100, 0x50000141);
    SendMessageW(edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(7, 9));
    SendMessageW(list, LB_SETITEMHEIGHT, 0, 23);
    SetControlFont(edit, "Arial,14");
    SetControlFont(list, "Arial,20");
    EXPECT_EQ(FontIn(edit), FontFromDescriptor("Arial,14"));
    EXPECT_EQ(SendMessageW(edit, EM_GETMARGINS, 0, 0), MAKELRESULT(7, 9));
    EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 23);
    EnableControl(edit, false);
    ShowControl(list, false);
    EXPECT_FALSE(IsWindowEnabled(edit));
    EXPECT_FALSE(IsWindowVisible(list));
    const HWND bare = AddControl(*form.Frame(), L"TEXTBOX", nullptr, 120, L"", 0, 0, 50, 20);
    SetControlFont(bare, "Arial,14");
    EnableControl(bare, false);
    EXPECT_EQ(FontIn(bare), form.Frame()->font.Get());
    EXPECT_TRUE(IsWindowEnabled(bare));
}

TEST(FormColours, AControlTakesItsOwnColourElseTheFormsElseTheButtonFace) {
    const TestForm form(300, 100);
    const HWND edit = form.Add(L"TEXTBOX", 102, 10, 10, 200, 40, 0x50000080);
    SetControlTextColor(edit, SystemColorValue(COLOR_WINDOWTEXT));
    SetControlBackColor(edit, 0x00FF00);
    EXPECT_EQ(CaptureClient(edit).At(150, 20), 0x00FF00u) << "painted in its own colour";

    // The form's answer to the control's colour request on a DC whose text colour is (1, 2, 3).
    const auto answer = [&](UINT message) {
        const HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, RGB(1, 2, 3));
        LOGBRUSH brush{};
        const LRESULT handle =
            SendMessageW(form.Window(), message, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(edit));
        GetObjectW(reinterpret_cast<HBRUSH>(handle), sizeof(brush), &brush);
        const auto colours = std::tuple(GetTextColor(dc), GetBkColor(dc), brush.lbColor);
        DeleteDC(dc);
        return colours;
    };
    EXPECT_EQ(answer(WM_CTLCOLOREDIT), std::tuple(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 255, 0), RGB(0, 255, 0)));
    ControlObject& record = *HandleTableFind(edit);
    record.textColor = record.backColor = kDefaultColor;
    form.Record()->backColor = 0x0000FF;
    EXPECT_EQ(answer(WM_CTLCOLORSTATIC), std::tuple(RGB(1, 2, 3), RGB(255, 0, 0), RGB(255, 0, 0)));
    form.Record()->backColor = kDefaultColor;
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    EXPECT_EQ(answer(WM_CTLCOLORBTN), std::tuple(RGB(1, 2, 3), face, face));
}

namespace {

struct Seen {
    std::vector<int> commands, columnClicks;
    LPARAM shownValue = 0;
    int doubleClicks = 0;
    bool recordAtDestroy = false;
} gSeen;

LRESULT CALLBACK EventForm(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{
        [](HWND, WPARAM w, LPARAM) noexcept {
            if (HIWORD(w) == BN_CLICKED) gSeen.commands.push_back(LOWORD(w));
        },
        [](HWND, const NMHDR& h) noexcept {
            if (h.code == LVN_COLUMNCLICK)
                gSeen.columnClicks.push_back(reinterpret_cast<const NMLISTVIEW&>(h).iSubItem);
        },
        [](HWND, LPARAM value) noexcept { gSeen.shownValue = value; },
        [](HWND form) noexcept { gSeen.recordAtDestroy = FindControlObject(form) != nullptr; }};
    return FormProcedure(form, message, wParam, lParam, events);
}

LRESULT CALLBACK EventControl(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ControlSubclassProcedure(control, message, wParam, lParam,
                                    [](HWND, ControlObject* record, UINT m, WPARAM, LPARAM) noexcept {
                                        gSeen.doubleClicks += m == WM_LBUTTONDBLCLK && record != nullptr;
                                    });
}

}  // namespace

TEST(FormLifecycle, EventsReachTheFormAndItsDestructionFreesEveryRecord) {
    gSeen = {};
    const size_t table = HandleTableCount();
    const int32_t records = LiveControlObjectCount(), frames = LiveFormWindowCount();
    HWND window = nullptr, edit = nullptr, button = nullptr, list = nullptr;
    {
        const TestForm form(400, 300, 0, EventForm);
        window = form.Window();
        edit = form.Add(L"TEXTBOX", 102, 10, 10, 200, 24, -1, EventControl);
        button = form.Add(L"BUTTON", 103, 220, 10, 80, 24);
        list = form.Add(L"LISTVIEW", 105, 10, 50, 300, 200);
        AddWindowlessLabel(window, "Label1", 104, L"a", 0, 0, 10, 10);
        AddWindowlessLabel(window, "Label3", 107, L"b", 0, 20, 10, 10);
        EXPECT_EQ(HandleTableCount(), table + 4);
        EXPECT_EQ(LiveControlObjectCount(), records + 6);
        PostFormShown(window, 42);
        EXPECT_TRUE(PumpUntil([] { return gSeen.shownValue == 42; }));

        SendMessageW(button, BM_CLICK, 0, 0);
        NMLISTVIEW click{};
        click.hdr = {list, 105, static_cast<UINT>(LVN_COLUMNCLICK)};
        click.iSubItem = 1;
        SendMessageW(window, WM_NOTIFY, 105, reinterpret_cast<LPARAM>(&click));
        SendMessageW(edit, WM_LBUTTONDBLCLK, 0, 0);
        SetControlText(edit, L"abc");
        EXPECT_EQ(gSeen.commands, std::vector<int>{103});
        EXPECT_EQ(gSeen.columnClicks, std::vector<int>{1});
        EXPECT_EQ(gSeen.doubleClicks, 1);
        EXPECT_EQ(GetControlText(edit).Str(), L"abc") << "the edit control's own procedure still runs";

        DestroyWindow(edit);
        EXPECT_EQ(LiveControlObjectCount(), records + 5) << "a control destroyed alone frees its record";
        SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_FALSE(IsWindow(window)) << "the close box closes the form";
    }
    EXPECT_TRUE(gSeen.recordAtDestroy) << "the form's destroy event runs before its records go";
    EXPECT_EQ(HandleTableCount(), table);
    EXPECT_EQ(LiveControlObjectCount(), records);
    EXPECT_EQ(LiveFormWindowCount(), frames);
    for (HWND h : {window, edit, button, list}) EXPECT_EQ(HandleTableFind(h), nullptr);
}

namespace {

HWND gOwner = nullptr;
bool gOwnerDisabled = false;

LRESULT CALLBACK ClosingWhenShown(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{nullptr, nullptr, [](HWND form, LPARAM) noexcept {
                                       gOwnerDisabled = !IsWindowEnabled(gOwner);
                                       PostMessageW(form, WM_CLOSE, 0, 0);
                                   }};
    return FormProcedure(form, message, wParam, lParam, events);
}

}  // namespace

TEST(ModalLoop, RunsUntilTheFormIsGoneWithItsOwnerDisabledOrUntilAQuitMessage) {
    const TestForm owner(300, 200), modal(200, 100, 0, ClosingWhenShown);
    gOwner = owner.Window();
    PostFormShown(modal.Window(), 0);
    // A loop that missed the form's end would be ended by this quit message, with the form still there.
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); });
    EXPECT_EQ(ShowModal(modal.Frame(), kModal, modal.Window(), owner.Window(), SW_SHOWNORMAL, 0), 0);
    KillTimer(nullptr, guard);
    EXPECT_FALSE(IsWindow(modal.Window()));
    EXPECT_TRUE(gOwnerDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Window()));

    PostQuitMessage(0);
    EXPECT_EQ(ShowModal(owner.Frame(), kModal, owner.Window(), nullptr, SW_SHOWNORMAL, 0), 0);
    EXPECT_TRUE(IsWindow(owner.Window()));
}
