#pragma once
#include <functional>

// Starts a thread with the default stack size that runs the body and is never waited for (its handle is closed at
// once). False when no thread could be started; the body then never runs.
bool StartDetachedThread(std::function<void()> body) noexcept;
