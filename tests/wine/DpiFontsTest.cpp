#include "framework/Dpi.h"
#include "framework/FormWindow.h"
#include "framework/Win32.h"

#include <gtest/gtest.h>

#include <string>

namespace {

LOGFONTW Describe(HFONT font) {
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    return lf;
}

}  // namespace

TEST(DpiFonts, NinePointsAreTwelvePixelsAt96Dpi) {
    ASSERT_EQ(ScreenDpiY(), 96);
    const HFONT font = FontFromDescriptor("Microsoft YaHei,9,0");
    ASSERT_NE(font, nullptr);
    const LOGFONTW lf = Describe(font);
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_EQ(lf.lfWeight, 400);
    EXPECT_STREQ(lf.lfFaceName, L"Microsoft YaHei");
    EXPECT_EQ(lf.lfOutPrecision, OUT_TT_PRECIS);
    EXPECT_EQ(lf.lfQuality, DEFAULT_QUALITY);
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
}

TEST(DpiFonts, NinePointsAreEighteenPixelsDpi144) {
    ASSERT_EQ(ScreenDpiY(), 144);
    const LOGFONTW lf = Describe(FontFromDescriptor("Microsoft YaHei,9,0"));
    EXPECT_EQ(lf.lfHeight, -18);
    // A font asked for at 96 DPI on this screen has 9 * 96 / 144 = 6 points: the same pixels as 9 points at 96.
    const HFONT at96 = CreateScaledFont(L"Tahoma", 9, 96, 400, 0, 0, 0, DEFAULT_CHARSET);
    EXPECT_EQ(Describe(at96).lfHeight, -12);
    DeleteObject(at96);
}

TEST(DpiFonts, TheCacheComparesTheWholeDescriptorText) {
    const size_t before = FontCacheSize();
    const HFONT tight = FontFromDescriptor("Microsoft YaHei,9,0");
    const HFONT spaced = FontFromDescriptor("Microsoft YaHei, 9,0");
    EXPECT_NE(tight, spaced);  // two entries, though the attributes are the same
    EXPECT_EQ(Describe(tight).lfHeight, Describe(spaced).lfHeight);
    EXPECT_STREQ(Describe(spaced).lfFaceName, L"Microsoft YaHei");
    EXPECT_EQ(FontFromDescriptor("Microsoft YaHei,9,0"), tight);  // made once
    EXPECT_EQ(FontCacheSize(), before + 2);
}

TEST(DpiFonts, DescriptorDefaultsAndAttributes) {
    const LOGFONTW simsun = Describe(FontFromDescriptor(",0"));
    EXPECT_STREQ(simsun.lfFaceName, L"SimSun");
    EXPECT_EQ(simsun.lfHeight, -12);
    EXPECT_EQ(simsun.lfWeight, 400);

    const LOGFONTW arial = Describe(FontFromDescriptor("Arial,20,1,1"));
    EXPECT_STREQ(arial.lfFaceName, L"Arial");
    EXPECT_EQ(arial.lfHeight, -27);  // 20 points at 96 DPI
    EXPECT_EQ(arial.lfWeight, 700);
    EXPECT_EQ(arial.lfItalic, 1);
    EXPECT_EQ(arial.lfUnderline, 0);
    EXPECT_EQ(arial.lfQuality, ANTIALIASED_QUALITY);

    const LOGFONTW seven = Describe(FontFromDescriptor("Tahoma,10,0,0,1,1,1,1"));  // fields after six ignored
    EXPECT_EQ(seven.lfUnderline, 1);
    EXPECT_EQ(seven.lfStrikeOut, 1);

    // The face crosses to the platform through code page 936.
    const LOGFONTW chinese = Describe(FontFromDescriptor("\xCB\xCE\xCC\xE5,9"));  // 宋体 in code page 936
    EXPECT_STREQ(chinese.lfFaceName, L"\x5B8B\x4F53");
}

TEST(DpiFonts, ScreenRatiosAt96Dpi) {
    EXPECT_EQ(ScaleX(777.0f), 777.0f);
    EXPECT_EQ(ScaleY(496.0f), 496.0f);
    EXPECT_EQ(UnscaleX(100.0f), 100.0f);
}

TEST(DpiFonts, ScreenRatiosDpi144) {
    EXPECT_EQ(ScaleX(777.0f), 1165.5f);
    EXPECT_EQ(ScaleY(496.0f), 744.0f);
    EXPECT_EQ(UnscaleX(1500.0f), 1000.0f);
    EXPECT_EQ(UnscaleY(36.0f), 24.0f);
}

// Wine reports a DPI-aware process on Windows 10, so a form gets the screen's DPI and Segoe UI 9.
TEST(DpiFonts, FormRuleOnThisSystem) {
    EXPECT_TRUE(QueryProcessDpiAware());
    EXPECT_GE(WindowsVersion(), 600);
    FormWindow form(L"");
    EXPECT_EQ(form.dpi, 96);
    EXPECT_EQ(form.ratioX, 1.0f);
    EXPECT_EQ(form.fontFace, L"Segoe UI");
    EXPECT_EQ(form.fontSize, 9);
    const HFONT font = CreateFormDefaultFont(form, L"", 9, 400, 0, 0, 0, DEFAULT_CHARSET);
    const LOGFONTW lf = Describe(font);
    EXPECT_EQ(lf.lfHeight, -12);
    EXPECT_STREQ(lf.lfFaceName, L"Segoe UI");
    DeleteObject(font);
}

TEST(DpiFonts, FormRuleDpi144) {
    FormWindow form(L"");
    EXPECT_EQ(form.dpi, 144);
    EXPECT_EQ(form.ratioX, 1.5f);
    EXPECT_EQ(form.ratioY, 1.5f);
    const HFONT font = CreateFormDefaultFont(form, L"Tahoma", 9, 400, 0, 0, 0, DEFAULT_CHARSET);
    const LOGFONTW lf = Describe(font);
    EXPECT_EQ(lf.lfHeight, -18);
    EXPECT_EQ(lf.lfQuality, DEFAULT_QUALITY);  // the form's font is never antialiased
    DeleteObject(font);
}
