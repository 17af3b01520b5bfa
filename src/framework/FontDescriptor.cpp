#include "framework/FontDescriptor.h"

#include <array>
#include <string_view>

namespace {

std::string_view TrimBlanks(std::string_view s) {
    const size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const size_t last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

int32_t FieldNumber(std::string_view field) {
    return static_cast<int32_t>(UnsignedFromText(field));
}

}  // namespace

FontSpec ParseFontDescriptor(std::string_view descriptor) {
    std::array<std::string_view, kFontDescriptorFields> fields{};
    std::string_view rest = descriptor;
    for (int i = 0; i < kFontDescriptorFields; ++i) {
        const size_t comma = rest.find(',');
        if (comma == std::string_view::npos) {
            fields[i] = TrimBlanks(rest);
            break;
        }
        fields[i] = TrimBlanks(rest.substr(0, comma));
        rest.remove_prefix(comma + 1);
    }

    FontSpec font;
    font.face = fields[0].empty() ? RtString("SimSun") : RtString(fields[0]);
    font.points = FieldNumber(fields[1]);
    if (font.points == 0) font.points = 9;
    font.weight = FieldNumber(fields[2]) != 0 ? 700 : 400;
    font.italic = static_cast<uint8_t>(FieldNumber(fields[3]));
    font.underline = static_cast<uint8_t>(FieldNumber(fields[4]));
    font.strikeout = static_cast<uint8_t>(FieldNumber(fields[5]));
    return font;
}
