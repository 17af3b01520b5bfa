#pragma once
#include <cstdint>

// The framework's 32-bit colour code. Low 24 bits other than 0x7F7F7F: a plain colour (red in the lowest byte; the
// top byte may carry an alpha value). Low 24 bits 0x7F7F7F: the top byte is a code, 25 = the caller's default,
// 0..30 otherwise = that system colour index, 31 and above = the plain colour 0x7F7F7F.
using ColorValue = uint32_t;

inline constexpr uint32_t kColorMarkerBits = 0x7F7F7Fu;
inline constexpr ColorValue kDefaultColor = 0x197F7F7Fu;
inline constexpr int32_t kNoColor = -1;  // "no colour": the default handed to a resolution that may find none

constexpr ColorValue SystemColorValue(int index) {
    return (static_cast<uint32_t>(index) << 24) | kColorMarkerBits;
}

enum class ColorKind { Plain, System, Default };
ColorKind ClassifyColor(ColorValue value) noexcept;
// The system colour index of a system-colour code (only meaningful for ColorKind::System).
inline int SystemColorIndex(ColorValue value) noexcept {
    return static_cast<int>(value >> 24);
}

// Resolves a code to a GDI colour (0x00BBGGRR, alpha dropped) or to the given default. sysColor(index) is the
// platform's system colour table, e.g. GetSysColor.
template <typename SysColor>
int32_t ResolveColorValue(ColorValue value, int32_t defaultColor, SysColor&& sysColor) {
    switch (ClassifyColor(value)) {
        case ColorKind::Default:
            return defaultColor;
        case ColorKind::System:
            return static_cast<int32_t>(static_cast<uint32_t>(sysColor(SystemColorIndex(value))) & 0xFFFFFFu);
        case ColorKind::Plain:
            break;
    }
    return static_cast<int32_t>(value & 0xFFFFFFu);
}
