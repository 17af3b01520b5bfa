#include "framework/LabelsStyle.h"

#include <gtest/gtest.h>

using namespace textformat;

TEST(LabelsStyle, AlignmentAndBorderAreClampedAndKeepTheOtherBits) {
    const uint32_t flags = kLabelEnabled | kLabelVisible | kLabelPrefix | 0x03000000u;
    for (uint32_t alignment = 0; alignment <= 8; ++alignment) {
        EXPECT_EQ(LabelAlignment(WithLabelAlignment(flags, alignment)), alignment);
    }
    for (uint32_t alignment : {9u, 255u, 256u, 0xFFFFFFFFu}) {
        const uint32_t stored = WithLabelAlignment(flags, alignment);
        EXPECT_EQ(LabelAlignment(stored), 8u) << alignment;
        EXPECT_EQ(stored & ~0x00FF0000u, flags) << alignment;
    }
    EXPECT_EQ(LabelBorder(WithLabelBorder(flags, 1)), 1u);
    EXPECT_EQ(LabelBorder(WithLabelBorder(flags, 255)), 255u);
    EXPECT_EQ(LabelBorder(WithLabelBorder(flags, 256)), 255u);
    EXPECT_EQ(WithLabelBorder(flags, 0x10000), (flags & 0x00FFFFFFu) | 0xFF000000u);
    EXPECT_EQ(LabelAlignment(NormalisedLabelFlags(0x00090007u)), 8u);
    EXPECT_EQ(NormalisedLabelFlags(0x01040007u), 0x01040007u);
    EXPECT_EQ(WithLabelFlag(0x7u, kLabelVisible, false), 0x5u);
    EXPECT_EQ(WithLabelFlag(0x5u, kLabelEllipsis, true), 0xDu);
}

TEST(LabelsStyle, TextFormatFollowsAlignmentPrefixAndEllipsis) {
    const uint32_t placements[] = {
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
    for (uint32_t alignment = 0; alignment <= 8; ++alignment) {
        const uint32_t flags = WithLabelAlignment(kLabelVisible | kLabelPrefix, alignment);
        EXPECT_EQ(LabelTextFormat(flags), placements[alignment] | kExpandTabs) << alignment;
        EXPECT_EQ(LabelTextFormat(flags & ~kLabelPrefix), placements[alignment] | kExpandTabs | kNoPrefix);
        EXPECT_EQ(LabelTextFormat(flags | kLabelEllipsis), placements[alignment] | kExpandTabs | kWordEllipsis);
    }
    // The main form's labels: flags 7, top left, wrapped, "&" marks an access key.
    EXPECT_EQ(LabelTextFormat(7), kLeft | kWordBreak | kExpandTabs);
}

TEST(LabelsStyle, ToArgbSwapsRedAndBlueAndKeepsTheAlphaByte) {
    auto sysColor = [](int index) { return index == 15 ? 0xF0E0D0u : 0x123456u; };
    EXPECT_EQ(ToArgb(kDefaultColor, 0u, sysColor), 0u);
    EXPECT_EQ(ToArgb(kDefaultColor, 0xDEADBEEFu, sysColor), 0xDEADBEEFu);
    EXPECT_EQ(ToArgb(SystemColorValue(15), 0u, sysColor), 0xFFD0E0F0u);  // opaque, red and blue exchanged
    EXPECT_EQ(ToArgb(SystemColorValue(8), 0u, sysColor), 0xFF563412u);
    EXPECT_EQ(ToArgb(0x00112233u, 0u, sysColor), 0x00332211u) << "no alpha: transparent";
    EXPECT_EQ(ToArgb(0x80112233u, 0u, sysColor), 0x80332211u);
    EXPECT_EQ(ToArgb(ColorValueFromRgb(0x0000FFu), 0u, sysColor), 0xFFFF0000u) << "red, opaque";
    // Setting from ARGB and reading back as ARGB is the identity, alpha included.
    for (uint32_t argb : {0xFF102030u, 0x7F00FF00u, 0x01ABCDEFu}) {
        EXPECT_EQ(ToArgb(ColorValueFromArgb(argb), 0u, sysColor), argb);
    }
    EXPECT_EQ(ColorValueFromRgb(0xAB123456u), 0xFF123456u);
}

TEST(LabelsStyle, PixelRectRoundsEachEdgeHalfToEven) {
    EXPECT_EQ(LabelPixelRect(15, 24, 73, 25, 1.5f, 1.5f), (PixelRect{22, 36, 132, 74}));
    EXPECT_EQ(LabelPixelRect(15, 71, 73, 25, 1.5f, 1.5f), (PixelRect{22, 106, 132, 144}));
    EXPECT_EQ(LabelPixelRect(15, 24, 73, 25, 1.0f, 1.0f), (PixelRect{15, 24, 88, 49}));
    EXPECT_EQ(LabelPixelRect(1, 3, 1, 2, 1.5f, 1.5f), (PixelRect{2, 4, 3, 8}));  // 1.5 -> 2, 4.5 -> 4, 3 -> 3, 7.5 -> 8
    EXPECT_EQ(LabelPixelRect(2, 2, 2, 2, 1.25f, 1.25f), (PixelRect{2, 2, 5, 5}));  // 2.5 -> 2, 5 -> 5
}
