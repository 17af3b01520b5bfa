#include "framework/FormWindow.h"

#include "framework/ControlObject.h"
#include "framework/DpiMath.h"
#include "framework/FormProcedure.h"
#include "framework/ModalLoop.h"
#include "framework/Win32.h"
#include "support/Pump.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kFormStyle = 0x86CA0000;  // popup, caption, system menu, minimise box
constexpr DWORD kFormExStyle = 0x00010100;

std::wstring ClassNameOf(HWND window) {
    wchar_t name[260]{};
    GetClassNameW(window, name, 260);
    return name;
}

SIZE OuterSize(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.right - r.left, r.bottom - r.top};
}

// A form made the way the tool makes its own; the window owns the FormWindow once it exists.
HWND MakeForm(const wchar_t* className, int32_t x, int32_t y, int32_t width, int32_t height,
              WNDPROC procedure = PlainFormProcedure) {
    auto* form = new FormWindow(className);
    const HWND window =
        CreateFormWindow(*form, nullptr, L"Test form", procedure, x, y, width, height, kFormStyle, kFormExStyle);
    if (window == nullptr) delete form;
    return window;
}

}  // namespace

TEST(FormClasses, UnnamedClassesTakeTheRegistrationCount) {
    const int32_t first = FormClassCounter();
    const UniqueWindow a(MakeForm(L"", 0, 0, 200, 100));
    const UniqueWindow b(MakeForm(L"", 0, 0, 200, 100));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(ClassNameOf(a.Get()), L"KTWWindowClass:" + std::to_wstring(first));
    EXPECT_EQ(ClassNameOf(b.Get()), L"KTWWindowClass:" + std::to_wstring(first + 1));
    EXPECT_EQ(FormWindowFromHandle(a.Get())->className, ClassNameOf(a.Get()));
    if (first == 0) {  // a fresh process
        EXPECT_EQ(ClassNameOf(a.Get()), L"KTWWindowClass:0");
        EXPECT_EQ(ClassNameOf(b.Get()), L"KTWWindowClass:1");
    }
}

TEST(FormClasses, ASecondRegistrationReturnsTheStoredAtom) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    const int32_t counter = FormClassCounter();
    const ATOM atom = RegisterFormClass(L"FwStoredAtom", module, PlainFormProcedure);
    ASSERT_NE(atom, 0);
    // Asked again with another procedure: the stored atom, and the platform is not asked (the class keeps its
    // first procedure).
    EXPECT_EQ(RegisterFormClass(L"FwStoredAtom", module, DefaultFormProcedure), atom);
    EXPECT_EQ(FormClassCounter(), counter + 1);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExW(module, L"FwStoredAtom", &wc));
    EXPECT_EQ(wc.lpfnWndProc, PlainFormProcedure);
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS));
    EXPECT_EQ(wc.cbWndExtra, static_cast<int>(sizeof(void*)));
    EXPECT_EQ(wc.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

TEST(FormClasses, AFailedRegistrationKeepsTheCounter) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = module;
    wc.lpszClassName = L"FwTakenElsewhere";
    ASSERT_NE(RegisterClassExW(&wc), 0);  // registered behind the framework's back
    const int32_t counter = FormClassCounter();
    EXPECT_EQ(RegisterFormClass(L"FwTakenElsewhere", module, nullptr), 0);
    EXPECT_EQ(FormClassCounter(), counter);
    UnregisterClassW(L"FwTakenElsewhere", module);
}

TEST(FormClasses, AClassRemovedWithItsLastFormIsRegisteredAnew) {
    const HWND first = MakeForm(L"FwReusedClass", 0, 0, 200, 100);
    ASSERT_NE(first, nullptr);
    DestroyWindow(first);
    // The form's WM_DESTROY deleted its FormWindow while the window still existed, so the class stayed; a failed
    // creation deletes it with no window left, and the class goes.
    auto* failing = new FormWindow(L"FwReusedClass");
    EXPECT_EQ(
        CreateFormWindow(*failing, reinterpret_cast<HWND>(0x12345), L"", PlainFormProcedure, 0, 0, 10, 10, WS_CHILD, 0),
        nullptr);  // no such parent
    delete failing;
    const UniqueWindow again(MakeForm(L"FwReusedClass", 0, 0, 200, 100));
    EXPECT_TRUE(again);
}

