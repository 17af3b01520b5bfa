// The framework's platform-free rules as tables: rounding and DPI, fonts, colours, labels, layout, controls, records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "framework/AppPaths.h"
#include "framework/Centring.h"
#include "framework/ColorValue.h"
#include "framework/ControlTypes.h"
#include "framework/DpiMath.h"
#include "framework/FontDescriptor.h"
#include "framework/HandleChain.h"
#include "framework/LabelsStyle.h"
#include "framework/Layout.h"

namespace {
constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
}

TEST(DpiMath, HalvesRoundToTheEvenNeighbourAndDesignUnitsScaleByFloatRatios) {
    const std::pair<double, int32_t> rounding[] = {{1165.5, 1166}, {22.5, 22},   {73.5, 74},    {0.5, 0},
                                                   {2.5, 2},       {-0.5, 0},    {-1.5, -2},    {0.51, 1},
                                                   {-0.51, -1},    {1e12, kMax}, {-1e12, kMin}, {std::nan(""), 0}};
    for (auto [value, rounded] : rounding) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    const float r144 = RatioFromDpi(144);
    for (auto [design, pixels] : {std::pair{777, 1166}, {496, 744}, {15, 22}, {49, 74}, {111, 166}, {588, 882}}) {
        EXPECT_EQ(ScaleDesign(design, r144), pixels) << design;
    }
    EXPECT_EQ(ScaleDesign(777, RatioFromDpi(96)), 777);
    EXPECT_EQ(UnscalePixels(1500, r144), 1000);
    EXPECT_EQ(UnscalePixels(1, r144), 1);  // 0.667
}

TEST(DpiMath, AFormTakesTheScreenDpiWhenAwareAndAsksNothingOtherwise) {
    // requested DPI, screen DPI x and y -> form DPI, ratio x, ratio y
    const std::tuple<float, int32_t, int32_t, int32_t, float, float> cases[] = {
        {RequestedFormDpi(true), 144, 120, 144, 1.5f, 1.5f},  // the horizontal DPI for both ratios
        {RequestedFormDpi(false), 144, 144, 96, 1.0f, 1.0f},  // the platform scales an unaware process
        {120.0f, 144, 144, 120, 1.25f, 1.25f},
        {-0.25f, 144, 120, 0, 1.5f, 1.25f},  // rounds to 0: each ratio from its own screen DPI
    };
    for (auto [requested, x, y, dpi, ratioX, ratioY] : cases) {
        const FormDpi form = ResolveFormDpi(requested, x, y);
        EXPECT_EQ(std::tuple(form.dpi, form.ratioX, form.ratioY), std::tuple(dpi, ratioX, ratioY)) << requested;
    }
}

TEST(DpiMath, FontHeightsFollowTheScreenDpiWithThePlatformsRounding) {
    for (auto [points, dpi, height] : {std::tuple{9, 96, -12}, {9, 144, -18}, {8, 96, -11}, {20, 120, -33}}) {
        EXPECT_EQ(FontHeightFromPoints(points, dpi), height) << points << " points at " << dpi;
    }
    EXPECT_EQ(PointsAtDpi(9, 96, 144), 6);  // a form at 96 DPI on a 144-DPI screen, truncated
    EXPECT_FALSE(FontWantsAntialiasing(15));
    EXPECT_TRUE(FontWantsAntialiasing(16));
    // number, numerator, denominator -> rounded half away from zero; -1 for a zero denominator or an overflow
    const std::tuple<int32_t, int32_t, int32_t, int32_t> mulDiv[] = {
        {5, 1, 2, 3},  {-5, 1, 2, -3},   {5, 1, -2, -3},          {-5, -1, 2, 3},
        {7, 3, 0, -1}, {kMax, 4, 2, -1}, {kMax, kMax, kMax, kMax}};
    for (auto [n, a, b, r] : mulDiv) EXPECT_EQ(MulDivRounded(n, a, b), r) << n << " * " << a << " / " << b;
    const auto font = [](int32_t version, bool aware) {
        return std::pair(std::wstring(DefaultFormFont(version, aware).face), DefaultFormFont(version, aware).points);
    };
    EXPECT_EQ(font(VersionNumber(6, 0), true), std::pair(std::wstring(L"Segoe UI"), 9));
    for (auto [version, aware] : {std::pair{VersionNumber(5, 1), true}, {VersionNumber(10, 0), false}, {0, true}}) {
        EXPECT_EQ(font(version, aware), std::pair(std::wstring(L"Tahoma"), 8)) << version;
    }
}

