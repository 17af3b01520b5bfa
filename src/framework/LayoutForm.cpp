#include "framework/Layout.h"

#include "framework/ControlObject.h"
#include "framework/Dpi.h"
#include "framework/DpiMath.h"
#include "framework/FormHooks.h"
#include "framework/Win32.h"

namespace {

AnchorSpec AnchorOf(const ControlObject& record) {
    return {record.anchor, record.rightMargin, record.bottomMargin, record.horizontalOffset, record.verticalOffset};
}

// Lays out one record: `current` holds its stored left and top and its current width and height. Stores the new
// rectangle; false when the record is not anchored.
bool Relayout(ControlObject& record, DesignRect current, int32_t clientWidth, int32_t clientHeight) {
    const std::optional<DesignRect> placed = AnchoredRect(AnchorOf(record), current, clientWidth, clientHeight);
    if (!placed) return false;
    record.left = placed->left;
    record.top = placed->top;
    record.width = placed->width;
    record.height = placed->height;
    return true;
}

// A windowed control: its size is measured from its window, and the move joins the batch. A batch that failed once
// stays failed (null) and the remaining moves are dropped, as the platform does.
void RelayoutWindow(HDWP& batch, HWND window, ControlObject& record, int32_t clientWidth, int32_t clientHeight) {
    RECT r{};
    GetWindowRect(window, &r);
    const DesignRect current{record.left, record.top, RoundHalfEven(UnscaleX(static_cast<float>(r.right - r.left))),
                             RoundHalfEven(UnscaleY(static_cast<float>(r.bottom - r.top)))};
    if (!Relayout(record, current, clientWidth, clientHeight) || batch == nullptr) return;
    batch = DeferWindowPos(batch, window, nullptr, RoundHalfEven(ScaleX(static_cast<float>(record.left))),
                           RoundHalfEven(ScaleY(static_cast<float>(record.top))),
                           RoundHalfEven(ScaleX(static_cast<float>(record.width))),
                           RoundHalfEven(ScaleY(static_cast<float>(record.height))), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void LayoutForm(HWND form) noexcept {
    RECT client{};
    GetClientRect(form, &client);
    const int32_t width = RoundHalfEven(UnscaleX(static_cast<float>(client.right)));
    const int32_t height = RoundHalfEven(UnscaleY(static_cast<float>(client.bottom)));

    HDWP batch = BeginDeferWindowPos(1);
    for (HWND child = GetWindow(form, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlObject* record = HandleTableFind(child);
        if (record != nullptr && record->anchor > kAnchorNone) RelayoutWindow(batch, child, *record, width, height);
    }
    // Windowless controls only get their stored rectangle; the next paint draws them there. The form's own record is
    // not laid out: its window field names the control that last had the focus, not the form.
    const ControlObject* formRecord = HandleTableFind(form);
    for (ControlObject* record = formRecord != nullptr ? formRecord->next : nullptr; record != nullptr;
         record = record->next) {
        if (record->anchor <= kAnchorNone) continue;
        if (IsWindow(record->focus)) {
            RelayoutWindow(batch, record->focus, *record, width, height);
        } else {
            Relayout(*record, {record->left, record->top, record->width, record->height}, width, height);
        }
    }
    if (batch != nullptr) EndDeferWindowPos(batch);
}
