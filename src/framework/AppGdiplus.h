#pragma once
#include "framework/Win32.h"

// GDI+ from start to shutdown: GdiplusStartup with version 1, no debug callback, the background thread and external
// codecs not suppressed. The start's result is not acted on: painting without GDI+ simply draws no fills or borders.
class GdiplusSession {
  public:
    GdiplusSession() noexcept;
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const noexcept { return status_ == Gdiplus::Ok; }

  private:
    ULONG_PTR token_ = 0;
    Gdiplus::Status status_ = Gdiplus::GdiplusNotInitialized;
};
