#include "framework/ColorValue.h"

#include <gtest/gtest.h>

namespace {
// A fake system colour table: index i has the colour 0x00i0i0i0-ish pattern, so a mix-up of indices shows.
int32_t FakeSysColor(int index) {
    return 0x010101 * (index + 1);
}
}  // namespace

TEST(ColorValue, ResolvesPlainSystemAndDefaultCodes) {
    struct Case {
        ColorValue value;
        int32_t defaultColor;
        int32_t resolved;
    } cases[] = {
        {0x00FF0000, -1, 0x00FF0000},         // plain blue
        {0xFF00FF00, -1, 0x0000FF00},         // alpha is not part of the GDI colour
        {0xFFFFFFFF, -1, 0x00FFFFFF},         // opaque white stays distinct from "no colour"
        {kDefaultColor, -1, -1},              // the caller's default
        {kDefaultColor, 0x123456, 0x123456},  //
        {SystemColorValue(15), -1, FakeSysColor(15)},
        {SystemColorValue(0), -1, FakeSysColor(0)},
        {SystemColorValue(30), -1, FakeSysColor(30)},
        {SystemColorValue(8), -1, FakeSysColor(8)},
        {SystemColorValue(31), -1, 0x7F7F7F},  // beyond the system colours: the plain grey
        {0xFF7F7F7F, -1, 0x7F7F7F},
        {0x007F7F7E, -1, 0x7F7F7E},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResolveColorValue(c.value, c.defaultColor, FakeSysColor), c.resolved) << std::hex << c.value;
    }
}

TEST(ColorValue, ClassifiesTheMarkers) {
    EXPECT_EQ(ClassifyColor(0x197F7F7F), ColorKind::Default);
    EXPECT_EQ(ClassifyColor(0x087F7F7F), ColorKind::System);
    EXPECT_EQ(ClassifyColor(0x057F7F7F), ColorKind::System);
    EXPECT_EQ(ClassifyColor(0x1F7F7F7F), ColorKind::Plain);
    EXPECT_EQ(ClassifyColor(0x19000000), ColorKind::Plain);
    EXPECT_EQ(SystemColorValue(8), 0x087F7F7Fu);
}
