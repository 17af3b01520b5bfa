#include "framework/LabelsStyle.h"

#include "framework/DpiMath.h"

uint32_t WithLabelAlignment(uint32_t flags, uint32_t alignment) noexcept {
    if (alignment > kLabelMaxAlignment) alignment = kLabelMaxAlignment;
    return (flags & ~0x00FF0000u) | alignment << 16;
}

uint32_t WithLabelBorder(uint32_t flags, uint32_t border) noexcept {
    if (border > kLabelMaxBorder) border = kLabelMaxBorder;
    return (flags & 0x00FFFFFFu) | border << 24;
}

uint32_t WithLabelFlag(uint32_t flags, uint32_t bit, bool on) noexcept {
    return on ? flags | bit : flags & ~bit;
}

uint32_t NormalisedLabelFlags(uint32_t flags) noexcept {
    return WithLabelAlignment(flags, LabelAlignment(flags));
}

uint32_t LabelTextFormat(uint32_t flags) noexcept {
    using namespace textformat;
    static constexpr uint32_t kPlacement[kLabelMaxAlignment + 1] = {
        kLeft | kWordBreak,
        kCenter | kWordBreak,
        kRight | kWordBreak,
        kVCenter | kSingleLine,
        kVCenter | kCenter | kSingleLine,
        kVCenter | kRight | kSingleLine,
        kBottom | kSingleLine,
        kBottom | kCenter | kSingleLine,
        kBottom | kRight | kSingleLine,
    };
    const uint32_t alignment = LabelAlignment(flags);
    uint32_t format = kPlacement[alignment > kLabelMaxAlignment ? kLabelMaxAlignment : alignment] | kExpandTabs;
    if (!HasLabelFlag(flags, kLabelPrefix)) format |= kNoPrefix;
    if (HasLabelFlag(flags, kLabelEllipsis)) format |= kWordEllipsis;
    return format;
}

PixelRect LabelPixelRect(int32_t x, int32_t y, int32_t width, int32_t height, float ratioX, float ratioY) noexcept {
    return {ScaleDesign(x, ratioX), ScaleDesign(y, ratioY), ScaleDesign(x + width, ratioX),
            ScaleDesign(y + height, ratioY)};
}
