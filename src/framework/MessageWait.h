#pragma once
#include <chrono>

#include "framework/Win32.h"

// Waiting on the window thread while the window stays alive: the thread's messages are handled as the modal loop
// handles them, except that keyboard and mouse input aimed at the form's client area or at its controls is consumed:
// neither acted on nor left queued. The frame keeps working: moving, minimising, the close box, Alt+F4 and the
// taskbar's Close. A WM_QUIT met is posted again for the loop and ends the wait. Window thread only.

enum class WaitEnd {
    Signalled,
    TimedOut,
    Stopped,  // `stop` was set by a message handled meanwhile, WM_QUIT was met, or the form is gone
};

// Handles what is queued for the thread now, without waiting. Stopped as above, else Signalled.
WaitEnd HandleQueuedMessages(HWND form, const bool& stop) noexcept;

// Handles messages until the object is signalled or the deadline passes.
WaitEnd WaitHandlingMessages(HWND form, HANDLE object, std::chrono::steady_clock::time_point deadline,
                             const bool& stop) noexcept;
