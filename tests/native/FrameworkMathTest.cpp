// The framework's platform-free rules as tables: rounding and DPI, fonts, colours, labels, layout, controls, records.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>
#include <vector>

#include "framework/AppPaths.h"
#include "framework/Centring.h"
#include "framework/ControlTypes.h"
#include "framework/DpiMath.h"
#include "framework/FontDescriptor.h"
#include "framework/HandleChain.h"
#include "framework/LabelsStyle.h"
#include "framework/Layout.h"

TEST(DpiMath, HalvesRoundToEvenDesignUnitsScaleByTheScreenDpiAndFontsFollowIt) {
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max(), kMin = std::numeric_limits<int32_t>::min();
    const std::pair<double, int32_t> rounding[] = {{1165.5, 1166}, {22.5, 22},   {-1.5, -2},    {0.51, 1},
                                                   {-0.51, -1},    {1e12, kMax}, {-1e12, kMin}, {std::nan(""), 0}};
    for (auto [value, rounded] : rounding) EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    // requested DPI, screen DPI x and y -> form DPI and ratios
    const std::tuple<float, int32_t, int32_t, int32_t, float, float> forms[] = {
        {RequestedFormDpi(true), 144, 120, 144, 1.5f, 1.5f},
        {RequestedFormDpi(false), 144, 144, 96, 1.0f, 1.0f},
        {-0.25f, 144, 120, 0, 1.5f, 1.25f}};
    for (auto [requested, x, y, dpi, ratioX, ratioY] : forms) {
        const FormDpi form = ResolveFormDpi(requested, x, y);
        EXPECT_EQ(std::tuple(form.dpi, form.ratioX, form.ratioY), std::tuple(dpi, ratioX, ratioY)) << requested;
    }
    EXPECT_EQ(std::tuple(ScaleDesign(777, 1.5f), ScaleDesign(15, 1.5f), ScaleDesign(49, 1.5f), ScaleDesign(777, 1.0f)),
              std::tuple(1166, 22, 74, 777));
    EXPECT_EQ(std::pair(UnscalePixels(1500, 1.5f), UnscalePixels(1, 1.5f)), std::pair(1000, 1));
    EXPECT_EQ(std::tuple(FontHeightFromPoints(9, 96), FontHeightFromPoints(9, 144), FontHeightFromPoints(20, 120)),
              std::tuple(-12, -18, -33));
    EXPECT_EQ(PointsAtDpi(9, 96, 144), 6);  // a form at 96 DPI on a 144-DPI screen, truncated
    // font descriptors: up to six trimmed fields, face, points, weight, italic, underline, strike-out, with defaults
    const auto font = [](const char* text) {
        const FontSpec f = ParseFontDescriptor(text);
        return std::tuple(f.face, f.points, f.weight, int{f.italic}, int{f.underline}, int{f.strikeout});
    };
    EXPECT_EQ(font(""), std::tuple(std::string("SimSun"), 9, 400, 0, 0, 0));
    EXPECT_EQ(font("  Arial  , 20 ,x,1"), std::tuple(std::string("Arial"), 20, 400, 1, 0, 0));
    EXPECT_EQ(font("Arial,12,2,0,1,1,1,1"), std::tuple(std::string("Arial"), 12, 700, 0, 1, 1));
}

TEST(LabelsStyle, ColourCodesResolveFlagsClampTextFormatsFollowAndRectanglesScaleEachEdge) {
    const auto table = [](int index) { return 0x010101u * (index + 1); };  // a mix-up of indices shows
    EXPECT_EQ(ResolveColorValue(0xFF00FF00u, -1, table), 0x0000FF00);
    EXPECT_EQ(ResolveColorValue(kDefaultColor, 0x123456, table), 0x123456) << "the default, not a system colour";
    EXPECT_EQ(ResolveColorValue(SystemColorValue(15), -1, table), 0x101010);
    EXPECT_EQ(ToArgb(kDefaultColor, 0xDEADBEEFu, table), 0xDEADBEEFu);
    EXPECT_EQ(ToArgb(SystemColorValue(15), 0, table), 0xFF101010u) << "a system colour is opaque";
    EXPECT_EQ(ToArgb(0x00112233u, 0, table), 0x00332211u) << "a plain code without alpha is transparent";
    EXPECT_EQ(ToArgb(ColorValueFromRgb(0xAB0000FFu), 0, table), 0xFFFF0000u) << "red, opaque";
    const uint32_t flags = kLabelEnabled | kLabelVisible | kLabelPrefix | 0x03000000u;
    EXPECT_EQ(WithLabelAlignment(flags, 0xFFFFFFFFu), flags | 0x00080000u);
    EXPECT_EQ(WithLabelBorder(flags, 256), (flags & 0x00FFFFFFu) | 0xFF000000u);
    using namespace textformat;
    EXPECT_EQ(LabelTextFormat(7), kLeft | kWordBreak | kExpandTabs);  // the main window's labels: & marks a key
    EXPECT_EQ(LabelTextFormat(0x00040002u | kLabelEllipsis),
              kVCenter | kCenter | kSingleLine | kExpandTabs | kNoPrefix | kWordEllipsis);
    EXPECT_EQ(LabelPixelRect(1, 3, 1, 2, 1.5f, 1.5f), (PixelRect{2, 4, 3, 8}));  // each edge to the even
}

