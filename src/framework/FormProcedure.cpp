#include "framework/FormProcedure.h"

#include "framework/ColorValue.h"
#include "framework/ControlObject.h"
#include "framework/FormHooks.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

namespace {

constexpr wchar_t kRecordProperty[] = L"FCP_TYPE_PTR";
constexpr wchar_t kPreviousProcedure[] = L"OLDWNDPROC";

void OnShown(HWND form, LPARAM userValue, const FormEvents& events) noexcept {
    RECT client{};
    GetClientRect(form, &client);
    SendMessageW(form, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    if (events.shown != nullptr) events.shown(form, userValue);
    InvalidateRect(form, nullptr, TRUE);
    UpdateWindow(form);
}

// The control colours: the record's own, else the form's background, else the button face.
LRESULT OnControlColor(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    ControlObject* record = FindControlObject(reinterpret_cast<HWND>(lParam));
    if (record == nullptr) return DefWindowProcW(form, message, wParam, lParam);
    const auto dc = reinterpret_cast<HDC>(wParam);
    const int32_t text = ResolveColor(record->textColor, kNoColor);
    if (text != kNoColor) SetTextColor(dc, static_cast<COLORREF>(text));
    int32_t back = ResolveColor(record->backColor, kNoColor);
    if (back == kNoColor) {
        const ControlObject* formRecord = FindControlObject(form);
        if (formRecord == nullptr) return DefWindowProcW(form, message, wParam, lParam);
        back = ResolveColor(formRecord->backColor, kNoColor);
        if (back == kNoColor) back = static_cast<int32_t>(GetSysColor(COLOR_BTNFACE));
    }
    SetBkColor(dc, static_cast<COLORREF>(back));
    return reinterpret_cast<LRESULT>(RecordBrush(*record, back));
}

void OnSystemColorChange(HWND form, ControlObject* record) noexcept {
    if (record == nullptr) return;
    const int32_t formColor = ResolveColor(record->backColor, static_cast<int32_t>(GetSysColor(COLOR_BTNFACE)));
    RecordBrush(*record, formColor);
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ControlObject* c = FindControlObject(child)) RecordBrush(*c, ResolveColor(c->backColor, formColor));
    }
}

void OnFormDestroy(HWND form, const FormEvents& events) noexcept {
    if (events.destroy != nullptr) events.destroy(form);
    if (FormWindow* window = FormWindowFromHandle(form)) {
        SetWindowLongPtrW(form, 0, 0);
        delete window;
    }
    ControlObject* record = FindControlObject(form);
    while (record != nullptr) {
        ControlObject* next = record->next;
        FreeControlObject(record);
        record = next;
    }
    RemovePropW(form, kRecordProperty);
    HandleTableRemove(form);
}

}  // namespace

void PostFormShown(HWND form, LPARAM userValue) noexcept {
    PostMessageW(form, FormShownMessage, kFormShownWParam, userValue);
}

LRESULT FormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam, const FormEvents& events) noexcept {
    switch (message) {
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) LayoutForm(form);
            break;
        case WM_PAINT:
            if (ControlObject* record = FindControlObject(form)) {
                PaintForm(form, record);
                return -1;
            }
            break;  // without a record the default painting validates the window
        case FormShownMessage:
            if (wParam != kFormShownWParam) break;
            OnShown(form, lParam, events);
            return 0;
        case WM_COMMAND:
            if (events.command != nullptr) events.command(form, wParam, lParam);
            break;
        case WM_NOTIFY:
            if (events.notify != nullptr && lParam != 0) events.notify(form, *reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_GETMINMAXINFO:
            if (GetWindowLongPtrW(form, GWL_EXSTYLE) & WS_EX_MDICHILD) break;
            DefWindowProcW(form, message, wParam, lParam);
            return 0;
        case WM_SYSCOMMAND:
            if ((wParam & 0xFFF0) != SC_CLOSE) break;
            SendMessageW(form, WM_CLOSE, wParam, lParam);
            return 0;
        case WM_SETFOCUS:
            if (const ControlObject* record = FindControlObject(form); record != nullptr && IsWindow(record->focus)) {
                SetFocus(record->focus);
            }
            break;
        case WM_SYSCOLORCHANGE:
        case WM_THEMECHANGED:
            OnSystemColorChange(form, FindControlObject(form));
            break;
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                const ControlObject* under = FindControlObject(reinterpret_cast<HWND>(wParam));
                if (under != nullptr && under->cursor != nullptr) {
                    SetCursor(under->cursor);
                    return -1;
                }
            }
            break;
        case WM_ERASEBKGND:
            return -1;  // the paint covers the whole client area
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            return OnControlColor(form, message, wParam, lParam);
        case WM_DESTROY:
            OnFormDestroy(form, events);
            break;
        default:
            break;
    }
    return DefWindowProcW(form, message, wParam, lParam);
}

LRESULT CALLBACK PlainFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const FormEvents none{};
    return FormProcedure(form, message, wParam, lParam, none);
}

LRESULT ControlSubclassProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                 ControlEvent event) noexcept {
    ControlObject* record = FindControlObject(control);
    if (event != nullptr) event(control, record, message, wParam, lParam);
    const auto previous = reinterpret_cast<WNDPROC>(GetPropW(control, kPreviousProcedure));
    switch (message) {
        case WM_DESTROY:
            RemovePropW(control, kPreviousProcedure);
            if (previous != nullptr) SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            RemovePropW(control, kRecordProperty);
            HandleTableRemove(control);
            FreeControlObject(record);
            break;
        case WM_SETFOCUS: {
            // The owning form: the grandparent when the control sits in a child container, else the parent.
            HWND parent = GetParent(control);
            HWND owner = (GetWindowLongPtrW(parent, GWL_STYLE) & WS_CHILD) ? GetParent(parent) : parent;
            if (ControlObject* form = FindControlObject(owner)) form->focus = control;
            break;
        }
        default:
            break;
    }
    if (previous == nullptr) return DefWindowProcW(control, message, wParam, lParam);
    return CallWindowProcW(previous, control, message, wParam, lParam);
}

LRESULT CALLBACK PlainControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    return ControlSubclassProcedure(control, message, wParam, lParam, nullptr);
}
