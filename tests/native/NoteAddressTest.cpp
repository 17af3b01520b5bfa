#include "scrape/NoteAddress.h"

#include <gtest/gtest.h>

namespace {
constexpr char kBase[] = "http://127.0.0.1:8080/note/ajax/detail/getNoteDetailContentChunk?id";
}

TEST(NoteAddress, ComposesTheChunkEndpointForAHost) {
    EXPECT_EQ(ChunkEndpointBaseFor("127.0.0.1:8080"), kBase);
    EXPECT_EQ(ChunkEndpointBaseFor(kWebHost),
              "http://" VOYANTA_WEB_HOST "/note/ajax/detail/getNoteDetailContentChunk?id");
}

TEST(NoteAddress, RewritesNoteAddressesAndKeepsTheLastId) {
    struct Case {
        const char* address;
        const char* tail;
        const char* idBefore;
        const char* request;  // what is fetched
        const char* idAfter;
    } cases[] = {
        // First chunk of a note: id between the first "i/" and the ".htm" after it.
        {"http://www.example.com/i/123.html", "", "9", "=123", "123"},
        {"http://www.example.com/i/123.htm", "", "", "=123", "123"},
        {"http://www.example.com/wiki/i/123.html", "", "", "=i/123", "i/123"},
        {"  http://www.example.com/i/77.html  ", "", "", "=77", "77"},
        {"http://x/a.htm/i/5", "", "9", "=", ""},                  // its only ".htm" comes before "i/": an empty id
        {"http://x/I/5.HTML", "", "9", "http://x/I/5.HTML", "9"},  // case-sensitive: fetched as typed
        // Anything else is fetched exactly as typed and keeps the id of the last note.
        {"http://x/i/5.php", "", "9", "http://x/i/5.php", "9"},
        {"http://x/page.html", "", "9", "http://x/page.html", "9"},
        {" http://x/a b ", "", "9", " http://x/a b ", "9"},
        // A follow-up chunk continues the last note; a tail beside an address is ignored.
        {"", "&seq=12&back=0", "123", "=123&seq=12&back=0", "123"},
        {"", "&seq=1&back=0", "", "=&seq=1&back=0", ""},
        {"http://x/page", "&seq=12&back=0", "9", "http://x/page", "9"},
        {"http://x/i/4.html", "&seq=12&back=0", "9", "=4", "4"},
        // Nothing to fetch.
        {"", "", "9", "", "9"},
    };
    for (const Case& c : cases) {
        RtString noteId = c.idBefore;
        const RtString request = RequestAddressFor(c.address, c.tail, kBase, noteId);
        const RtString expected = c.request[0] == '=' ? RtString(kBase) + c.request : RtString(c.request);
        EXPECT_EQ(request, expected) << "address [" << c.address << "] tail [" << c.tail << "]";
        EXPECT_EQ(noteId, c.idAfter) << "address [" << c.address << "]";
        EXPECT_EQ(IsNoteAddress(c.address), RtString(c.request).rfind('=', 0) == 0 && *c.address != '\0');
    }
}
