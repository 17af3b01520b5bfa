#include "framework/DpiMath.h"

#include <cmath>
#include <cstdint>
#include <limits>

int32_t RoundHalfEven(double value) noexcept {
    if (std::isnan(value)) return 0;
    double whole = std::floor(value);
    const double fraction = value - whole;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(whole, 2.0) != 0.0)) whole += 1.0;
    if (whole >= static_cast<double>(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    if (whole <= static_cast<double>(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(whole);
}

float RatioFromDpi(int32_t dpi) noexcept {
    return static_cast<float>(dpi / 96.0);
}

int32_t ScaleDesign(int32_t design, float ratio) noexcept {
    // The product is a 32-bit float, as the ratios are: 777 * 1.5f = 1165.5f -> 1166.
    return RoundHalfEven(static_cast<float>(design) * ratio);
}

int32_t UnscalePixels(int32_t pixels, float ratio) noexcept {
    if (ratio == 0.0f) return pixels;
    return RoundHalfEven(static_cast<float>(pixels) / ratio);
}

float RequestedFormDpi(bool processDpiAware) noexcept {
    return processDpiAware ? -1.0f : 96.0f;
}

FormDpi ResolveFormDpi(float requested, int32_t screenDpiX, int32_t screenDpiY) noexcept {
    FormDpi form;
    float d = requested;
    form.dpi = RoundHalfEven(d);
    if (form.dpi < 0) {
        form.dpi = screenDpiX;
        d = static_cast<float>(screenDpiX);
    }
    if (d >= 0.0f) {
        form.ratioX = form.ratioY = static_cast<float>(d / 96.0);
    } else {
        form.ratioX = RatioFromDpi(screenDpiX);
        form.ratioY = RatioFromDpi(screenDpiY);
    }
    return form;
}

int32_t MulDivRounded(int32_t number, int32_t numerator, int32_t denominator) noexcept {
    if (denominator == 0) return -1;
    int64_t product = static_cast<int64_t>(number) * numerator;
    int64_t divisor = denominator;
    if (divisor < 0) {
        divisor = -divisor;
        product = -product;
    }
    const int64_t half = divisor / 2;
    const int64_t result = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    if (result > std::numeric_limits<int32_t>::max() || result < std::numeric_limits<int32_t>::min()) return -1;
    return static_cast<int32_t>(result);
}

int32_t PointsAtDpi(int32_t points, int32_t dpi, int32_t screenDpiY) noexcept {
    if (screenDpiY == 0) return points;
    return static_cast<int32_t>(static_cast<int64_t>(points) * dpi / screenDpiY);
}

int32_t FontHeightFromPoints(int32_t points, int32_t screenDpiY) noexcept {
    return -MulDivRounded(points, screenDpiY, 72);
}

bool FontWantsAntialiasing(int32_t points) noexcept {
    return points >= 16;
}

int32_t VersionNumber(uint32_t major, uint32_t minor) noexcept {
    return static_cast<int32_t>(major * 100u + minor);
}

DefaultFontChoice DefaultFormFont(int32_t windowsVersion, bool processDpiAware) noexcept {
    if (windowsVersion >= 600 && processDpiAware) return {L"Segoe UI", 9};
    return {L"Tahoma", 8};
}
