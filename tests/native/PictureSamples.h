#pragma once
// Small valid pictures made here, byte by byte: a grey baseline JPEG, an RGB PNG and a GIF, as large as asked.
#include <cstdint>
#include <string>

namespace samples {

inline std::string Be(uint32_t v, int bytes) {  // big-endian
    std::string out;
    while (bytes-- > 0) out += static_cast<char>(v >> (8 * bytes));
    return out;
}
inline std::string Segment(int marker, const std::string& body) {  // a JPEG segment with its length
    return std::string{'\xFF', static_cast<char>(marker)} + Be(static_cast<uint32_t>(body.size() + 2), 2) + body;
}
// 8 x 8*blocks grey pixels; every block codes as "DC unchanged, end of block", two bits each. The comment pads it.
inline std::string Jpeg(int blocks, const std::string& comment = "made by the tests") {
    const std::string table = std::string(1, '\x01') + std::string(16, '\0');  // one code of length 1, for symbol 0
    std::string data((blocks * 2 + 7) / 8, '\0');
    if (blocks % 4) data.back() = static_cast<char>(0xFF >> (2 * (blocks % 4)));  // padded with one bits
    return std::string("\xFF\xD8") + Segment(0xFE, comment) +
           Segment(0xDB, std::string(1, '\0') + std::string(64, '\1')) +
           Segment(0xC0, std::string("\x08") + Be(8, 2) + Be(8 * blocks, 2) + std::string("\x01\x01\x11\x00", 4)) +
           Segment(0xC4, std::string(1, '\0') + table) + Segment(0xC4, std::string(1, '\x10') + table) +
           Segment(0xDA, std::string("\x01\x01\x00\x00\x3F\x00", 6)) + data + "\xFF\xD9";
}
inline std::string PngChunk(const std::string& type, const std::string& data) {
    uint32_t crc = 0xFFFFFFFF;
    for (unsigned char c : type + data)
        for (int k = 0; k < 8; ++k, c >>= 1) crc = crc >> 1 ^ (0xEDB88320u & (0u - ((crc ^ c) & 1)));
    return Be(static_cast<uint32_t>(data.size()), 4) + type + data + Be(~crc, 4);
}
// width x height RGB pixels in one stored deflate block (at most 65535 bytes of rows).
inline std::string Png(int width, int height) {
    std::string rows;
    for (int y = 0; y < height; ++y) {
        rows += '\0';  // no filter
        for (int x = 0; x < width * 3; ++x) rows += static_cast<char>(x * 7 + y);
    }
    uint32_t a = 1, b = 0;
    for (unsigned char c : rows) a = (a + c) % 65521, b = (b + a) % 65521;
    const auto n = static_cast<uint16_t>(rows.size());
    const std::string zlib =
        std::string("\x78\x01\x01") + std::string{char(n), char(n >> 8), char(~n), char(~n >> 8)} + rows;
    return std::string("\x89PNG\r\n\x1A\n") +
           PngChunk("IHDR", Be(width, 4) + Be(height, 4) + std::string("\x08\x02\0\0\0", 5)) +
           PngChunk("IDAT", zlib + Be(b << 16 | a, 4)) + PngChunk("IEND", "");
}
// One pixel; the comment, in sub-blocks of up to 255 bytes, pads it.
inline std::string Gif(const std::string& comment = "made by the tests") {
    std::string blocks;
    for (size_t at = 0; at < comment.size(); at += 255)
        blocks += static_cast<char>(comment.substr(at, 255).size()), blocks += comment.substr(at, 255);
    return std::string("GIF89a") + std::string("\x01\0\x01\0\x80\0\0\0\0\0\xFF\xFF\xFF\x21\xFE", 15) + blocks + '\0' +
           std::string("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0\x3B", 16);
}

}  // namespace samples
