#include "framework/AppGdiplus.h"

#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

GdiplusSession::GdiplusSession() noexcept {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    status_ = Gdip().GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (Started()) Gdip().GdiplusShutdown(token_);
}
