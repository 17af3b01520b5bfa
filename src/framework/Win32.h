#pragma once
// The one header through which Win32 code reaches the platform. UNICODE, WIN32_LEAN_AND_MEAN, NOMINMAX and
// _WIN32_WINNT come from the build.
#include <algorithm>

#include <windows.h>
#include <objidl.h>  // before gdiplus.h under WIN32_LEAN_AND_MEAN
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>
