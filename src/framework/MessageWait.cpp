#include "framework/MessageWait.h"

#include <algorithm>

#include "framework/ModalLoop.h"
#include "framework/Win32.h"

namespace {

// Touch and pointer input (WM_TOUCH to the last pointer message), which Windows turns into mouse input when no one
// handles it.
constexpr UINT kFirstTouchMessage = 0x0240;
constexpr UINT kLastPointerMessage = 0x0257;

// Input that would make the form's controls act. The frame's own input goes through: non-client mouse messages of the
// form itself (a control's scroll bars are its non-client area) and the system keys (Alt+F4, Alt+Space).
bool IsConsumedInput(HWND form, const MSG& msg) noexcept {
    if (msg.hwnd == nullptr || (msg.hwnd != form && !IsChild(form, msg.hwnd))) return false;
    const UINT m = msg.message;
    if (m >= WM_NCMOUSEMOVE && m <= WM_NCXBUTTONDBLCLK) return msg.hwnd != form;
    if (m >= WM_KEYFIRST && m <= WM_KEYLAST) return m != WM_SYSKEYDOWN && m != WM_SYSKEYUP && m != WM_SYSCHAR;
    return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= kFirstTouchMessage && m <= kLastPointerMessage);
}

}  // namespace

WaitEnd HandleQueuedMessages(HWND form, const bool& stop) noexcept {
    for (MSG msg{}; !stop && IsWindow(form) && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));  // the loop ends once the wait has returned
            return WaitEnd::Stopped;
        }
        if (!IsConsumedInput(form, msg)) ProcessLoopMessage(msg, 0);
    }
    return stop || !IsWindow(form) ? WaitEnd::Stopped : WaitEnd::Signalled;
}

WaitEnd WaitHandlingMessages(HWND form, HANDLE object, std::chrono::steady_clock::time_point deadline,
                             const bool& stop) noexcept {
    for (;;) {
        if (HandleQueuedMessages(form, stop) == WaitEnd::Stopped) return WaitEnd::Stopped;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const DWORD timeout = static_cast<DWORD>(std::clamp<int64_t>(left.count(), 0, INFINITE - 1));
        // Also woken by input already seen but left in the queue, which a plain wake on new input would sleep through.
        const DWORD woken = MsgWaitForMultipleObjectsEx(1, &object, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0) return WaitEnd::Signalled;
        // The deadline (also when input keeps coming), or a wait that cannot be made.
        if (woken != WAIT_OBJECT_0 + 1 || timeout == 0) return WaitEnd::TimedOut;
    }
}
