#pragma once
// Message pumping for window tests: forms are created modeless and the test drives them, dispatching this thread's
// messages until what it waits for has happened. Never a fixed sleep; always a deadline.
#include <algorithm>
#include <chrono>
#include <functional>

#include "framework/Win32.h"

// Dispatches this thread's messages until condition() holds or the deadline passes; true when it held. A WM_QUIT met
// on the way is dropped.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds deadline = std::chrono::milliseconds(5000)) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (MSG msg{};;) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (condition()) return true;
        }
        if (condition()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<long long>(left.count(), 20)), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}
// Dispatches whatever is queued for this thread now, without waiting.
inline void PumpPending() {
    PumpUntil([] { return false; }, std::chrono::milliseconds(0));
}
