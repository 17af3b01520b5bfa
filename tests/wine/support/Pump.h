#pragma once
// Message pumping for window tests: forms are created modeless and the test drives them, dispatching this thread's
// messages until what it waits for has happened. Never a fixed sleep; always a deadline.
#include <chrono>
#include <functional>

// Dispatches this thread's messages until condition() holds or the deadline passes; true when it held. A WM_QUIT met
// on the way is dropped.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));
// Dispatches whatever is queued for this thread now, without waiting.
inline void PumpPending() {
    PumpUntil([] { return false; }, std::chrono::milliseconds(0));
}
