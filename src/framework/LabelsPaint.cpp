#include "framework/LabelsPaint.h"

#include "framework/ControlObject.h"
#include "framework/Dpi.h"
#include "framework/DpiMath.h"
#include "framework/FormHooks.h"
#include "framework/Labels.h"
#include "framework/LabelsStyle.h"
#include "framework/SystemLibraries.h"
#include "framework/Win32.h"

static_assert(textformat::kCenter == DT_CENTER && textformat::kRight == DT_RIGHT &&
              textformat::kVCenter == DT_VCENTER && textformat::kBottom == DT_BOTTOM &&
              textformat::kWordBreak == DT_WORDBREAK && textformat::kSingleLine == DT_SINGLELINE &&
              textformat::kExpandTabs == DT_EXPANDTABS && textformat::kNoPrefix == DT_NOPREFIX &&
              textformat::kWordEllipsis == DT_WORD_ELLIPSIS);

namespace {

constexpr uint32_t kOpaqueBlack = 0xFF000000u;

}  // namespace

SelectedBitmap::~SelectedBitmap() {
    Release();
}

void SelectedBitmap::Release() noexcept {
    if (dc && original != nullptr) SelectObject(dc.Get(), original);
    original = nullptr;
    dc.Reset();
    bitmap.Reset();
}

bool SelectedBitmap::Make(HDC target, int32_t width, int32_t height) noexcept {
    dc.Reset(CreateCompatibleDC(target));
    bitmap.Reset(CreateCompatibleBitmap(target, width, height));
    if (!dc || !bitmap) return false;
    original = SelectObject(dc.Get(), bitmap.Get());
    return true;
}

PaintContext::~PaintContext() {
    if (!ended) EndPaintContext(*this);
}

void BeginPaintContext(PaintContext& context, HWND window, int32_t background, bool paintMode, int32_t originX,
                       int32_t originY, int32_t width, int32_t height, bool windowDc) noexcept {
    context.window = window;
    context.paintMode = paintMode;
    context.windowDc = windowDc;
    context.originX = originX;
    context.originY = originY;
    context.ratioX = context.ratioY = 1.0f;
    if (IsWindow(window)) {
        if (paintMode) {
            context.target = BeginPaint(window, &context.paint);
        } else {
            context.target = windowDc ? GetWindowDC(window) : GetDC(window);
        }
        if (width > 0 && height > 0) {
            context.width = width;
            context.height = height;
        } else {
            RECT r{};
            if (windowDc) {
                GetWindowRect(window, &r);
            } else {
                GetClientRect(window, &r);
            }
            context.width = r.right - r.left + 1 - originX;
            context.height = r.bottom - r.top + 1 - originY;
        }
    }
    if (context.target != nullptr && context.width > 0 && context.height > 0 &&
        context.back.Make(context.target, context.width, context.height)) {
        const HDC back = context.back.dc.Get();
        if (background == kNoColor) {
            // Paint over the window's current image.
            if (context.background.Make(context.target, context.width, context.height)) {
                BitBlt(context.background.dc.Get(), 0, 0, context.width, context.height, context.target, originX,
                       originY, SRCCOPY);
            }
            BitBlt(back, 0, 0, context.width, context.height, context.target, originX, originY, SRCCOPY);
        } else {
            const UniqueBrush brush(CreateSolidBrush(static_cast<COLORREF>(background)));
            const RECT all{0, 0, context.width, context.height};
            FillRect(back, &all, brush.Get());
        }
        SetBkMode(back, TRANSPARENT);
        Gdiplus::GpGraphics* graphics = nullptr;
        if (Gdip().GdipCreateFromHDC(back, &graphics) == Gdiplus::Ok) {
            context.graphics.Reset(graphics);
            Gdip().GdipSetSmoothingMode(graphics, Gdiplus::SmoothingModeAntiAlias);
        }
        context.ratioX = static_cast<float>(GetDeviceCaps(context.target, LOGPIXELSX) / 96.0);
        context.ratioY = static_cast<float>(GetDeviceCaps(context.target, LOGPIXELSY) / 96.0);
        context.font.Reset(CreateScaledFont(L"Microsoft YaHei", 9, RoundHalfEven(96.0 * context.ratioX), FW_NORMAL, 0,
                                            0, 0, DEFAULT_CHARSET));
        if (context.font) context.originalFont = SelectObject(back, context.font.Get());
    }
    SetPaintPen(context, 1.0f, kOpaqueBlack);
}

