#include "framework/Controls.h"

#include <string>

#include "framework/ControlTypes.h"
#include "framework/DpiMath.h"
#include "framework/FormWindow.h"
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

#include <commctrl.h>

namespace {

constexpr wchar_t kPreviousProcedure[] = L"OLDWNDPROC";

struct PixelRect {
    int32_t x, y, width, height;
};

HANDLE LoadCaptionImage(const FormWindow& form, std::wstring_view caption, UINT type) noexcept {
    const ImageResourceName image = ImageNameFromCaption(caption);
    const LPCWSTR name = image.byId ? MAKEINTRESOURCEW(image.id) : image.name.c_str();
    return LoadImageW(form.module, name, type, 0, 0, LR_DEFAULTCOLOR);
}

void SendCaptionImage(HWND control, const FormWindow& form, std::wstring_view caption, UINT message,
                      UINT type) noexcept {
    if (const HANDLE image = LoadCaptionImage(form, caption, type)) {
        SendMessageW(control, message, type, reinterpret_cast<LPARAM>(image));
    }
}

void SetUpControl(HWND control, ControlSetup setup, const FormWindow& form, std::wstring_view caption,
                  const PixelRect& scaled) noexcept {
    const auto moveTo = [&] {
        SetWindowPos(control, nullptr, scaled.x, scaled.y, scaled.width, scaled.height, SWP_NOZORDER);
    };
    switch (setup) {
        case ControlSetup::None:
            break;
        case ControlSetup::ListBox:
            moveTo();  // a list box rounds its height to whole items at creation
            break;
        case ControlSetup::DateTimePicker:
            if (form.font) SendMessageW(control, DTM_SETMCFONT, reinterpret_cast<WPARAM>(form.font.Get()), TRUE);
            break;
        case ControlSetup::ProgressBar:
            SendMessageW(control, PBM_SETRANGE32, 0, 100);
            SendMessageW(control, PBM_SETPOS, 0, 0);
            break;
        case ControlSetup::TrackBar:
            SendMessageW(control, TBM_SETRANGEMIN, TRUE, 0);
            SendMessageW(control, TBM_SETRANGEMAX, TRUE, 100);
            SendMessageW(control, TBM_SETPAGESIZE, 0, 10);
            break;
        case ControlSetup::UpDown:
            SendMessageW(control, UDM_SETBASE, 10, 0);
            SendMessageW(control, UDM_SETRANGE32, 0, 100);  // low 0, high 100: the up arrow counts up
            SendMessageW(control, UDM_SETPOS32, 0, 0);
            moveTo();
            break;
        case ControlSetup::ScrollBar: {
            SCROLLINFO info{};
            info.cbSize = sizeof(info);
            info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
            info.nMin = 0;
            info.nMax = 100;
            SetScrollInfo(control, SB_CTL, &info, TRUE);
            break;
        }
        case ControlSetup::Toolbar: {
            const auto size = static_cast<DWORD>(SendMessageW(control, TB_GETBUTTONSIZE, 0, 0));
            const int32_t w = ScaleDesign(LOWORD(size), form.ratioX);
            const int32_t h = ScaleDesign(HIWORD(size), form.ratioY);
            SendMessageW(control, TB_SETBUTTONSIZE, 0, MAKELPARAM(w, h));
            SendMessageW(control, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);  // the size of this build's TBBUTTON
            break;
        }
        case ControlSetup::BitmapLabel:
            SendCaptionImage(control, form, caption, STM_SETIMAGE, IMAGE_BITMAP);
            break;
        case ControlSetup::IconLabel:
            SendCaptionImage(control, form, caption, STM_SETIMAGE, IMAGE_ICON);
            break;
        case ControlSetup::BitmapButton:
            SendCaptionImage(control, form, caption, BM_SETIMAGE, IMAGE_BITMAP);
            break;
        case ControlSetup::IconButton:
            SendCaptionImage(control, form, caption, BM_SETIMAGE, IMAGE_ICON);
            break;
    }
}

void Subclass(HWND control, const ControlSubclass& subclass) noexcept {
    if (subclass.classic != nullptr) {
        SetPropW(control, kPreviousProcedure, reinterpret_cast<HANDLE>(GetWindowLongPtrW(control, GWLP_WNDPROC)));
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(subclass.classic));
    } else if (subclass.procedure != nullptr) {
        CommonControls().SetWindowSubclass(control, subclass.procedure, subclass.id, subclass.data);
    }
}

}  // namespace

HWND AddControl(FormWindow& form, std::wstring_view typeName, HWND parent, int32_t id, std::wstring_view caption,
                int32_t x, int32_t y, int32_t width, int32_t height, int32_t style, int32_t exStyle,
                void* creationParameter, ControlSubclass subclass) noexcept {
    if (typeName.empty()) return nullptr;
    if (parent == nullptr) parent = form.window;

    std::wstring upper(typeName.substr(0, 259));
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    const ControlType& type = FindControlType(upper);
    const std::wstring className = ControlClassName(type, typeName);
    const ControlStyles styles = ResolveControlStyles(type, upper, style, exStyle);

    if (type.sizeGrip) {
        width = GetSystemMetrics(SM_CXVSCROLL);
        height = GetSystemMetrics(SM_CYHSCROLL);
        RECT client{};
        GetClientRect(form.window, &client);
        const GripRect grip = SizeGripRect(client.right, client.bottom, form.ratioX, form.ratioY, width, height);
        x = grip.x;
        y = grip.y;
    }
    const PixelRect scaled{ScaleDesign(x, form.ratioX), ScaleDesign(y, form.ratioY), ScaleDesign(width, form.ratioX),
                           ScaleDesign(height, form.ratioY)};
    const std::wstring text(caption);
    const HWND control = CreateWindowExW(
        styles.exStyle, className.c_str(), text.c_str(), styles.style, scaled.x, scaled.y, scaled.width, scaled.height,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), form.module, creationParameter);
    if (control == nullptr) return nullptr;

    if (form.font && !type.noFont) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(form.font.Get()), TRUE);
    SetUpControl(control, type.setup, form, caption, scaled);
    Subclass(control, subclass);
    return control;
}
