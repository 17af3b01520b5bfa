#include "framework/ColorValue.h"

ColorKind ClassifyColor(ColorValue value) noexcept {
    if ((value & 0xFFFFFFu) != kColorMarkerBits) return ColorKind::Plain;
    const uint32_t code = value >> 24;
    if (code == 25) return ColorKind::Default;
    if (code <= 30) return ColorKind::System;
    return ColorKind::Plain;
}
