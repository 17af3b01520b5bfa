#pragma once
#include <cstdint>

#include "framework/SystemLibraries.h"
#include "framework/Unique.h"
#include "framework/Win32.h"
#include "framework/Win32Handles.h"

struct ControlObject;

// Double-buffered painting of a form and its windowless labels: everything is drawn into an off-screen bitmap (GDI+
// for fills and borders, GDI for text) that is copied to the window in one step. Window thread only; GDI+ must be
// running (see GdiplusSession).

struct MemoryDcTraits {
    using Type = HDC;
    static HDC Empty() noexcept { return nullptr; }
    static void Close(HDC dc) noexcept { DeleteDC(dc); }
};
using UniqueMemoryDc = Unique<MemoryDcTraits>;

struct GdipGraphicsTraits {
    using Type = Gdiplus::GpGraphics*;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type g) noexcept { Gdip().GdipDeleteGraphics(g); }
};
struct GdipPenTraits {
    using Type = Gdiplus::GpPen*;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type p) noexcept { Gdip().GdipDeletePen(p); }
};
struct GdipBrushTraits {
    using Type = Gdiplus::GpBrush*;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type b) noexcept { Gdip().GdipDeleteBrush(b); }
};
struct GdipImageTraits {
    using Type = Gdiplus::GpImage*;
    static Type Empty() noexcept { return nullptr; }
    static void Close(Type i) noexcept { Gdip().GdipDisposeImage(i); }
};

// A bitmap selected into a memory DC; the DC's own bitmap goes back in before either is deleted (a bitmap still
// selected into a DC cannot be deleted).
struct SelectedBitmap {
    UniqueMemoryDc dc;
    UniqueBitmap bitmap;
    HGDIOBJ original = nullptr;  // the DC's own one-pixel bitmap, borrowed
    SelectedBitmap() = default;
    SelectedBitmap(SelectedBitmap&&) = delete;
    ~SelectedBitmap();
    // A compatible DC with a compatible bitmap of that size selected into it; false when either cannot be made.
    bool Make(HDC target, int32_t width, int32_t height) noexcept;
    // The DC's own bitmap back in, then both deleted.
    void Release() noexcept;
};

// One paint of one window: lives on the stack of the paint handler, from BeginPaintContext to EndPaintContext.
struct PaintContext {
    PaintContext() = default;
    PaintContext(const PaintContext&) = delete;
    PaintContext& operator=(const PaintContext&) = delete;
    ~PaintContext();

    PAINTSTRUCT paint{};
    SelectedBitmap background;  // the window's pixels before painting (background colour -1 only)
    UniqueFont font;            // the paint font, selected into the back DC
    HGDIOBJ originalFont = nullptr;
    Unique<GdipPenTraits> pen;
    Unique<GdipBrushTraits> brush;
    Unique<GdipImageTraits> image;
    SelectedBitmap back;  // the off-screen buffer
    HDC target = nullptr;
    Unique<GdipGraphicsTraits> graphics;
    HWND window = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t originX = 0;
    int32_t originY = 0;
    bool paintMode = false;  // the context owns a BeginPaint/EndPaint pair
    bool windowDc = false;   // target from GetWindowDC (else GetDC) when not in paint mode
    bool ended = false;
    float ratioX = 1.0f;  // target DC's LOGPIXELSX / 96
    float ratioY = 1.0f;
};

// Starts a paint: the target DC (BeginPaint in paint mode, else the window or client DC), an off-screen buffer of the
// given size (0 x 0: the window's whole client area, or whole window with the window-DC flag) filled with the
// background colour (a GDI colour; -1 keeps the window's current pixels), GDI+ graphics on it, the paint font and a
// one-pixel black pen.
void BeginPaintContext(PaintContext& context, HWND window, int32_t background, bool paintMode, int32_t originX,
                       int32_t originY, int32_t width, int32_t height, bool windowDc) noexcept;
// Copies the buffer to the window and releases the target DC and everything the context made.
void EndPaintContext(PaintContext& context) noexcept;

// The pen: none below width 1.0, else that width (design units, scaled by the context's ratio) in an ARGB colour.
void SetPaintPen(PaintContext& context, float width, uint32_t argb) noexcept;
// The fill: none for colour 0 (transparent black), else a solid ARGB brush.
void SetPaintBrush(PaintContext& context, uint32_t argb) noexcept;
// Fills with the brush and then outlines with the pen a rectangle in design units (scaled, not rounded).
void PaintRectangle(PaintContext& context, float x, float y, float width, float height) noexcept;

// Draws one windowless label of the form into the context: fill, border, then its caption in its font, aligned
// inside its rectangle. Hidden labels and unknown ids draw nothing.
void DrawWindowlessLabel(int32_t id, PaintContext& context, HWND form, int32_t background) noexcept;
