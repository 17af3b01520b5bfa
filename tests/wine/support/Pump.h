#pragma once
#include <chrono>
#include <functional>

// Message pumping for window tests: forms are created modeless and the test drives them, dispatching this thread's
// messages until what it waits for has happened. Never a fixed sleep; always a deadline.

// Dispatches this thread's messages until condition() holds (checked before each wait) or the deadline passes.
// True when the condition held. WM_QUIT met on the way is counted in QuitMessagesSeen() and otherwise dropped.
bool PumpUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::milliseconds(5000));
// Dispatches whatever is queued for this thread now, without waiting.
void PumpPending();
// Number of WM_QUIT messages the pump has taken out of the queue so far.
int QuitMessagesSeen();