TEST(FontDescriptor, ReadsUpToSixTrimmedFieldsWithDefaults) {
    // text -> face, points, weight, italic, underline, strike-out
    const std::pair<const char*, std::tuple<std::string, int32_t, int32_t, int, int, int>> cases[] = {
        {"Microsoft YaHei,9,0", {"Microsoft YaHei", 9, 400, 0, 0, 0}},
        {"", {"SimSun", 9, 400, 0, 0, 0}},
        {"  Arial  , 20 ,1,1", {"Arial", 20, 700, 1, 0, 0}},
        {"Arial,x,yes,1", {"Arial", 9, 400, 1, 0, 0}},  // not numbers: 9 points, regular
        {"Arial,12,2,0,1,1,1,1", {"Arial", 12, 700, 0, 1, 1}},
        {"\xCB\xCE\xCC\xE5,10", {"\xCB\xCE\xCC\xE5", 10, 400, 0, 0, 0}},
    };
    for (const auto& [text, expected] : cases) {
        const FontSpec f = ParseFontDescriptor(text);
        EXPECT_EQ(std::tuple(f.face, f.points, f.weight, int{f.italic}, int{f.underline}, int{f.strikeout}), expected)
            << text;
    }
}

TEST(ColorValue, ResolvesPlainSystemAndDefaultCodes) {
    const auto table = [](int index) { return 0x010101 * (index + 1); };  // a mix-up of indices shows
    // code, default -> resolved
    const std::tuple<ColorValue, int32_t, int32_t> cases[] = {
        {0x00FF0000u, -1, 0x00FF0000},        {0xFF00FF00u, -1, 0x0000FF00},
        {kDefaultColor, 0x123456, 0x123456},  {SystemColorValue(15), -1, 0x101010},
        {SystemColorValue(30), -1, 0x1F1F1F}, {SystemColorValue(31), -1, 0x7F7F7F},
        {0x007F7F7Eu, -1, 0x7F7F7E}};
    for (auto [code, fallback, resolved] : cases) {
        EXPECT_EQ(ResolveColorValue(code, fallback, table), resolved) << std::hex << code;
    }
}

TEST(LabelsStyle, FlagsClampTextFormatsFollowAndColoursAndRectanglesConvert) {
    const uint32_t flags = kLabelEnabled | kLabelVisible | kLabelPrefix | 0x03000000u;
    EXPECT_EQ(WithLabelAlignment(flags, 0xFFFFFFFFu), flags | 0x00080000u);
    EXPECT_EQ(WithLabelBorder(flags, 256), (flags & 0x00FFFFFFu) | 0xFF000000u);
    EXPECT_EQ(NormalisedLabelFlags(0x00090007u), 0x00080007u);
    using namespace textformat;
    EXPECT_EQ(LabelTextFormat(7), kLeft | kWordBreak | kExpandTabs);  // the main window's labels
    EXPECT_EQ(LabelTextFormat(0x00040002u | kLabelEllipsis),
              kVCenter | kCenter | kSingleLine | kExpandTabs | kNoPrefix | kWordEllipsis);

    const auto table = [](int index) { return index == 15 ? 0xF0E0D0u : 0x123456u; };
    EXPECT_EQ(ToArgb(kDefaultColor, 0xDEADBEEFu, table), 0xDEADBEEFu);
    EXPECT_EQ(ToArgb(SystemColorValue(15), 0, table), 0xFFD0E0F0u) << "opaque, red and blue exchanged";
    EXPECT_EQ(ToArgb(0x00112233u, 0, table), 0x00332211u) << "a plain code without alpha is transparent";
    EXPECT_EQ(ToArgb(ColorValueFromRgb(0xAB0000FFu), 0, table), 0xFFFF0000u) << "red, opaque";
    EXPECT_EQ(ToArgb(ColorValueFromArgb(0x7F00FF10u), 0, table), 0x7F00FF10u);

    EXPECT_EQ(LabelPixelRect(15, 24, 73, 25, 1.5f, 1.5f), (PixelRect{22, 36, 132, 74}));  // each edge to the even
    EXPECT_EQ(LabelPixelRect(1, 3, 1, 2, 1.5f, 1.5f), (PixelRect{2, 4, 3, 8}));
}

