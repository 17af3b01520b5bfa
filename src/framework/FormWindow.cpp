#include "framework/FormWindow.h"

#include <algorithm>
#include <string>

#include "framework/Centring.h"
#include "framework/Dpi.h"
#include "framework/DpiMath.h"
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

#include <commctrl.h>

namespace {

constexpr size_t kMaxClassName = 259;
constexpr size_t kMaxRegisteredName = 255;

// Classes registered by name, so that a second form of the same class reuses the atom. Every atom registered here,
// named or not, so that a window can be recognised as a form. Window thread only; lives until the process ends.
struct ClassRegistry {
    struct Entry {
        std::wstring name;
        HINSTANCE module;
        ATOM atom;
    };
    std::vector<Entry> named;
    std::vector<ATOM> atoms;
    int32_t counter = 0;
};
ClassRegistry& Registry() {
    static ClassRegistry registry;
    return registry;
}

int32_t gLiveFormWindows = 0;

// After the platform unregistered a class: its atom no longer names it.
void ForgetClass(std::wstring_view name, HINSTANCE module, ATOM atom) {
    auto& named = Registry().named;
    auto& atoms = Registry().atoms;
    for (auto e = named.begin(); e != named.end();) {
        if (e->module == module && e->name == name) {
            atoms.erase(std::remove(atoms.begin(), atoms.end(), e->atom), atoms.end());
            e = named.erase(e);
        } else {
            ++e;
        }
    }
    atoms.erase(std::remove(atoms.begin(), atoms.end(), atom), atoms.end());
}

}  // namespace

FormWindow::FormWindow(std::wstring_view name)
    : module(GetModuleHandleW(nullptr)), className(name.substr(0, kMaxClassName)) {
    ++gLiveFormWindows;
    const bool aware = QueryProcessDpiAware();
    const FormDpi rule = ResolveFormDpi(RequestedFormDpi(aware), ScreenDpiX(), ScreenDpiY());
    dpi = rule.dpi;
    ratioX = rule.ratioX;
    ratioY = rule.ratioY;
    const DefaultFontChoice choice = DefaultFormFont(WindowsVersion(), aware);
    if (fontFace.empty()) fontFace = choice.face;
    if (fontSize == 0) fontSize = choice.points;
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0x7FFF;  // every class
    CommonControls().InitCommonControlsEx(&controls);
}

FormWindow::~FormWindow() {
    --gLiveFormWindows;
    font.Reset();
    accelerators.Reset();
    // Fails while windows of the class exist; when it succeeds the registry must forget the atom, or the next form of
    // this class would be given an atom that no longer names a class.
    if (!className.empty() && UnregisterClassW(className.c_str(), module)) ForgetClass(className, module, classAtom);
}

int32_t LiveFormWindowCount() noexcept {
    return gLiveFormWindows;
}

HFONT CreateFormDefaultFont(const FormWindow& form, std::wstring_view face, int32_t points, int32_t weight,
                            uint8_t italic, uint8_t underline, uint8_t strikeout, uint8_t charset) noexcept {
    if (face.empty()) face = form.fontFace;
    const int32_t screenDpiY = ScreenDpiY();
    points = PointsAtDpi(points, form.dpi, screenDpiY);
    return CreateFontOfHeight(face, FontHeightFromPoints(points, screenDpiY), weight, italic, underline, strikeout,
                              charset, false);
}

ATOM RegisterFormClass(std::wstring_view className, HINSTANCE module, WNDPROC procedure) noexcept {
    ClassRegistry& registry = Registry();
    std::wstring name;
    if (!className.empty()) {
        for (const ClassRegistry::Entry& e : registry.named) {
            if (e.module == module && e.name == className) return e.atom;
        }
        name = className.substr(0, kMaxRegisteredName);
    } else {
        name = L"KTWWindowClass:" + std::to_wstring(registry.counter);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = procedure != nullptr ? procedure : DefaultFormProcedure;
    wc.cbWndExtra = sizeof(FormWindow*);
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = name.c_str();
    const ATOM atom = RegisterClassExW(&wc);
    if (atom == 0) return 0;
    if (!className.empty()) registry.named.push_back({std::wstring(className), module, atom});
    registry.atoms.push_back(atom);
    ++registry.counter;
    return atom;
}

int32_t FormClassCounter() noexcept {
    return Registry().counter;
}

HWND CreateFormWindow(FormWindow& form, HWND parent, std::wstring_view caption, WNDPROC procedure, int32_t x, int32_t y,
                      int32_t width, int32_t height, DWORD style, DWORD exStyle) noexcept {
    if (form.window != nullptr) return nullptr;
    form.classAtom = RegisterFormClass(form.className, form.module, procedure);
    if (form.classAtom == 0) return nullptr;
    if (!form.font)
        form.font.Reset(CreateFormDefaultFont(form, form.fontFace, form.fontSize, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET));
    const auto scale = [](int32_t v, float ratio) { return v == kUseDefaultCoordinate ? v : ScaleDesign(v, ratio); };
    const std::wstring title(caption);
    const HWND window = CreateWindowExW(exStyle, MAKEINTATOM(form.classAtom), title.c_str(), style,
                                        scale(x, form.ratioX), scale(y, form.ratioY), scale(width, form.ratioX),
                                        scale(height, form.ratioY), parent, nullptr, form.module, &form);
    if (window == nullptr) return nullptr;
    form.window = window;
    wchar_t name[260]{};
    if (GetClassNameW(window, name, 260) > 0) form.className = name;
    if (form.font) SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.font.Get()), FALSE);
    SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(&form));
    return window;
}

FormWindow* FormWindowFromHandle(HWND window) noexcept {
    if (window == nullptr) return nullptr;
    const ATOM atom = static_cast<ATOM>(GetClassLongPtrW(window, GCW_ATOM));
    const auto& atoms = Registry().atoms;
    if (atom == 0 || std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) return nullptr;
    return reinterpret_cast<FormWindow*>(GetWindowLongPtrW(window, 0));
}

void CentreWindow(HWND window, HWND reference) noexcept {
    RECT own{};
    if (!GetWindowRect(window, &own)) return;
    const int32_t width = own.right - own.left;
    const int32_t height = own.bottom - own.top;
    RECT area{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
        area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    RECT ref = area;
    if (reference != nullptr) GetWindowRect(reference, &ref);
    POINT at{CentredStart(ref.left, ref.right - ref.left, width, area.left, area.right),
             CentredStart(ref.top, ref.bottom - ref.top, height, area.top, area.bottom)};
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) {
        ScreenToClient(reference != nullptr ? reference : GetParent(window), &at);
    }
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

LRESULT CALLBACK DefaultFormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    switch (message) {
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL && HIWORD(wParam) == 0) {
                SendMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) == SC_CLOSE) {
                SendMessageW(window, WM_CLOSE, 0, 0);
                return 0;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}
