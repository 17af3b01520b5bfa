#pragma once
#include <cstdint>

#include "framework/ColorValue.h"

// The rules of windowless labels that need no window: the style flags word, the text format it selects, the colour
// conversions for GDI+ and the pixel rectangle of a label.

// Style flags word: bit 0 enabled, bit 1 visible (only visible labels are drawn), bit 2 "&" marks an access key
// (clear: drawn literally), bit 3 word ellipsis, bits 16..23 alignment 0..8, bits 24..31 border style (1 = thin).
inline constexpr uint32_t kLabelEnabled = 1u << 0;
inline constexpr uint32_t kLabelVisible = 1u << 1;
inline constexpr uint32_t kLabelPrefix = 1u << 2;
inline constexpr uint32_t kLabelEllipsis = 1u << 3;
inline constexpr uint32_t kLabelMaxAlignment = 8;
inline constexpr uint32_t kLabelMaxBorder = 255;
inline constexpr uint32_t kLabelThinBorder = 1;

constexpr uint32_t LabelAlignment(uint32_t flags) {
    return (flags >> 16) & 0xFFu;
}
constexpr uint32_t LabelBorder(uint32_t flags) {
    return flags >> 24;
}
constexpr bool HasLabelFlag(uint32_t flags, uint32_t bit) {
    return (flags & bit) != 0;
}
// Alignments above 8 are stored as 8, borders above 255 as 255.
uint32_t WithLabelAlignment(uint32_t flags, uint32_t alignment) noexcept;
uint32_t WithLabelBorder(uint32_t flags, uint32_t border) noexcept;
uint32_t WithLabelFlag(uint32_t flags, uint32_t bit, bool on) noexcept;
// A whole flags word as a label may hold it: an alignment above 8 becomes 8.
uint32_t NormalisedLabelFlags(uint32_t flags) noexcept;

// The DrawText format bits (same values as the platform's DT_* constants).
namespace textformat {
inline constexpr uint32_t kLeft = 0x0;
inline constexpr uint32_t kCenter = 0x1;
inline constexpr uint32_t kRight = 0x2;
inline constexpr uint32_t kVCenter = 0x4;
inline constexpr uint32_t kBottom = 0x8;
inline constexpr uint32_t kWordBreak = 0x10;
inline constexpr uint32_t kSingleLine = 0x20;
inline constexpr uint32_t kExpandTabs = 0x40;
inline constexpr uint32_t kNoPrefix = 0x800;
inline constexpr uint32_t kWordEllipsis = 0x40000;
}  // namespace textformat

// Alignment 0..2 top (left, centre, right) wrapped at words; 3..5 middle and 6..8 bottom on one line. Tabs are always
// expanded; no prefix processing when the prefix bit is clear; word ellipsis when its bit is set.
uint32_t LabelTextFormat(uint32_t flags) noexcept;

// Red and blue bytes exchanged, the top byte kept: 0xAABBGGRR <-> 0xAARRGGBB.
constexpr uint32_t SwapRedBlue(uint32_t v) {
    return (v & 0xFFu) << 16 | (v >> 16 & 0xFFu) | (v & 0xFF00FF00u);
}

// A colour code as a GDI+ ARGB colour. The default marker gives `defaultArgb` unchanged; a system colour is
// sysColor(index) made opaque; a plain colour keeps its top byte as the alpha, so one stored without alpha (top byte 0)
// is fully transparent.
template <typename SysColor>
uint32_t ToArgb(ColorValue value, uint32_t defaultArgb, SysColor&& sysColor) {
    switch (ClassifyColor(value)) {
        case ColorKind::Default:
            return defaultArgb;
        case ColorKind::System:
            value = (static_cast<uint32_t>(sysColor(SystemColorIndex(value))) & 0xFFFFFFu) | 0xFF000000u;
            break;
        case ColorKind::Plain:
            break;
    }
    return SwapRedBlue(value);
}

// The codes the colour setters store: a GDI colour (0x00BBGGRR) made opaque, and an ARGB colour turned back into the
// byte order of a GDI colour with its alpha kept.
constexpr ColorValue ColorValueFromRgb(uint32_t rgb) {
    return (rgb & 0xFFFFFFu) | 0xFF000000u;
}
constexpr ColorValue ColorValueFromArgb(uint32_t argb) {
    return SwapRedBlue(argb);
}

// A label's design rectangle (96-dpi units) in pixels: each edge scaled and rounded to the nearest integer, ties to
// even, so (15, 24, 73, 25) at 1.5 is (22, 36)-(132, 74).
struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
PixelRect LabelPixelRect(int32_t x, int32_t y, int32_t width, int32_t height, float ratioX, float ratioY) noexcept;
