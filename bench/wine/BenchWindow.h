#pragma once
// The tool's main window built modeless, exactly as the program builds it, with its chunk requests pointed at a
// loopback site; the benchmark drives it through its buttons and dispatches the window thread's messages meanwhile.
#include <chrono>
#include <cstdint>
#include <string>

#include "framework/AppGdiplus.h"
#include "framework/Win32.h"

class BenchWindow {
  public:
    // Shows the window and waits until its shown handler has run; then the chunk endpoint is the loopback site's.
    explicit BenchWindow(int port);
    ~BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;

    bool Ready() const { return ready_; }

    // Types the address and presses "查找图片"; the search runs inside the press. Seconds until the press returned
    // and every message it left queued (the list's repaint included) was handled.
    double Search(const std::string& address);
    // Presses "下载选中" and dispatches messages until the run has ended (the button is enabled again) or the limit
    // passed. Seconds from the press to the end; negative when the run did not end in time.
    double Download(std::chrono::seconds limit);

    int32_t Rows() const;
    std::wstring Cell(int32_t row, int32_t column) const;
    std::wstring Folder() const;  // the folder box

  private:
    GdiplusSession gdiplus_;
    HWND form_ = nullptr;
    bool ready_ = false;
};

// Dispatches this thread's messages until the condition holds or the limit passes; true when it held.
template <typename Condition>
bool PumpUntil(Condition condition, std::chrono::milliseconds limit);
void PumpPending();

template <typename Condition>
bool PumpUntil(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        PumpPending();
        if (condition()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count() < 20 ? left.count() : 20), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}
