#pragma once
#include "framework/Win32.h"

struct ControlObject;

// The form's window icons from the icon group ICON_DOWNPIC of the module: the group's 48 x 48 image as the big icon
// and its 32 x 32 image as the small one, whatever the display scale. Each is loaded as an icon of its own: a shared
// load hands back the first size loaded for every later size on Windows, and a shared icon must not be destroyed.
// Both are kept in the form's record (which destroys them with the form) and handed to the window with WM_SETICON.
// A missing resource leaves that icon null and the form without it.
void SetFormIcons(HWND form, ControlObject& record, HINSTANCE module) noexcept;

inline constexpr int kBigFormIconSize = 48;
inline constexpr int kSmallFormIconSize = 32;
