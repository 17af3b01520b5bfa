#pragma once
#include <cstdint>

#include "download/DownloadLimits.h"
#include "framework/App.h"
#include "framework/Win32.h"

// The tool's one window: the address box and its button, the folder box and the download button, two labels and the
// picture list. Built once at start (BuildAndShowForm1, declared with the application's start); the rest of the tool
// reaches its controls through the main form object while the window exists.

inline constexpr int32_t kText1Id = 102;
inline constexpr int32_t kCommand1Id = 103;
inline constexpr int32_t kLabel1Id = 104;
inline constexpr int32_t kListView1Id = 105;
inline constexpr int32_t kCommand2Id = 106;
inline constexpr int32_t kLabel3Id = 107;
inline constexpr int32_t kText3Id = 108;

// The bounds of the picture downloads of a window shown from now on; the real ones unless a test makes them smaller.
// Window thread.
void SetForm1DownloadLimits(const DownloadLimits& limits) noexcept;

// Clears the main form object's window and control wrappers; the window calls it when it is destroyed.
void ReleaseForm1Controls(MainFormObject& form) noexcept;

// Form1's window procedure and the procedure shared by its windowed controls (their own events, then the generic
// handling of the framework).
LRESULT CALLBACK Form1Procedure(HWND form, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
LRESULT CALLBACK Form1ControlProcedure(HWND control, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
