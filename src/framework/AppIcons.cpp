#include "framework/AppIcons.h"

#include "framework/ControlObject.h"
#include "framework/Win32.h"

namespace {

constexpr wchar_t kFormIconGroup[] = L"ICON_DOWNPIC";

HICON LoadFormIcon(HINSTANCE module, int size) noexcept {
    return static_cast<HICON>(LoadImageW(module, kFormIconGroup, IMAGE_ICON, size, size, 0));
}

}  // namespace

void SetFormIcons(HWND form, ControlObject& record, HINSTANCE module) noexcept {
    // A form that is given its icons again lets go of the earlier pair.
    if (record.largeIcon != nullptr) DestroyIcon(record.largeIcon);
    if (record.smallIcon != nullptr) DestroyIcon(record.smallIcon);
    record.largeIcon = LoadFormIcon(module, kBigFormIconSize);
    record.smallIcon = LoadFormIcon(module, kSmallFormIconSize);
    SendMessageW(form, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(record.largeIcon));
    SendMessageW(form, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(record.smallIcon));
}
