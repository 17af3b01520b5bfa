// The tool's 8-bit text operations (1-based positions, 0 for nothing found) and the note addresses built with them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "scrape/NoteAddress.h"
#include "services/RtString.h"

TEST(RtString, CutsFindsAndReadsNumbersAtTheEdges) {
    for (auto [start, count, piece] : {std::tuple{2, 3, "ell"}, {2, -7, "ello"}, {5, 9, "o"}, {6, 1, ""}, {0, 2, ""}})
        EXPECT_EQ(Mid("hello", start, count), piece) << start << ", " << count;
    // start -> position of "bc" in "abcabc" forwards and backwards
    const int64_t positions[][3] = {{1, 2, 0}, {3, 5, 2}, {6, 0, 5}, {7, 0, 0}, {-1, 0, 5}};
    for (auto [start, forwards, backwards] : positions)
        EXPECT_EQ(std::pair(InStr(start, "abcabc", "bc"), InStrRev("abcabc", "bc", start)),
                  std::pair(forwards, backwards));
    EXPECT_EQ(InStr(1, std::string_view("a\0b", 3), std::string_view("\0b", 2)), 2) << "zero bytes are text";
    EXPECT_EQ(TextBetween(".htm i/3.htm", "i/", ".htm"), "3") << "the close marker is searched after the open one";
    // &H, &O, &B and & pick the base; then the C library's 32-bit unsigned rules
    const std::pair<const char*, uint32_t> numbers[] = {{"  12abc", 12},
                                                        {"&hff", 255},
                                                        {"&O17", 15},
                                                        {"&B101", 5},
                                                        {"&17", 15},
                                                        {"-1", 4294967295u},
                                                        {"4294967296", 4294967295u},
                                                        {"&O8", 0}};
    for (auto [text, value] : numbers) EXPECT_EQ(UnsignedFromText(text), value) << '"' << text << '"';
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
             {"http://x/I/5.HTML", "", "9", "http://x/I/5.HTML", "9"},    // case-sensitive
             {"", "&seq=12&back=0", "123", "=123&seq=12&back=0", "123"},  // the next chunk of the last note
             {"", "", "9", "", "9"},                                      // nothing to fetch
         }) {
        RtString noteId = before;
        const RtString expected = request[0] == '=' ? base + request : RtString(request);
        EXPECT_EQ(RequestAddressFor(address, tail, base, noteId), expected) << "[" << address << "] [" << tail << "]";
        EXPECT_EQ(noteId, after) << "[" << address << "]";
        EXPECT_EQ(IsNoteAddress(address), request[0] == '=' && *address != '\0') << "[" << address << "]";
    }
}