void EndPaintContext(PaintContext& context) noexcept {
    if (context.ended) return;
    context.ended = true;
    const HDC back = context.back.dc.Get();
    if (context.target != nullptr && back != nullptr) {
        BitBlt(context.target, context.originX, context.originY, context.width, context.height, back, 0, 0, SRCCOPY);
    }
    if (IsWindow(context.window)) {
        if (context.paintMode) {
            EndPaint(context.window, &context.paint);
        } else if (context.target != nullptr) {
            ReleaseDC(context.window, context.target);
        }
    }
    context.target = nullptr;
    // GDI+ objects first (the graphics draw on the back DC), then the font out of the DC, then the DCs and bitmaps.
    context.graphics.Reset();
    context.pen.Reset();
    context.brush.Reset();
    context.image.Reset();
    if (back != nullptr && context.originalFont != nullptr) SelectObject(back, context.originalFont);
    context.originalFont = nullptr;
    context.font.Reset();
    context.back.Release();
    context.background.Release();
}

void SetPaintPen(PaintContext& context, float width, uint32_t argb) noexcept {
    context.pen.Reset();
    if (width < 1.0f) return;
    Gdiplus::GpPen* pen = nullptr;
    if (Gdip().GdipCreatePen1(argb, width * context.ratioX, Gdiplus::UnitPixel, &pen) == Gdiplus::Ok) {
        context.pen.Reset(pen);
    }
}

void SetPaintBrush(PaintContext& context, uint32_t argb) noexcept {
    context.brush.Reset();
    if (argb == 0) return;
    Gdiplus::GpSolidFill* brush = nullptr;
    if (Gdip().GdipCreateSolidFill(argb, &brush) == Gdiplus::Ok) context.brush.Reset(brush);
}

void PaintRectangle(PaintContext& context, float x, float y, float width, float height) noexcept {
    Gdiplus::GpGraphics* graphics = context.graphics.Get();
    if (graphics == nullptr) return;
    const float left = x * context.ratioX;
    const float top = y * context.ratioY;
    const float w = width * context.ratioX;
    const float h = height * context.ratioY;
    if (context.brush) Gdip().GdipFillRectangle(graphics, context.brush.Get(), left, top, w, h);
    if (context.pen) Gdip().GdipDrawRectangle(graphics, context.pen.Get(), left, top, w, h);
}

void DrawWindowlessLabel(int32_t id, PaintContext& context, HWND form, int32_t) noexcept {
    const ControlObject* label = FindLabel(id, form);
    if (label == nullptr || !HasLabelFlag(label->styleFlags, kLabelVisible)) return;
    const uint32_t flags = label->styleFlags;

    SetPaintBrush(context, ToArgb(label->backColor, 0));
    SetPaintPen(context, LabelBorder(flags) == kLabelThinBorder ? 1.0f : 0.0f, ToArgb(label->textColor, 0));
    PaintRectangle(context, static_cast<float>(label->left), static_cast<float>(label->top),
                   static_cast<float>(label->width), static_cast<float>(label->height));

    const HDC dc = context.back.dc.Get();
    if (dc == nullptr) return;
    // A label without a colour of its own is black, whatever the label drawn before it left in the DC.
    const int32_t text = ResolveColor(label->textColor, kNoColor);
    SetTextColor(dc, text == kNoColor ? RGB(0, 0, 0) : static_cast<COLORREF>(text));
    SetBkMode(dc, TRANSPARENT);

    const HFONT font = FontFromDescriptor(label->fontDescriptor);  // cached for the life of the process
    const HGDIOBJ previousFont = font != nullptr ? SelectObject(dc, font) : nullptr;
    const PixelRect pixels =
        LabelPixelRect(label->left, label->top, label->width, label->height, context.ratioX, context.ratioY);
    RECT r{pixels.left, pixels.top, pixels.right, pixels.bottom};
    DrawTextW(dc, label->caption.Data(), static_cast<int>(label->caption.Length()), &r, LabelTextFormat(flags));
    if (previousFont != nullptr) SelectObject(dc, previousFont);
}

void PaintForm(HWND form, ControlObject* record) noexcept {
    int32_t background = record != nullptr ? ResolveColor(record->backColor, kNoColor) : kNoColor;
    if (background == kNoColor) background = static_cast<int32_t>(GetSysColor(COLOR_BTNFACE));
    PaintContext context;
    BeginPaintContext(context, form, background, true, 0, 0, 0, 0, false);
    for (const ControlObject* label = record != nullptr ? record->next : nullptr; label != nullptr;
         label = label->next) {
        DrawWindowlessLabel(label->id, context, form, background);
    }
    EndPaintContext(context);
}
