#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "PictureSamples.h"
#include "download/ErrorPage.h"
#include "download/PictureStructure.h"

using namespace samples;
using Shape = PictureShape;

// A body judged by its own bytes, as it arrives: whether a known picture format reaches its end, and whether it begins
// like a page. Every case is fed whole, in two pieces cut at every place, and byte by byte: the verdict never changes.
TEST(PictureBytes, TheFormatsEndAndPagesAreToldWhereverTheBodyIsCut) {
    const std::string jpeg = Jpeg(9), png = Png(3, 2), gif = Gif(std::string(600, 'g'));
    const auto Utf16 = [](const std::string& ascii, bool bigEnd) {  // with its byte-order mark
        std::string out = bigEnd ? "\xFE\xFF" : "\xFF\xFE";
        for (char c : ascii) out += bigEnd ? std::string{'\0', c} : std::string{c, '\0'};
        return out;
    };
    const std::string scan = "\xFF\xD8" + Segment(0xDA, std::string(6, '\x01')) +
                             std::string("\x12\xFF\x00\x34\xFF\xD3\x56\xFF\xFF", 9);  // stuffing, restart, fill
    // clang-format off
    struct Case { const char* what; std::string body; Shape shape; bool page; };
    const std::vector<Case> cases = {
        {"a whole JPEG", jpeg, Shape::Whole, false},
        {"a JPEG with data after its end", jpeg + "\xFF\xD9 camera data", Shape::Whole, false},
        {"a JPEG cut before its end marker", jpeg.substr(0, jpeg.size() - 2), Shape::Cut, false},
        {"a JPEG cut in its last scan", Jpeg(400).substr(0, Jpeg(400).size() - 40), Shape::Cut, false},
        {"a thumbnail's end marker inside a segment ends nothing",
         "\xFF\xD8" + Segment(0xE1, "Exif\xFF\xD8\xFF\xD9") + Segment(0xDB, "x"), Shape::Cut, false},
        {"stuffed bytes, restart markers and fill in a scan, then the end", scan + "\xD9", Shape::Whole, false},
        {"the same scan without its end", scan, Shape::Cut, false},
        {"an end marker before any scan", "\xFF\xD8\xFF\xD9", Shape::Cut, false},
        {"a segment shorter than its own length field", "\xFF\xD8\xFF\xE0\x00\x01", Shape::Cut, false},
        {"only the beginning of the JPEG signature", "\xFF\xD8", Shape::Cut, false},
        {"a JPEG signature before what looks like a page", "\xFF\xD8\xFF<html>", Shape::Cut, false},
        {"a whole PNG", png, Shape::Whole, false},
        {"a PNG cut in its IEND chunk", png.substr(0, png.size() - 1), Shape::Cut, false},
        {"a PNG without its IEND chunk", png.substr(0, png.size() - 12), Shape::Cut, false},
        {"a whole GIF", gif, Shape::Whole, false},
        {"a GIF without its trailer", gif.substr(0, gif.size() - 1), Shape::Cut, false},
        {"a GIF with a broken block", gif.substr(0, 19) + "\x55", Shape::Cut, false},
        {"a WebP of the size it declares", std::string("RIFF\x06\0\0\0WEBPxy", 14), Shape::Whole, false},
        {"a WebP a byte short", std::string("RIFF\x06\0\0\0WEBPx", 13), Shape::Cut, false},
        {"a RIFF that is no WebP", std::string("RIFF\x04\0\0\0AVI ", 12), Shape::NotKnown, false},
        {"a BMP of the size it declares", std::string("BM\x08\0\0\0\0\0", 8), Shape::Whole, false},
        {"a BMP a byte short", std::string("BM\x09\0\0\0\0\0", 8), Shape::Cut, false},
        {"only the beginning of the GIF signature", "GIF8", Shape::Cut, false},
        {"text", "GIF8 is no picture", Shape::NotKnown, false},
        {"nothing", "", Shape::NotKnown, false},
        {"a page", " \r\n\t<!DOCTYPE HTML><title>404", Shape::NotKnown, true},
        {"JSON", "{\"error\":1}", Shape::NotKnown, true},
        {"only the beginning of a page's mark", "<htm", Shape::NotKnown, false},
        {"a page behind a UTF-8 byte-order mark", "\xEF\xBB\xBF  <html><body>gone", Shape::NotKnown, true},
        {"a page in UTF-16, little end first", Utf16(" \r\n<!doctype html>", false), Shape::NotKnown, true},
        {"a page in UTF-16, big end first", Utf16("<HTML>", true), Shape::NotKnown, true},
        {"UTF-16 text that is no page", Utf16("plain <html>", false), Shape::NotKnown, false},
        {"a page's bytes read with the wrong byte order", "\xFE\xFF" + Utf16("<html>", false).substr(2),
         Shape::NotKnown, false},
        {"the beginning of a byte-order mark", "\xEF\xBB", Shape::NotKnown, false},
    };
    // clang-format on
    for (const Case& c : cases) {
        for (size_t cut = 0; cut <= c.body.size() + 1; ++cut) {  // the last: byte by byte
            PictureStructure structure;
            PageStart start;
            const auto feed = [&](std::string_view piece) { structure.Feed(piece), start.Feed(piece); };
            if (cut > c.body.size()) {
                for (char byte : c.body) feed(std::string_view(&byte, 1));
            } else {
                feed(std::string_view(c.body).substr(0, cut)), feed(std::string_view(c.body).substr(cut));
            }
            ASSERT_EQ(structure.Shape(), c.shape) << c.what << ", cut at " << cut;
            ASSERT_EQ(start.LooksLikePage(), c.page) << c.what << ", cut at " << cut;
        }
    }
}
