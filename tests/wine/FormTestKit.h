#pragma once
// A small form for the framework's window tests, built the way the tool builds its own: FormWindow, window, record,
// controls by type name with records and the generic control procedure. The window owns the FormWindow and the
// records once made; DestroyWindow frees them all.
#include <string_view>

#include "framework/ControlObject.h"
#include "framework/Controls.h"
#include "framework/FormProcedure.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

namespace testkit {

inline HWND MakeTestForm(WNDPROC procedure = PlainFormProcedure, int32_t width = 400, int32_t height = 300,
                         const wchar_t* className = L"FwTestForm") {
    auto* form = new FormWindow(className);
    const HWND window = CreateFormWindow(*form, nullptr, L"Test form", procedure, 0, 0, width, height,
                                         WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, WS_EX_CONTROLPARENT);
    if (window == nullptr) {
        delete form;
        return nullptr;
    }
    ControlObject* record = NewControlObject();
    record->name = "TestForm";
    AttachFormRecord(window, record);
    return window;
}

// A control with its record, subclassed with the generic control procedure (or the given one).
inline HWND AddTestControl(HWND form, std::wstring_view type, int32_t id, int32_t x, int32_t y, int32_t width,
                           int32_t height, int32_t style = -1, WNDPROC procedure = PlainControlProcedure) {
    FormWindow* fw = FormWindowFromHandle(form);
    if (fw == nullptr) return nullptr;
    const HWND control =
        AddControl(*fw, type, nullptr, id, L"", x, y, width, height, style, -1, nullptr, ClassicSubclass(procedure));
    if (control == nullptr) return nullptr;
    ControlObject* record = NewControlObject();
    record->parent = form;
    record->index = -1;
    record->id = id;
    record->left = x;
    record->top = y;
    record->width = width;
    record->height = height;
    AttachControlRecord(control, record);
    return control;
}

}  // namespace testkit