TEST(Layout, EveryModeKeepsItsEdgesOrCentreAndSizesNeverGoNegative) {
    // A control at (20, 30), 100 x 40, 15 from the right and 25 from the bottom of a 400 x 300 client area.
    const DesignRect control{20, 30, 100, 40};
    const DesignRect placed[] = {{20, 30, 365, 40},   {285, 30, 100, 40},  {140, 30, 100, 40}, {20, 30, 100, 245},
                                 {20, 30, 365, 245},  {285, 30, 100, 245}, {20, 235, 100, 40}, {20, 235, 365, 40},
                                 {285, 235, 100, 40}, {140, 235, 100, 40}, {20, 130, 100, 40}, {285, 130, 100, 40},
                                 {140, 115, 100, 40}};
    for (int32_t mode = 1; mode <= kAnchorLast; ++mode) {
        const AnchorSpec anchor{mode, 15, 25, -60, -35};
        EXPECT_EQ(AnchoredRect(anchor, control, 400, 300), placed[mode - 1]) << "mode " << mode;
        const DesignRect narrow = AnchoredRect(anchor, control, 30, 50).value_or(DesignRect{});
        const bool wide = mode == 1 || mode == 5 || mode == 8, tall = mode >= 4 && mode <= 6;
        EXPECT_EQ(std::pair(narrow.width, narrow.height), std::pair(wide ? 0 : 100, tall ? 0 : 40)) << "mode " << mode;
    }
    EXPECT_FALSE(AnchoredRect({14}, control, 400, 300).has_value());
    // An anchor taken at the design size keeps the control in place and follows a larger client area.
    EXPECT_EQ(AnchoredRect(AnchorAt(9, control, 400, 300), control, 500, 350), (DesignRect{120, 80, 100, 40}));
    EXPECT_EQ(AnchoredRect(AnchorAt(13, control, 400, 300), control, 400, 300), control);
}

TEST(ControlTypes, TypeNamesGiveClassesAndStyles) {
    EXPECT_EQ(ControlClassName(FindControlType(L"SLIDER"), L"Slider"), L"msctls_trackbar32");
    EXPECT_EQ(ControlClassName(FindControlType(L"MYCLASS"), L"MyClass"), L"MyClass");
    const auto styles = [](const wchar_t* type, int32_t style, int32_t ex) {
        const ControlStyles s = ResolveControlStyles(FindControlType(type), type, style, ex);
        return std::pair(s.style, s.exStyle);
    };
    EXPECT_EQ(styles(L"BUTTON", 0x8000, -1), std::pair(0x50018F00u, 0u)) << "a button's special style values";
    EXPECT_EQ(styles(L"CHECKBOX", 1, -1), std::pair(0x40000001u, 0u)) << "are no special values elsewhere";
    EXPECT_EQ(styles(L"TABCONTROL", -1, 0x200), std::pair(0x56030800u, 0x10200u)) << "-1: the type's default";
}

TEST(HandleChain, OpensASecondBlockForThe101stHandleFillsHolesFirstAndNeverStoresNull) {
    HandleChain<uintptr_t, int> chain;
    std::vector<int> records(102);
    for (uintptr_t h = 0; h <= 101; ++h) chain.Insert(h, &records[h]);
    EXPECT_EQ(std::tuple(chain.BlockCount(), chain.SlotOf(101), chain.Find(0)), std::tuple(2u, 100, nullptr));
    EXPECT_TRUE(chain.Remove(37));
    chain.Insert(500, &records[0]);
    chain.Insert(2, &records[7]);  // a known handle keeps its slot
    EXPECT_EQ(std::tuple(chain.SlotOf(500), chain.SlotOf(2), chain.Find(2), chain.Find(37), chain.Count()),
              std::tuple(36, 1, &records[7], nullptr, 101u));
}

TEST(Placement, WindowsCentreWithinTheWorkAreaAndTheProgramFolderEndsAtTheLastSeparator) {
    // reference start and length, length, work area start and end -> start: centred, then kept within the area
    EXPECT_EQ(std::tuple(CentredStart(0, 1280, 777, 0, 1280), CentredStart(1200, 400, 200, 0, 1280),
                         CentredStart(-300, 100, 200, 0, 1280), CentredStart(50, 1230, 3000, 50, 1280)),
              std::tuple(251, 1080, 0, 50));
    EXPECT_EQ(SplitExecutablePath(L"C:\\Tools\\a.exe").folder, L"C:\\Tools\\");
    EXPECT_EQ(SplitExecutablePath(L"/home/u/a.exe").fileName, L"a.exe");
}
