#pragma once
#include <cstdint>
#include <optional>

// The anchor rules of the resize layout, in 96-dpi design units. The window work (measuring, moving) is in
// LayoutForm.cpp; this is the arithmetic alone.

// AnchorMode 1..13; 0 = not laid out. Values above 13 are not laid out either.
inline constexpr int32_t kAnchorNone = 0;
inline constexpr int32_t kAnchorLast = 13;

struct DesignRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const DesignRect&, const DesignRect&) = default;
};

struct AnchorSpec {
    int32_t mode = kAnchorNone;
    int32_t right = 0;    // control's right edge to the client's right edge
    int32_t bottom = 0;   // control's bottom edge to the client's bottom edge
    int32_t offsetX = 0;  // control's left edge minus half the client width
    int32_t offsetY = 0;  // control's top edge minus half the client height
};

// Where an anchored control goes in a client area of clientWidth x clientHeight. `current` holds the stored left and
// top and the control's current width and height. Widths and heights that would be negative become 0. Nothing
// (nullopt) for a control that is not anchored.
std::optional<DesignRect> AnchoredRect(const AnchorSpec& anchor, const DesignRect& current, int32_t clientWidth,
                                       int32_t clientHeight) noexcept;

// The anchor of a control at `design` in a client area of clientWidth x clientHeight at design time: its distances
// to the right and bottom edges and its offsets from the centre, so that laying it out in that same client area
// leaves it where it is.
AnchorSpec AnchorAt(int32_t mode, const DesignRect& design, int32_t clientWidth, int32_t clientHeight) noexcept;