TEST(Forms, CreatedAtTheDesignSizeAt96Dpi) {
    const UniqueWindow form(MakeForm(L"FwSized", 0, 0, 777, 496));
    ASSERT_TRUE(form);
    EXPECT_EQ(OuterSize(form.Get()).cx, 777);
    EXPECT_EQ(OuterSize(form.Get()).cy, 496);
    const FormWindow* fw = FormWindowFromHandle(form.Get());
    ASSERT_NE(fw, nullptr);
    EXPECT_EQ(fw->window, form.Get());
    EXPECT_TRUE(fw->font);
}

TEST(Forms, CreatedAtTheScaledSizeDpi144) {
    const UniqueWindow form(MakeForm(L"FwSized", 10, 20, 777, 496));
    ASSERT_TRUE(form);
    EXPECT_EQ(OuterSize(form.Get()).cx, 1166);  // 1165.5 to the even neighbour
    EXPECT_EQ(OuterSize(form.Get()).cy, 744);
    RECT r{};
    GetWindowRect(form.Get(), &r);
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 30);
}

TEST(Forms, DefaultPositionIsNotScaledDpi144) {
    const UniqueWindow form(MakeForm(L"FwSized", CW_USEDEFAULT, CW_USEDEFAULT, 200, 100, PlainFormProcedure));
    ASSERT_TRUE(form);
    EXPECT_EQ(OuterSize(form.Get()).cx, 300);
}

TEST(Forms, NotAWindowOfAFormClassHasNoFormWindow) {
    const UniqueWindow button(
        CreateWindowExW(0, L"Button", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(FormWindowFromHandle(button.Get()), nullptr);
    EXPECT_EQ(FormWindowFromHandle(nullptr), nullptr);
}

TEST(Forms, CreatingTwiceGivesNothing) {
    FormWindow* fw = nullptr;
    const UniqueWindow form(MakeForm(L"FwTwice", 0, 0, 100, 100));
    fw = FormWindowFromHandle(form.Get());
    ASSERT_NE(fw, nullptr);
    EXPECT_EQ(CreateFormWindow(*fw, nullptr, L"", nullptr, 0, 0, 10, 10, WS_POPUP, 0), nullptr);
}

TEST(Forms, CentringAWindowLargerThanTheWorkAreaKeepsItsLeftEdge) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    const UniqueWindow big(MakeForm(L"FwCentred", 0, 0, (area.right - area.left) + 400, 200));
    ASSERT_TRUE(big);
    CentreWindow(big.Get(), nullptr);
    RECT r{};
    GetWindowRect(big.Get(), &r);
    EXPECT_EQ(r.left, area.left);
    EXPECT_EQ(r.top, area.top + (area.bottom - area.top - 200) / 2);
}

TEST(Forms, CentringOnTheWorkAreaAndOnAWindow) {
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0));
    const UniqueWindow form(MakeForm(L"FwCentred", 0, 0, 777, 496));
    CentreWindow(form.Get(), nullptr);
    RECT r{};
    GetWindowRect(form.Get(), &r);
    EXPECT_EQ(r.left, area.left + (area.right - area.left - 777) / 2);
    EXPECT_EQ(r.top, area.top + (area.bottom - area.top - 496) / 2);
    EXPECT_EQ(r.right - r.left, 777);  // moved, not resized

    const UniqueWindow small(MakeForm(L"FwCentred", 0, 0, 100, 50));
    CentreWindow(small.Get(), form.Get());
    RECT s{};
    GetWindowRect(small.Get(), &s);
    EXPECT_EQ(s.left, r.left + (777 - 100) / 2);
    EXPECT_EQ(s.top, r.top + (496 - 50) / 2);
}

