#pragma once
#include <cstdint>

#include "framework/Win32.h"

struct FormWindow;

inline constexpr int32_t kModal = -1;  // the modal flag that runs the loop; any other value shows modeless

// Shows a form. Modal (flag -1): disables the owner's top-level window, runs the message loop until the form's window
// is gone or WM_QUIT arrives, enables the owner again and returns the modal result (0 in this program). Modeless (any
// other flag) or an MDI child: shows the window and returns its handle at once. SW_SHOWNORMAL on a
// WS_EX_NOACTIVATE window shows it without activating it.
INT_PTR ShowModal(FormWindow* form, int32_t modalFlag, HWND formWindow, HWND owner, int showCommand,
                  int32_t mdiFlag) noexcept;

// One message as the modal loop handles it: the message hook, accelerators, dialog navigation, then the dispatch.
// Also used by the waits that keep a window answering while its thread is busy (MessageWait.h).
void ProcessLoopMessage(MSG& msg, int32_t mdiFlag) noexcept;
