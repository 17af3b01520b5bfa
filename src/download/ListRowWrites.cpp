#include "download/ListRowWrites.h"

#include "download/DownloadRun.h"
#include "framework/Win32.h"
#include "services/ListView.h"
#include "services/WString.h"

namespace {

constexpr wchar_t kClassName[] = L"VoyantaRowWrites";
constexpr UINT kApplyRowWrites = WM_APP + 1;
constexpr UINT_PTR kMoveTimer = 1;
constexpr std::chrono::milliseconds kMoveInterval{250};

bool RegisterWriterClass(HINSTANCE module, WNDPROC procedure) noexcept {
    static bool registered = false;  // window thread only
    if (registered) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = module;
    wc.lpszClassName = kClassName;
    registered = RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
}

// True when the writes end a run (its header is written last).
bool ApplyWrites(HWND list, const std::vector<RowWrite>& writes) noexcept {
    bool runEnded = false;
    for (const RowWrite& write : writes) {
        switch (write.kind) {
            case RowWrite::Kind::Status:
                ListViewSetItemText(list, write.row, kStatusColumn, WString(write.text));
                break;
            case RowWrite::Kind::Uncheck:
                ListViewSetCheckState(list, write.row, false);
                break;
            case RowWrite::Kind::Header:
                ListViewSetColumnText(list, kStatusColumn, WString(write.text));
                runEnded = true;
                break;
        }
    }
    return runEnded;
}

}  // namespace

ListRowWriter::ListRowWriter(HWND list) : list_(list) {
    const HINSTANCE module = GetModuleHandleW(nullptr);
    if (!RegisterWriterClass(module, Procedure)) return;
    window_.Reset(CreateWindowExW(0, kClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, module, nullptr));
    if (window_) SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void ListRowWriter::Wake(HWND wakeWindow) noexcept {
    PostMessageW(wakeWindow, kApplyRowWrites, 0, 0);  // a window that is gone receives nothing
}

LRESULT CALLBACK ListRowWriter::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* writer = reinterpret_cast<ListRowWriter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (writer && message == kApplyRowWrites) {
        writer->ApplyQueued();
        return 0;
    }
    if (writer && message == WM_TIMER && wParam == kMoveTimer) {
        writer->MoveToNewest();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void ListRowWriter::ApplyQueued() noexcept {
    const RowWriteBatch batch = queue_->Take();
    const bool runEnded = ApplyWrites(list_, batch.writes);
    if (batch.newestStarted >= 0) newestStarted_ = batch.newestStarted;
    if (newestStarted_ < 0) return;
    const Clock::duration sinceMove = Clock::now() - lastMove_;
    if (runEnded || sinceMove >= kMoveInterval) {
        MoveToNewest();
    } else if (!moveTimer_) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(kMoveInterval - sinceMove);
        moveTimer_ = SetTimer(window_.Get(), kMoveTimer, static_cast<UINT>(wait.count()) + 1, nullptr) != 0;
    }
}

void ListRowWriter::MoveToNewest() noexcept {
    if (moveTimer_) KillTimer(window_.Get(), kMoveTimer);
    moveTimer_ = false;
    if (newestStarted_ < 0) return;
    if (ListViewGetSelectionMark(list_) < newestStarted_) ListViewSelectItem(list_, newestStarted_);
    ListViewEnsureSelectionVisible(list_);
    newestStarted_ = -1;
    lastMove_ = Clock::now();
}