TEST(ModalLoop, ModelessShowReturnsTheWindowAtOnce) {
    const UniqueWindow form(MakeForm(L"FwModeless", 0, 0, 200, 100));
    EXPECT_EQ(ShowModal(FormWindowFromHandle(form.Get()), 0, form.Get(), nullptr, SW_SHOWNORMAL, 0),
              reinterpret_cast<INT_PTR>(form.Get()));
    EXPECT_TRUE(IsWindowVisible(form.Get()));
}

TEST(ModalLoop, ShowNormalDoesNotActivateANoActivateForm) {
    const UniqueWindow active(MakeForm(L"FwModeless", 0, 0, 200, 100));
    ShowModal(nullptr, 0, active.Get(), nullptr, SW_SHOWNORMAL, 0);
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == active.Get(); }));
    auto* fw = new FormWindow(L"FwNoActivate");
    const UniqueWindow quiet(
        CreateFormWindow(*fw, nullptr, L"", PlainFormProcedure, 300, 0, 200, 100, kFormStyle, WS_EX_NOACTIVATE));
    ASSERT_TRUE(quiet);
    ShowModal(fw, 0, quiet.Get(), nullptr, SW_SHOWNORMAL, 0);
    PumpPending();
    EXPECT_TRUE(IsWindowVisible(quiet.Get()));
    EXPECT_EQ(GetActiveWindow(), active.Get());
}

namespace {

HWND gModalOwner = nullptr;
bool gOwnerDisabledInLoop = false;

void CloseWhenShown(HWND form, LPARAM) noexcept {
    gOwnerDisabledInLoop = !IsWindowEnabled(gModalOwner);
    PostMessageW(form, WM_CLOSE, 0, 0);
}

LRESULT CALLBACK ClosingFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents events{nullptr, nullptr, CloseWhenShown, nullptr};
    return FormProcedure(form, message, wParam, lParam, events);
}

}  // namespace

TEST(ModalLoop, EndsWhenTheFormIsGoneAndEnablesTheOwnerAgain) {
    PumpPending();
    const UniqueWindow owner(MakeForm(L"FwOwner", 0, 0, 300, 200));
    gModalOwner = owner.Get();
    const int32_t formWindows = LiveFormWindowCount();
    const HWND form = MakeForm(L"FwModal", 0, 0, 200, 100, ClosingFormProcedure);
    ASSERT_NE(form, nullptr);
    AttachFormRecord(form, NewControlObject());
    PostFormShown(form, 0);
    // Posted from a timer as well: if the loop failed to end, the quit message ends it and the test fails below.
    const UINT_PTR guard = SetTimer(nullptr, 0, 10000, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(7); });
    EXPECT_EQ(ShowModal(FormWindowFromHandle(form), kModal, form, owner.Get(), SW_SHOWNORMAL, 0), 0);
    KillTimer(nullptr, guard);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(gOwnerDisabledInLoop);
    EXPECT_TRUE(IsWindowEnabled(owner.Get()));
    EXPECT_EQ(LiveFormWindowCount(), formWindows);  // the form's own was freed
    EXPECT_EQ(HandleTableFind(form), nullptr);
}

TEST(ModalLoop, EndsOnAQuitMessage) {
    const UniqueWindow form(MakeForm(L"FwModal", 0, 0, 200, 100));
    PostQuitMessage(0);
    EXPECT_EQ(ShowModal(FormWindowFromHandle(form.Get()), kModal, form.Get(), nullptr, SW_SHOWNORMAL, 0), 0);
    EXPECT_TRUE(IsWindow(form.Get()));
}

TEST(DefaultFormProcedure, ClosesOnCancelAndQuitsOnDestroy) {
    const HWND form = MakeForm(L"", 0, 0, 200, 100, nullptr);
    ASSERT_NE(form, nullptr);
    PumpPending();
    const int quits = QuitMessagesSeen();
    SendMessageW(form, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_FALSE(IsWindow(form));
    EXPECT_TRUE(PumpUntil([&] { return QuitMessagesSeen() == quits + 1; }));

    const HWND other = MakeForm(L"", 0, 0, 200, 100, nullptr);
    SendMessageW(other, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
    EXPECT_TRUE(IsWindow(other));
    SendMessageW(other, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindow(other));
    PumpPending();
}
