#include "framework/FontDescriptor.h"

#include <gtest/gtest.h>

TEST(FontDescriptor, ReadsTheSixFieldsWithDefaults) {
    struct Case {
        const char* text;
        const char* face;
        int32_t points;
        int32_t weight;
        int italic, underline, strikeout;
    } cases[] = {
        {"Microsoft YaHei,9,0", "Microsoft YaHei", 9, 400, 0, 0, 0},
        {"Microsoft YaHei, 9,0", "Microsoft YaHei", 9, 400, 0, 0, 0},
        {",0", "SimSun", 9, 400, 0, 0, 0},
        {"", "SimSun", 9, 400, 0, 0, 0},
        {"  Arial  ,20,1,1", "Arial", 20, 700, 1, 0, 0},
        {"Arial,x,yes,1", "Arial", 9, 400, 1, 0, 0},  // not numbers: size 9, regular
        {"Arial,0", "Arial", 9, 400, 0, 0, 0},
        {"Arial,12,2,0,1,1", "Arial", 12, 700, 0, 1, 1},
        {"Arial,12,0,0,0,1,1,1", "Arial", 12, 400, 0, 0, 1},         // fields after the sixth are ignored
        {"Arial,12,0,0,0,1,zzz,999", "Arial", 12, 400, 0, 0, 1},     //
        {"Arial,12,0,0,0,7 , whatever", "Arial", 12, 400, 0, 0, 7},  //
        {"Arial,12,0,257", "Arial", 12, 400, 1, 0, 0},               // kept as a byte
        {"宋体,10", "宋体", 10, 400, 0, 0, 0},                       // 8-bit face kept byte for byte
        {",,,,,,", "SimSun", 9, 400, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const FontSpec font = ParseFontDescriptor(c.text);
        EXPECT_EQ(font.face, c.face) << c.text;
        EXPECT_EQ(font.points, c.points) << c.text;
        EXPECT_EQ(font.weight, c.weight) << c.text;
        EXPECT_EQ(font.italic, c.italic) << c.text;
        EXPECT_EQ(font.underline, c.underline) << c.text;
        EXPECT_EQ(font.strikeout, c.strikeout) << c.text;
    }
}
