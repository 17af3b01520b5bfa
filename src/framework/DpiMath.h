#pragma once
#include <cstdint>

// Forms and controls are designed in logical units at 96 dots per inch ("design units"). These are the pure rules
// that turn them into pixels; the platform values (screen DPI, Windows version) are passed in.

inline constexpr int kDesignDpi = 96;
// CW_USEDEFAULT: a form coordinate with this value lets the platform choose and is never scaled.
inline constexpr int32_t kUseDefaultCoordinate = static_cast<int32_t>(0x80000000u);

// Nearest integer, ties to the even neighbour: 1165.5 -> 1166, 22.5 -> 22, -0.5 -> 0. NaN gives 0; values beyond the
// 32-bit range are clamped.
int32_t RoundHalfEven(double value) noexcept;

// dpi / 96 as the 32-bit float every ratio is kept in.
float RatioFromDpi(int32_t dpi) noexcept;

// A design coordinate scaled by a ratio and rounded (ties to even).
int32_t ScaleDesign(int32_t design, float ratio) noexcept;
// A pixel value back in design units, rounded (ties to even). A ratio of 0 leaves the value as it is.
int32_t UnscalePixels(int32_t pixels, float ratio) noexcept;

// What a form keeps from the DPI rule.
struct FormDpi {
    int32_t dpi = kDesignDpi;
    float ratioX = 1.0f;
    float ratioY = 1.0f;
};
// The DPI a new form asks for: -1 (the screen's) when the process is DPI-aware, else 96 (the platform scales it).
float RequestedFormDpi(bool processDpiAware) noexcept;
// The form DPI rule: a negative request takes the screen's horizontal DPI for both ratios; a request that rounds to 0
// but is negative (between -0.5 and 0) takes the screen's two DPIs for the two ratios.
FormDpi ResolveFormDpi(float requested, int32_t screenDpiX, int32_t screenDpiY) noexcept;

// The platform's MulDiv: number * numerator / denominator with a 64-bit product, rounded half away from zero;
// -1 when the denominator is 0 or the result does not fit 32 bits.
int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator) noexcept;
// Point size at a DPI, relative to the screen's vertical DPI (integer arithmetic, truncating).
int32_t PointsAtDpi(int32_t points, int32_t dpi, int32_t screenDpiY) noexcept;
// Character height of a font of that many points on a screen with that vertical DPI (negative: em height).
int32_t FontHeightFromPoints(int32_t points, int32_t screenDpiY) noexcept;
// Fonts from 16 points up are drawn antialiased.
bool FontWantsAntialiasing(int32_t points) noexcept;

// Windows version as one number: major * 100 + minor (5.1 -> 501, 6.0 -> 600, 10.0 -> 1000).
int32_t VersionNumber(uint32_t major, uint32_t minor) noexcept;

// A form's default font when it was given none: Segoe UI 9 on Vista and later in a DPI-aware process, else Tahoma 8.
struct DefaultFontChoice {
    const wchar_t* face;
    int32_t points;
};
DefaultFontChoice DefaultFormFont(int32_t windowsVersion, bool processDpiAware) noexcept;
