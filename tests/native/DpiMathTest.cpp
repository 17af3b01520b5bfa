#include "framework/DpiMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

TEST(DpiMath, RoundsHalvesToTheEvenNeighbour) {
    struct Case {
        double value;
        int32_t rounded;
    } cases[] = {
        {1165.5, 1166}, {22.5, 22}, {73.5, 74},  {132.0, 132},       {0.5, 0},
        {1.5, 2},       {2.5, 2},   {-0.5, 0},   {-1.5, -2},         {-2.5, -2},
        {0.49, 0},      {0.51, 1},  {-0.51, -1}, {1e12, 2147483647}, {-1e12, -2147483647 - 1},
    };
    for (const Case& c : cases) EXPECT_EQ(RoundHalfEven(c.value), c.rounded) << c.value;
    EXPECT_EQ(RoundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(DpiMath, ScalesDesignUnitsWithFloatRatios) {
    const float r144 = RatioFromDpi(144);
    EXPECT_EQ(r144, 1.5f);
    EXPECT_EQ(ScaleDesign(777, r144), 1166);  // 1165.5
    EXPECT_EQ(ScaleDesign(496, r144), 744);
    EXPECT_EQ(ScaleDesign(15, r144), 22);  // 22.5
    EXPECT_EQ(ScaleDesign(49, r144), 74);  // 73.5
    EXPECT_EQ(ScaleDesign(50, r144), 75);
    EXPECT_EQ(ScaleDesign(588, r144), 882);
    EXPECT_EQ(ScaleDesign(777, RatioFromDpi(96)), 777);
    EXPECT_EQ(UnscalePixels(1500, r144), 1000);
    EXPECT_EQ(UnscalePixels(125, RatioFromDpi(120)), 100);  // divides by 1.25
    EXPECT_EQ(UnscalePixels(1, RatioFromDpi(144)), 1);      // 0.667
    EXPECT_EQ(UnscalePixels(123, 0.0f), 123);
}

TEST(DpiMath, FormDpiRuleFollowsTheRequest) {
    // A DPI-aware process asks for -1 and gets the screen's horizontal DPI for both ratios.
    FormDpi aware = ResolveFormDpi(RequestedFormDpi(true), 144, 120);
    EXPECT_EQ(aware.dpi, 144);
    EXPECT_EQ(aware.ratioX, 1.5f);
    EXPECT_EQ(aware.ratioY, 1.5f);
    // A process that is not DPI-aware is scaled by the platform: 96 and ratios 1.
    FormDpi unaware = ResolveFormDpi(RequestedFormDpi(false), 144, 144);
    EXPECT_EQ(unaware.dpi, 96);
    EXPECT_EQ(unaware.ratioX, 1.0f);
    EXPECT_EQ(unaware.ratioY, 1.0f);
    // An explicit DPI is used as given.
    FormDpi explicitDpi = ResolveFormDpi(120.0f, 144, 144);
    EXPECT_EQ(explicitDpi.dpi, 120);
    EXPECT_EQ(explicitDpi.ratioX, 1.25f);
    // Between -0.5 and 0 the request rounds to 0: dpi 0, each ratio from its own screen DPI.
    FormDpi nearZero = ResolveFormDpi(-0.25f, 144, 120);
    EXPECT_EQ(nearZero.dpi, 0);
    EXPECT_EQ(nearZero.ratioX, 1.5f);
    EXPECT_EQ(nearZero.ratioY, 1.25f);
}

TEST(DpiMath, FontHeightsFollowTheScreenDpi) {
    EXPECT_EQ(FontHeightFromPoints(9, 96), -12);
    EXPECT_EQ(FontHeightFromPoints(9, 144), -18);
    EXPECT_EQ(FontHeightFromPoints(8, 96), -11);  // 10.67 rounds up
    EXPECT_EQ(FontHeightFromPoints(20, 120), -33);
    // A form at 96 DPI on a 144-DPI screen gets 9 * 96 / 144 = 6 points, truncated.
    EXPECT_EQ(PointsAtDpi(9, 96, 144), 6);
    EXPECT_EQ(PointsAtDpi(9, 144, 144), 9);
    EXPECT_EQ(PointsAtDpi(9, 144, 0), 9);
    EXPECT_FALSE(FontWantsAntialiasing(15));
    EXPECT_TRUE(FontWantsAntialiasing(16));
}

TEST(DpiMath, MulDivRoundsHalfAwayFromZeroLikeThePlatform) {
    EXPECT_EQ(MulDivRounded(5, 1, 2), 3);
    EXPECT_EQ(MulDivRounded(-5, 1, 2), -3);
    EXPECT_EQ(MulDivRounded(5, -1, 2), -3);
    EXPECT_EQ(MulDivRounded(5, 1, -2), -3);
    EXPECT_EQ(MulDivRounded(-5, -1, 2), 3);
    EXPECT_EQ(MulDivRounded(7, 3, 0), -1);
    EXPECT_EQ(MulDivRounded(0x7FFFFFFF, 4, 2), -1);                            // does not fit
    EXPECT_EQ(MulDivRounded(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);  // 64-bit product
}

TEST(DpiMath, VersionNumberAndDefaultFont) {
    EXPECT_EQ(VersionNumber(5, 1), 501);
    EXPECT_EQ(VersionNumber(6, 0), 600);
    EXPECT_EQ(VersionNumber(6, 1), 601);
    EXPECT_EQ(VersionNumber(10, 0), 1000);
    EXPECT_STREQ(DefaultFormFont(1000, true).face, L"Segoe UI");
    EXPECT_EQ(DefaultFormFont(600, true).points, 9);
    EXPECT_STREQ(DefaultFormFont(501, true).face, L"Tahoma");  // Windows XP
    EXPECT_EQ(DefaultFormFont(501, true).points, 8);
    EXPECT_STREQ(DefaultFormFont(1000, false).face, L"Tahoma");
    EXPECT_EQ(DefaultFormFont(0, true).points, 8);  // the version query failed
}
