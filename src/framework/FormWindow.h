#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Win32.h"
#include "framework/Win32Handles.h"

// What belongs to a top-level form as a window: its class, DPI ratios, default font and accelerators. Created by the
// form's construction code; once the window exists its address sits in the window's extra bytes and the form's
// WM_DESTROY deletes it. Before that (or when creation failed) the construction code deletes it.
struct FormWindow {
    // Sets the class name (at most 259 characters) and the module, applies the DPI rule and the default font rule,
    // and initialises every common control class.
    explicit FormWindow(std::wstring_view className);
    // Deletes the font and the accelerator table and unregisters the class (which fails while windows of it exist).
    ~FormWindow();
    FormWindow(const FormWindow&) = delete;
    FormWindow& operator=(const FormWindow&) = delete;

    HWND window = nullptr;
    HINSTANCE module = nullptr;
    UniqueFont font;  // default font of the form and its controls
    UniqueAccelerators accelerators;
    std::vector<ACCEL> acceleratorEntries;
    int32_t dpi = 96;
    float ratioX = 1.0f;
    float ratioY = 1.0f;
    ATOM classAtom = 0;
    std::wstring className;  // the name given; after creation the class name read back from the window
    int32_t fontSize = 0;    // points
    std::wstring fontFace;   // at most 31 characters
};

// Number of FormWindow objects alive, to check that forms free theirs.
int32_t LiveFormWindowCount() noexcept;

// The form's default font: the given face (or the form's face when empty), the point size scaled by the form's DPI
// over the screen's vertical DPI, never antialiased. The caller owns it.
HFONT CreateFormDefaultFont(const FormWindow& form, std::wstring_view face, int32_t points, int32_t weight,
                            uint8_t italic, uint8_t underline, uint8_t strikeout, uint8_t charset) noexcept;

// Registers a form class (CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS, room for the FormWindow address in the extra bytes,
// arrow cursor, button-face background). A name already registered here for the same module returns its stored atom
// without asking the platform again. An empty name gets "KTWWindowClass:" and the count of successful registrations.
// A null procedure means DefaultFormProcedure. 0 on failure.
ATOM RegisterFormClass(std::wstring_view className, HINSTANCE module, WNDPROC procedure) noexcept;
// Number of successful registrations so far (the number the next unnamed class gets).
int32_t FormClassCounter() noexcept;

// Creates the form's window: registers its class, makes its default font, scales the design rectangle by the form's
// ratios (CW_USEDEFAULT passes unscaled), passes the FormWindow as the creation parameter, sends the font and stores
// the FormWindow in the extra bytes. 0 when the form already has a window or registration or creation fails.
HWND CreateFormWindow(FormWindow& form, HWND parent, std::wstring_view caption, WNDPROC procedure, int32_t x, int32_t y,
                      int32_t width, int32_t height, DWORD style, DWORD exStyle) noexcept;

// The FormWindow of a window of a form class registered here; null for any other window.
FormWindow* FormWindowFromHandle(HWND window) noexcept;

// Centres the window on the reference window (or on the work area when there is none), kept inside the work area.
void CentreWindow(HWND window, HWND reference) noexcept;

// The procedure of a form class registered without one: closes on Cancel and on the close box, quits on destroy.
LRESULT CALLBACK DefaultFormProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
