#include "framework/Layout.h"

#include <gtest/gtest.h>

namespace {

DesignRect Place(int32_t mode, const AnchorSpec& margins, DesignRect current, int32_t w, int32_t h) {
    AnchorSpec anchor = margins;
    anchor.mode = mode;
    const std::optional<DesignRect> placed = AnchoredRect(anchor, current, w, h);
    EXPECT_TRUE(placed.has_value()) << "mode " << mode;
    return placed.value_or(DesignRect{-1, -1, -1, -1});
}

}  // namespace

TEST(Layout, EveryModeKeepsItsEdgesOrCentre) {
    // Control at (20, 30), 100 x 40; margins R = 15, B = 25, offsets CX = -60, CY = -35; client 400 x 300.
    const AnchorSpec margins{0, 15, 25, -60, -35};
    const DesignRect control{20, 30, 100, 40};
    struct Case {
        int32_t mode;
        DesignRect expected;
    } cases[] = {
        {1, {20, 30, 365, 40}},    {2, {285, 30, 100, 40}},   {3, {140, 30, 100, 40}},  {4, {20, 30, 100, 245}},
        {5, {20, 30, 365, 245}},   {6, {285, 30, 100, 245}},  {7, {20, 235, 100, 40}},  {8, {20, 235, 365, 40}},
        {9, {285, 235, 100, 40}},  {10, {140, 235, 100, 40}}, {11, {20, 130, 100, 40}}, {12, {285, 130, 100, 40}},
        {13, {140, 115, 100, 40}},
    };
    for (const Case& c : cases) EXPECT_EQ(Place(c.mode, margins, control, 400, 300), c.expected) << "mode " << c.mode;
}

TEST(Layout, OddSizesDivideTowardZero) {
    // W = 501: 250 - 40 = 210.
    EXPECT_EQ(Place(3, {0, 0, 0, -40, 0}, {7, 9, 50, 20}, 501, 200), (DesignRect{210, 9, 50, 20}));
    // H = 301, h = 100: (301 - 100) / 2 = 100.
    EXPECT_EQ(Place(11, {}, {7, 9, 50, 100}, 400, 301), (DesignRect{7, 100, 50, 100}));
    // A client smaller than the control: (50 - 100) / 2 = -25, truncated toward zero.
    EXPECT_EQ(Place(12, {0, 10, 0, 0, 0}, {7, 9, 30, 100}, 40, 51), (DesignRect{0, -24, 30, 100}));
    EXPECT_EQ(Place(13, {0, 0, 0, -5, -5}, {0, 0, 30, 30}, -3, -3), (DesignRect{-6, -6, 30, 30}));
}

TEST(Layout, StretchedSizesNeverGoNegative) {
    const AnchorSpec margins{0, 30, 30, 0, 0};
    const DesignRect control{100, 100, 50, 50};
    for (int32_t mode : {1, 5, 8}) EXPECT_EQ(Place(mode, margins, control, 120, 400).width, 0) << "mode " << mode;
    for (int32_t mode : {4, 5, 6}) EXPECT_EQ(Place(mode, margins, control, 400, 120).height, 0) << "mode " << mode;
    // Exactly at the edge: width 0 too, and one unit wider gives 1.
    EXPECT_EQ(Place(1, margins, control, 130, 400).width, 0);
    EXPECT_EQ(Place(1, margins, control, 131, 400).width, 1);
}

TEST(Layout, UnanchoredAndUnknownModesAreLeftAlone) {
    for (int32_t mode : {0, -1, 14, 1000}) {
        EXPECT_FALSE(AnchoredRect({mode, 1, 2, 3, 4}, {5, 6, 7, 8}, 500, 500).has_value()) << "mode " << mode;
    }
}

TEST(Layout, AnchorTakenAtDesignSizeKeepsTheControlInPlace) {
    const DesignRect design{33, 47, 120, 25};
    for (int32_t mode = 1; mode <= kAnchorLast; ++mode) {
        // An even client size: the centred modes divide without remainder.
        const AnchorSpec anchor = AnchorAt(mode, design, 400, 300);
        const std::optional<DesignRect> placed = AnchoredRect(anchor, design, 400, 300);
        ASSERT_TRUE(placed.has_value());
        // Modes 11 and 12 centre vertically whatever the design said.
        const int32_t top = (mode == 11 || mode == 12) ? (300 - 25) / 2 : design.top;
        EXPECT_EQ(*placed, (DesignRect{design.left, top, design.width, design.height})) << "mode " << mode;
    }
    const AnchorSpec anchor = AnchorAt(9, design, 400, 300);
    EXPECT_EQ(anchor.right, 400 - 33 - 120);
    EXPECT_EQ(anchor.bottom, 300 - 47 - 25);
    // Grown by 100 x 50: the corner-anchored control follows by the same amounts.
    EXPECT_EQ(AnchoredRect(anchor, design, 500, 350), (DesignRect{133, 97, 120, 25}));
}
