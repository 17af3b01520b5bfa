#pragma once
#include <cstdint>
#include <string_view>

#include "services/RtString.h"

// A font named by up to six comma-separated fields: face, point size, bold, italic, underline, strikeout,
// e.g. "Microsoft YaHei,9,0". Fields are trimmed; missing fields count as empty; fields after the sixth are ignored.
struct FontSpec {
    RtString face;         // 8-bit, code page 936; "SimSun" when the field is empty
    int32_t points = 9;    // 9 when the field is empty, 0 or not a number
    int32_t weight = 400;  // 700 when the bold field is a non-zero number
    uint8_t italic = 0;
    uint8_t underline = 0;
    uint8_t strikeout = 0;
};

inline constexpr int kFontDescriptorFields = 6;

FontSpec ParseFontDescriptor(std::string_view descriptor);