TEST(Layout, EveryModeKeepsItsEdgesOrCentreAndSizesNeverGoNegative) {
    // A control at (20, 30), 100 x 40, 15 from the right and 25 from the bottom of a 400 x 300 client area.
    const AnchorSpec margins{0, 15, 25, -60, -35};
    const DesignRect control{20, 30, 100, 40};
    const DesignRect placed[] = {{20, 30, 365, 40},   {285, 30, 100, 40},  {140, 30, 100, 40}, {20, 30, 100, 245},
                                 {20, 30, 365, 245},  {285, 30, 100, 245}, {20, 235, 100, 40}, {20, 235, 365, 40},
                                 {285, 235, 100, 40}, {140, 235, 100, 40}, {20, 130, 100, 40}, {285, 130, 100, 40},
                                 {140, 115, 100, 40}};
    for (int32_t mode = 1; mode <= kAnchorLast; ++mode) {
        AnchorSpec anchor = margins;
        anchor.mode = mode;
        EXPECT_EQ(AnchoredRect(anchor, control, 400, 300), placed[mode - 1]) << "mode " << mode;
        const DesignRect narrow = AnchoredRect(anchor, control, 30, 50).value_or(DesignRect{});
        const bool wide = mode == 1 || mode == 5 || mode == 8, tall = mode >= 4 && mode <= 6;
        EXPECT_EQ(std::pair(narrow.width, narrow.height), std::pair(wide ? 0 : 100, tall ? 0 : 40)) << "mode " << mode;
    }
    for (int32_t mode : {0, -1, 14}) EXPECT_FALSE(AnchoredRect({mode}, control, 400, 300).has_value()) << mode;
    // An anchor taken at the design size keeps the control in place and follows a larger client area.
    const AnchorSpec corner = AnchorAt(9, control, 400, 300);
    EXPECT_EQ(AnchoredRect(corner, control, 400, 300), control);
    EXPECT_EQ(AnchoredRect(corner, control, 500, 350), (DesignRect{120, 80, 100, 40}));
    EXPECT_EQ(AnchoredRect(AnchorAt(13, control, 400, 300), control, 400, 300), control);
}

