#include "framework/AppGdiplus.h"

#include "framework/Win32.h"

GdiplusSession::GdiplusSession() noexcept {
    Gdiplus::GdiplusStartupInput input;  // version 1, no callback, nothing suppressed
    status_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

GdiplusSession::~GdiplusSession() {
    if (Started()) Gdiplus::GdiplusShutdown(token_);
}
