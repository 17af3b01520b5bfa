#pragma once
#include "framework/Win32.h"

struct ControlObject;

// Work the generic form procedure and the modal loop hand to other parts of the framework and to the application.

// Lays out the anchored controls of a form for its current client size (WM_SIZE other than minimising).
void LayoutForm(HWND form) noexcept;
// Paints a form with its record: background and windowless labels, double-buffered (WM_PAINT). Must validate the
// window (BeginPaint/EndPaint).
void PaintForm(HWND form, ControlObject* record) noexcept;
// Offered every message of the modal loop before translation; non-zero means the message was handled and is
// neither translated nor dispatched.
int MessageHook(MSG* message) noexcept;
