// The note addresses the tool builds from what the user typed. (The text operations themselves are checked by the
// fuzz target against plain re-statements of their rules; its seeds hold their edge cases.)
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "scrape/NoteAddress.h"
#include "services/RtString.h"

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
