#include "support/Pump.h"

#include "framework/Win32.h"

namespace {

int gQuitMessages = 0;

// Dispatches one queued message; false when the queue is empty.
bool DispatchOne() {
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        ++gQuitMessages;
        return true;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    return true;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
    const auto end = std::chrono::steady_clock::now() + deadline;
    for (;;) {
        while (DispatchOne()) {
            if (condition()) return true;
        }
        if (condition()) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) return false;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count();
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left < 20 ? left : 20), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

void PumpPending() {
    while (DispatchOne()) {
    }
}

int QuitMessagesSeen() {
    return gQuitMessages;
}
