// The tool's 8-bit text operations (1-based positions, 0 for nothing found) and the note addresses built with them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "scrape/NoteAddress.h"
#include "services/RtString.h"

TEST(RtString, CutsAndConvertsAtTheEdges) {
    EXPECT_EQ(std::tuple(Left("hello", 2), Left("hello", -3), Left("hello", 99)), std::tuple("he", "", "hello"));
    // start, count -> piece of "hello"
    for (auto [start, count, piece] :
         {std::tuple{2, 3, "ell"}, {2, -7, "ello"}, {4, 99, "lo"}, {5, 1, "o"}, {6, 1, ""}, {0, 2, ""}, {1, 0, ""}}) {
        EXPECT_EQ(Mid("hello", start, count), piece) << start << ", " << count;
    }
    EXPECT_EQ(std::tuple(DecimalText(int32_t{-2147483647 - 1}), DecimalText(uint32_t{4294967295u})),
              std::tuple("-2147483648", "4294967295"));
    // Prefixes &H, &O, &B and & pick the base; then the C library's 32-bit unsigned rules.
    // clang-format off
    const std::pair<const char*, uint32_t> numbers[] = {
        {"  12abc", 12}, {"abc", 0}, {"&H1F", 31}, {"&hff", 255}, {"&O17", 15}, {"&B101", 5}, {"&b2", 0}, {"&17", 15},
        {"&x12", 0}, {"-1", 4294967295u}, {"4294967296", 4294967295u}, {"-4294967296", 4294967295u}, {"&H0x10", 16},
        {" \t 08", 8}, {"&O8", 0}};
    // clang-format on
    for (auto [text, value] : numbers) EXPECT_EQ(UnsignedFromText(text), value) << '"' << text << '"';
}

TEST(RtString, FindsFromAStartForwardsAndBackwardsAndRefusesBadArguments) {
    // start -> position of "bc" in "abcabc", forwards from start and backwards from it
    const std::tuple<int64_t, int64_t, int64_t> positions[] = {{1, 2, 0}, {3, 5, 2}, {4, 5, 2},  {5, 5, 5}, {6, 0, 5},
                                                               {7, 0, 0}, {0, 0, 0}, {-1, 0, 5}, {-9, 0, 5}};
    for (auto [start, forwards, backwards] : positions) {
        EXPECT_EQ(std::pair(InStr(start, "abcabc", "bc"), InStrRev("abcabc", "bc", start)),
                  std::pair(forwards, backwards))
            << start;
    }
    for (auto [text, find] : {std::pair{"abc", ""}, {"", "a"}, {"ab", "abc"}}) {
        EXPECT_EQ(InStr(1, text, find) + InStrRev(text, find), 0) << text << " / " << find;
    }
    EXPECT_EQ(InStr(1, std::string_view("a\0b", 3), std::string_view("\0b", 2)), 2) << "zero bytes are text";
}

TEST(RtString, TakesTextBetweenMarkersPiecesAndReplacements) {
    EXPECT_EQ(TextBetween("https://www.example.com/i/12345.html", "i/", ".htm"), "12345");
    EXPECT_EQ(TextBetween(".htm i/3.htm", "i/", ".htm"), "3") << "the close marker is searched after the open one";
    EXPECT_EQ(TextBetween("xi/12", "i/", ".htm"), "");
    const std::string text = "a?imageViewb?imageViewc";
    EXPECT_EQ(std::tuple(CountPieces(text, "?imageView"), CountPieces("aaaa", "aa"), CountPieces("abc", "")),
              std::tuple(3, 3, 1));
    for (auto [k, piece] : {std::pair{1, "a"}, {2, "b"}, {3, "c"}, {4, ""}, {0, ""}}) {
        EXPECT_EQ(GetPiece(text, "?imageView", k), piece) << k;
    }
    EXPECT_EQ(std::tuple(GetPiece("abc", ",", 1), GetPiece("a,b,", ",", 3), GetPiece(",a", ",", 1)),
              std::tuple("abc", "", ""));
    EXPECT_EQ(ReplaceAll(R"(http:\/\/a\/b.jpg)", R"(\/)", "/"), "http://a/b.jpg");
    EXPECT_EQ(ReplaceAll("banana", "a", "aa"), "baanaanaa") << "a replacement is never searched again";
    EXPECT_EQ(std::tuple(ReplaceAll("aaa", "aa", "a"), ReplaceAll("abc", "", "x")), std::tuple("aa", "abc"));
}

TEST(NoteAddress, NoteAddressesBecomeChunkRequestsAndOtherAddressesAreFetchedAsTyped) {
    const RtString base = "http://127.0.0.1:8080/note/ajax/detail/getNoteDetailContentChunk?id";
    EXPECT_EQ(ChunkEndpointBaseFor("127.0.0.1:8080"), base);
    // typed address, query tail, note id before -> request ("=..." after the endpoint base), note id after
    for (auto [address, tail, before, request, after] : {
             std::tuple{"http://www.example.com/i/123.html", "", "9", "=123", "123"},
             {"http://www.example.com/wiki/i/123.htm", "", "", "=i/123", "i/123"},  // from the first "i/"
             {"  http://www.example.com/i/77.html  ", "", "", "=77", "77"},
             {"http://x/a.htm/i/5", "", "9", "=", ""},  // its only ".htm" comes before "i/": an empty id
             {"http://x/I/5.HTML", "", "9", "http://x/I/5.HTML", "9"},  // case-sensitive
             {" http://x/a b ", "", "9", " http://x/a b ", "9"},
             {"", "&seq=12&back=0", "123", "=123&seq=12&back=0", "123"},  // the next chunk of the last note
             {"http://x/page", "&seq=12&back=0", "9", "http://x/page", "9"},
             {"http://x/i/4.html", "&seq=12&back=0", "9", "=4", "4"},
             {"", "", "9", "", "9"},  // nothing to fetch
         }) {
        RtString noteId = before;
        const RtString expected = request[0] == '=' ? base + request : RtString(request);
        EXPECT_EQ(RequestAddressFor(address, tail, base, noteId), expected) << "[" << address << "] [" << tail << "]";
        EXPECT_EQ(noteId, after) << "[" << address << "]";
        EXPECT_EQ(IsNoteAddress(address), request[0] == '=' && *address != '\0') << "[" << address << "]";
    }
}
