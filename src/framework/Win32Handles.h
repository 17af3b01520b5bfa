#pragma once
#include "framework/Unique.h"
#include "framework/Win32.h"

// Owning wrappers for the platform handles the framework keeps. A plain handle type in a struct is borrowed.

template <typename H>
struct GdiTraits {
    using Type = H;
    static H Empty() noexcept { return nullptr; }
    static void Close(H h) noexcept { DeleteObject(h); }
};
using UniqueFont = Unique<GdiTraits<HFONT>>;
using UniqueBrush = Unique<GdiTraits<HBRUSH>>;
using UniqueBitmap = Unique<GdiTraits<HBITMAP>>;

struct AcceleratorTraits {
    using Type = HACCEL;
    static HACCEL Empty() noexcept { return nullptr; }
    static void Close(HACCEL h) noexcept { DestroyAcceleratorTable(h); }
};
using UniqueAccelerators = Unique<AcceleratorTraits>;

struct WindowTraits {
    using Type = HWND;
    static HWND Empty() noexcept { return nullptr; }
    static void Close(HWND h) noexcept {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
using UniqueWindow = Unique<WindowTraits>;

struct LibraryTraits {
    using Type = HMODULE;
    static HMODULE Empty() noexcept { return nullptr; }
    static void Close(HMODULE h) noexcept { FreeLibrary(h); }
};
using UniqueLibrary = Unique<LibraryTraits>;

struct KernelHandleTraits {  // events, threads: the handles for which "none" is null
    using Type = HANDLE;
    static HANDLE Empty() noexcept { return nullptr; }
    static void Close(HANDLE h) noexcept { CloseHandle(h); }
};
using UniqueKernelHandle = Unique<KernelHandleTraits>;

// A device context of the whole screen for the span of a query.
class ScreenDc {
  public:
    ScreenDc() noexcept : dc_(GetDC(nullptr)) {}
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    ~ScreenDc() {
        if (dc_) ReleaseDC(nullptr, dc_);
    }
    HDC Get() const noexcept { return dc_; }

  private:
    HDC dc_;
};
