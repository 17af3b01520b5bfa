#include "framework/ModalLoop.h"

#include "framework/FormHooks.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

namespace {

// Process-wide result of the modal loop; nothing in this program sets it.
INT_PTR gModalResult = 0;

bool IsMdiChild(HWND window) noexcept {
    return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
}

// Climbs from a child window to its top-level window, stopping at an MDI child.
HWND TopLevelOf(HWND window) noexcept {
    while (window != nullptr && (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) && !IsMdiChild(window)) {
        const HWND parent = GetParent(window);
        if (parent == nullptr) break;
        window = parent;
    }
    return window;
}

}  // namespace

void ProcessLoopMessage(MSG& msg, int32_t mdiFlag) noexcept {
    if (MessageHook(&msg) != 0) return;
    const HWND target = TopLevelOf(msg.hwnd);
    if (target != nullptr) {
        const FormWindow* form = FormWindowFromHandle(target);
        if (GetMenu(target) != nullptr && form != nullptr && form->accelerators &&
            TranslateAcceleratorW(target, form->accelerators.Get(), &msg)) {
            return;
        }
        if (mdiFlag == -1 && TranslateMDISysAccel(target, &msg)) return;
        if (IsDialogMessageW(target, &msg)) return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

INT_PTR ShowModal(FormWindow* /*form*/, int32_t modalFlag, HWND formWindow, HWND owner, int showCommand,
                  int32_t mdiFlag) noexcept {
    if (showCommand == SW_SHOWNORMAL && (GetWindowLongPtrW(formWindow, GWL_EXSTYLE) & WS_EX_NOACTIVATE)) {
        showCommand = SW_SHOWNOACTIVATE;
    }
    if (IsMdiChild(formWindow) || modalFlag != kModal) {
        ShowWindow(formWindow, showCommand);
        return reinterpret_cast<INT_PTR>(formWindow);
    }

    HWND disabled = TopLevelOf(owner);
    if (disabled != nullptr) EnableWindow(disabled, FALSE);
    ShowWindow(formWindow, showCommand);
    UpdateWindow(formWindow);

    MSG msg{};
    // The loop ends with WM_QUIT (0) or an error (-1), or when the form's window is gone.
    while (IsWindow(formWindow) && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ProcessLoopMessage(msg, mdiFlag);
    }

    if (disabled != nullptr && IsWindow(disabled)) {
        EnableWindow(disabled, TRUE);
        OpenIcon(disabled);
        SetForegroundWindow(disabled);
        SetFocus(disabled);
    }
    const INT_PTR result = gModalResult;
    gModalResult = 0;
    return result;
}