TEST(ControlTypes, TypeNamesGiveClassesAndStyles) {
    // upper-cased type, as typed -> class name (a name outside the table and a button: the caller's own text)
    // clang-format off
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> classes[] = {
        {L"LISTVIEW", L"ListView", L"SysListView32"}, {L"TEXTBOX", L"TextBox", L"Edit"}, {L"BUTTON", L"Button", L"Button"},
        {L"SLIDER", L"Slider", L"msctls_trackbar32"}, {L"MYCLASS", L"MyClass", L"MyClass"}};
    // clang-format on
    for (auto [upper, typed, name] : classes) EXPECT_EQ(ControlClassName(FindControlType(upper), typed), name);
    // upper-cased type, style, extended style -> style, extended style; -1 asks for the type's default, and the
    // special values 1, 0x8000 and 0x20000 belong to buttons and option buttons only
    // clang-format off
    const std::tuple<const wchar_t*, int32_t, int32_t, uint32_t, uint32_t> styles[] = {
        {L"BUTTON", -1, -1, 0x50010F00, 0}, {L"BUTTON", 1, -1, 0x50010F01, 0}, {L"BUTTON", 0x8000, 0, 0x50018F00, 0},
        {L"BUTTON", 0x54000F00, 0, 0x54000F00, 0}, {L"OPTION", 0x20000, -1, 0x50030D09, 0},
        {L"CHECKBOX", 1, -1, 0x40000001, 0}, {L"LISTVIEW", -1, -1, 0x52010349, 0x200},
        {L"TABCONTROL", -1, 0x200, 0x56030800, 0x10200}, {L"UNKNOWNCLASS", -1, -1, 0x40000000, 0}};
    // clang-format on
    for (auto [upper, style, ex, wantStyle, wantEx] : styles) {
        const ControlStyles s = ResolveControlStyles(FindControlType(upper), upper, style, ex);
        EXPECT_EQ(std::pair(s.style, s.exStyle), std::pair(wantStyle, wantEx)) << upper << " " << style;
    }
}

TEST(HandleChain, OpensASecondBlockForThe101stHandleFillsHolesFirstAndNeverStoresNull) {
    HandleChain<uintptr_t, int> chain;
    std::vector<int> records(102);
    chain.Insert(0, &records[0]);
    EXPECT_EQ(chain.BlockCount(), 0u);
    for (uintptr_t h = 1; h <= 101; ++h) chain.Insert(h, &records[h]);
    EXPECT_EQ(chain.BlockCount(), 2u);
    EXPECT_EQ(chain.SlotOf(101), 100);
    EXPECT_TRUE(chain.Remove(37));
    EXPECT_FALSE(chain.Remove(37));
    chain.Insert(500, &records[0]);
    EXPECT_EQ(chain.SlotOf(500), 36);
    chain.Insert(2, &records[7]);  // a known handle keeps its pair
    EXPECT_EQ(chain.SlotOf(2), 1);
    EXPECT_EQ(chain.Find(2), &records[7]);
    EXPECT_EQ(chain.Find(37), nullptr);
    EXPECT_EQ(chain.Find(0), nullptr);
    EXPECT_EQ(chain.Count(), 101u);
}

TEST(Centring, CentresOnTheReferenceWithinTheWorkArea) {
    // reference start, reference length, length, area start, area end -> start: truncated, on a window, kept from
    // passing the far edge and the near edge, and at the area's start when larger than the area
    const std::tuple<int32_t, int32_t, int32_t, int32_t, int32_t, int32_t> cases[] = {{0, 1280, 777, 0, 1280, 251},
                                                                                      {100, 400, 200, 0, 1280, 200},
                                                                                      {1200, 400, 200, 0, 1280, 1080},
                                                                                      {-300, 100, 200, 0, 1280, 0},
                                                                                      {50, 1230, 3000, 50, 1280, 50}};
    for (auto [refStart, refLength, length, areaStart, areaEnd, start] : cases) {
        EXPECT_EQ(CentredStart(refStart, refLength, length, areaStart, areaEnd), start) << refStart << " " << length;
    }
}

TEST(ExecutablePath, SplitsAtTheLastSeparator) {
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Tools\\a.exe", L"C:\\Tools\\", L"a.exe"},
        {L"a.exe", L"", L"a.exe"},
        {L"C:a.exe", L"C:", L"a.exe"},
        {L"/home/u/a.exe", L"/home/u/", L"a.exe"}};
    for (auto [path, folder, file] : cases) {
        const ExecutablePath split = SplitExecutablePath(path);
        EXPECT_EQ(std::pair(split.folder, split.fileName), std::pair(std::wstring(folder), std::wstring(file)));
    }
}
