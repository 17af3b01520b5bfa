#pragma once
#include <cstdint>

#include "framework/Win32.h"

struct ControlObject;

// Posted by a form's construction code once its controls exist (message 0x1000 with wParam 0x1000, lParam = a user
// value): handled when the loop runs, it lays the form out, runs the form's shown handler and repaints.
inline constexpr UINT FormShownMessage = 0x1000;
inline constexpr WPARAM kFormShownWParam = 0x1000;
void PostFormShown(HWND form, LPARAM userValue) noexcept;

// A form's own events, called by the generic form procedure. Any may be null.
struct FormEvents {
    void (*command)(HWND form, WPARAM wParam, LPARAM lParam) noexcept = nullptr;  // WM_COMMAND, then default
    void (*notify)(HWND form, const NMHDR& header) noexcept = nullptr;            // WM_NOTIFY, then default
    void (*shown)(HWND form, LPARAM userValue) noexcept = nullptr;                // FormShownMessage
    void (*destroy)(HWND form) noexcept = nullptr;  // WM_DESTROY, before the records are freed
};

// The generic handling every form's window procedure performs: layout on WM_SIZE, painting, the shown message,
// closing, focus, cursors, control colours, system colour changes and clean-up on WM_DESTROY (the FormWindow in the
// extra bytes and every record of the form).
LRESULT FormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam, const FormEvents& events) noexcept;
// The generic procedure of a form with no events of its own.
LRESULT CALLBACK PlainFormProcedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// A control's own events, called first by the generic control procedure; the message then goes on as usual.
using ControlEvent = void (*)(HWND control, ControlObject* record, UINT message, WPARAM wParam, LPARAM lParam) noexcept;

// The generic part of a classic control subclass: records the focus with the owning form, restores the control's
// previous procedure (window property "OLDWNDPROC") and frees its record on WM_DESTROY, and passes every message on to
// that previous procedure.
LRESULT ControlSubclassProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam, ControlEvent event) noexcept;
// The generic control procedure with no events of its own.
LRESULT CALLBACK PlainControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
