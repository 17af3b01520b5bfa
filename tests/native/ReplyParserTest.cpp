#include "scrape/ReplyParser.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "../fuzz/ReferenceReplyParser.h"
#include "scrape/ChunkChain.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

using namespace std::string_literals;

struct RecordingSink : PictureSink {
    std::vector<std::string> addresses;
    void AddPicture(std::string_view address) override { addresses.emplace_back(address); }
};

std::vector<std::string> Scan(std::string_view reply) {
    PictureSet seen;
    RecordingSink sink;
    ScanReply(reply, seen, sink);
    return sink.addresses;
}

// Answers follow-up requests from a table; an unknown chunk is a failed request (empty reply). Every request is
// logged in the sink's order, so a test sees which rows stood in the list when a chunk was asked for.
struct ScriptedChunks : ChunkSource {
    std::map<std::string, std::string> replies;
    std::vector<std::string> requests;
    RecordingSink* log = nullptr;
    std::string FetchChunk(std::string_view querySuffix) override {
        requests.emplace_back(querySuffix);
        if (log) log->addresses.push_back("fetch " + std::string(querySuffix));
        const auto found = replies.find(std::string(querySuffix));
        return found == replies.end() ? std::string() : found->second;
    }
};

std::string Thumb(std::string_view address) {
    return std::string(address) + "?imageView2/2/w/300\\\"> ";
}

std::string MoreFollows(int chunk) {
    return "\"has_more\":true, \"html\":\"<p data-seq=\\\"" + std::to_string(chunk) + "\\\">\"";
}

}  // namespace

TEST(ReplyParser, TakesTheAddressFromTheLastHttpOfEachPiece) {
    // Two "http" in a piece: the second one starts the address.
    EXPECT_THAT(Scan(R"(x http://a/1 http:\/\/b\/2.jpg?imageView2)"), ElementsAre("http://b/2.jpg"));
    // https with escaped slashes: plain slashes, thumbnail parameters dropped.
    EXPECT_THAT(Scan(R"(<img src=\"https:\/\/p.voyanta.com\/n\/a1.jpeg?imageView2\/2\/w\/300\/q\/90\">)"),
                ElementsAre("https://p.voyanta.com/n/a1.jpeg"));
    // A marker at the very start gives an empty piece; the text after the last marker is no piece.
    EXPECT_THAT(Scan("?imageView http://a/1.jpg?imageView http://a/2.jpg"), ElementsAre("http://a/1.jpg"));
    // No marker, no pieces; a piece without "http" is skipped, the next one still counts.
    EXPECT_THAT(Scan("http://a/1.jpg and more"), IsEmpty());
    EXPECT_THAT(Scan("ftp://x?imageView, http://a/2.png?imageView"), ElementsAre("http://a/2.png"));
    // Only "\/" is unescaped: a doubled backslash keeps one, a lone backslash stays.
    EXPECT_THAT(Scan(R"(http:\\/\/a\b\/c?imageView)"), ElementsAre(R"(http:\//a\b/c)"));
    EXPECT_THAT(Scan("http?imageView"), ElementsAre("http"));
}

TEST(ReplyParser, KeepsAddressesUpToOneHundredBytes) {
    const std::string start = "http://a/";
    const std::string exact = start + std::string(100 - start.size(), 'x');
    const std::string over = start + std::string(101 - start.size(), 'x');
    EXPECT_THAT(Scan(Thumb(exact) + Thumb(over)), ElementsAre(exact));

    // The limit applies after unescaping: 192 escaped bytes behind "http" make exactly 100.
    std::string escaped = "http";
    for (int i = 0; i < 96; ++i) escaped += "\\/";
    EXPECT_THAT(Scan(Thumb(escaped)), ElementsAre("http" + std::string(96, '/')));
    EXPECT_THAT(Scan(Thumb(escaped + "\\/")), IsEmpty());
    const std::string ninetyFive = escaped.substr(0, escaped.size() - 2);
    EXPECT_THAT(Scan(Thumb(ninetyFive + "a")), ElementsAre("http" + std::string(95, '/') + "a"));
    EXPECT_THAT(Scan(Thumb(ninetyFive + "ab")), IsEmpty()) << "101 bytes after unescaping";
    // An "http" far before the marker whose tail is too long: skipped even though an earlier part looks fine.
    EXPECT_THAT(Scan("http://a/" + std::string(5000, 'y') + "?imageView"), IsEmpty());
}

TEST(ReplyParser, ListsEachAddressOnceAndPrefixesAsTheirOwnPictures) {
    PictureSet seen;
    RecordingSink sink;
    ScanReply(Thumb("http://a/1.jpg") + Thumb("http://a/2.jpg") + Thumb(R"(http:\/\/a\/1.jpg)"), seen, sink);
    ScanReply(Thumb("http://a/2.jpg") + Thumb("http://a/1.jpg.webp") + Thumb("http://a/1.jp") + Thumb("http://a/1"),
              seen, sink);
    EXPECT_THAT(sink.addresses,
                ElementsAre("http://a/1.jpg", "http://a/2.jpg", "http://a/1.jpg.webp", "http://a/1.jp", "http://a/1"));
    EXPECT_EQ(seen.AllLinksText(),
              "http://a/1.jpg\r\nhttp://a/2.jpg\r\nhttp://a/1.jpg.webp\r\nhttp://a/1.jp\r\nhttp://a/1\r\n");
    EXPECT_EQ(seen.Count(), 5u);
    seen.Clear();
    EXPECT_EQ(seen.AllLinksText(), "");

    // Through many growths of the table, every address is still found once.
    for (int i = 0; i < 5000; ++i) EXPECT_TRUE(seen.Insert("http://a/" + std::to_string(i))) << i;
    for (int i = 0; i < 5000; ++i) EXPECT_FALSE(seen.Insert("http://a/" + std::to_string(i))) << i;
    EXPECT_EQ(seen.Count(), 5000u);
    EXPECT_TRUE(seen.Insert(""));
    EXPECT_FALSE(seen.Insert(""));
}

TEST(ReplyParser, ReadsZeroBytesLikeAnyOther) {
    const std::string reply =
        "\0\0http://a/1.jpg?imageView\0http://b/\0.png?imageView\0has_more\":true data-seq=\\\"7"s;
    PictureSet seen;
    RecordingSink sink;
    const ReplyScan scan = ScanReply(reply, seen, sink);
    EXPECT_THAT(sink.addresses, ElementsAre("http://a/1.jpg", "http://b/\0.png"s));
    EXPECT_TRUE(scan.hasMore);
    EXPECT_EQ(scan.nextChunk, 7u);
}

TEST(ReplyParser, ReadsTheNextChunkNumberAfterTheLastMarker) {
    struct Case {
        std::string reply;
        uint32_t number;
    } cases[] = {
        {R"(has_more":true <p data-seq=\"3\"> <p data-seq=\"12\">)", 12},
        {R"(<p data-seq=\"   42x)", 42},
        {"<p data-seq=\\\"\t 5", 5},
        {R"(<p data-seq=\"-4)", 0},
        {R"(<p data-seq=\")", 0},
        {R"(<p data-seq=\"99999999999)", 4294967295u},
        {R"(<p data-seq=\"4294967295)", 4294967295u},
        // Without a marker the number is read from the 11th byte on.
        {"abcdefghij42 has_more\":true", 42},
        {"abcdefghij", 0},
        {"has_more\":true", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(NextChunkNumber(c.reply), c.number) << "reply: " << c.reply;
    EXPECT_EQ(ChunkQuerySuffix(12), "&seq=12&back=0");
    EXPECT_EQ(ChunkQuerySuffix(4294967295u), "&seq=4294967295&back=0");

    PictureSet seen;
    RecordingSink sink;
    EXPECT_FALSE(ScanReply(R"(<p data-seq=\"3\">)", seen, sink).hasMore);
    EXPECT_FALSE(ScanReply(R"(has_more":false)", seen, sink).hasMore);
}

TEST(ReplyParser, ListsTheSameAsTheTextOperationsOnRandomReplies) {
    // Replies built from the markers and their near misses, so pieces, escapes and duplicates meet in every way.
    const std::vector<std::string> parts = {"?imageView", "http", "https", ":\\/\\/", "\\/",    "\\",
                                            "/",          "a",    "x.jpg", "htt",     "?image", std::string(60, 'z'),
                                            "\0"s,        "?"};
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        std::string reply;
        const size_t count = random() % 40;
        for (size_t i = 0; i < count; ++i) reply += parts[random() % parts.size()];
        std::set<std::string> referenceSeen;
        EXPECT_EQ(Scan(reply), ReferencePictureAddresses(reply, referenceSeen)) << "reply: " << reply;
    }
}

TEST(ReplyParser, FindsHttpAndEscapesAtEveryPosition) {
    // The address is read several bytes at a time: move the "http", a "\/" and a lone backslash across every offset.
    for (size_t lead = 0; lead < 24; ++lead) {
        for (size_t at = 0; at < 40; ++at) {
            std::string body(40, 'b');
            body.replace(at, 0, at % 3 == 0 ? "\\" : "\\/");
            const std::string reply = std::string(lead, 'h') + "http" + body + "?imageView";
            std::set<std::string> referenceSeen;
            EXPECT_EQ(Scan(reply), ReferencePictureAddresses(reply, referenceSeen)) << "reply: " << reply;
        }
    }
}

TEST(ChunkChain, FollowsChunksInOrderUntilTheLastOne) {
    RecordingSink sink;
    ScriptedChunks chunks;
    chunks.log = &sink;
    chunks.replies["&seq=12&back=0"] = Thumb("http://a/3.jpg") + Thumb("http://a/1.jpg") + MoreFollows(13);
    chunks.replies["&seq=13&back=0"] = Thumb("http://a/4.jpg") + "\"has_more\":false";
    PictureSet seen;
    const ChainResult result =
        CollectPictureLinks(Thumb("http://a/1.jpg") + Thumb("http://a/2.jpg") + MoreFollows(12), seen, sink, chunks);
    EXPECT_THAT(sink.addresses, ElementsAre("http://a/1.jpg", "http://a/2.jpg", "fetch &seq=12&back=0",
                                            "http://a/3.jpg", "fetch &seq=13&back=0", "http://a/4.jpg"));
    EXPECT_EQ(result.chunksRead, 3u);
    EXPECT_EQ(result.end, ChainEnd::LastChunk);
}

TEST(ChunkChain, EndsWhenAFollowUpFails) {
    RecordingSink sink;
    ScriptedChunks chunks;  // knows no chunk: every follow-up gives an empty reply
    PictureSet seen;
    const ChainResult result = CollectPictureLinks(Thumb("http://a/1.jpg") + MoreFollows(2), seen, sink, chunks);
    EXPECT_THAT(sink.addresses, ElementsAre("http://a/1.jpg"));
    EXPECT_THAT(chunks.requests, ElementsAre("&seq=2&back=0"));
    EXPECT_EQ(result.chunksRead, 2u);
}

TEST(ChunkChain, StopsWhenAChunkNumberIsAskedForAgain) {
    RecordingSink sink;
    ScriptedChunks chunks;
    chunks.replies["&seq=5&back=0"] = Thumb("http://a/2.jpg") + MoreFollows(6);
    chunks.replies["&seq=6&back=0"] = Thumb("http://a/3.jpg") + MoreFollows(5);
    PictureSet seen;
    const ChainResult result = CollectPictureLinks(Thumb("http://a/1.jpg") + MoreFollows(5), seen, sink, chunks);
    EXPECT_THAT(chunks.requests, ElementsAre("&seq=5&back=0", "&seq=6&back=0"));
    EXPECT_THAT(sink.addresses, ElementsAre("http://a/1.jpg", "http://a/2.jpg", "http://a/3.jpg"));
    EXPECT_EQ(result.end, ChainEnd::RepeatedChunk);

    // A reply that asks for more but names no chunk asks for the same number every time: one follow-up only.
    ScriptedChunks silent;
    silent.replies["&seq=0&back=0"] = "has_more\":true";
    const ChainResult again = CollectPictureLinks("has_more\":true", seen, sink, silent);
    EXPECT_THAT(silent.requests, ElementsAre("&seq=0&back=0"));
    EXPECT_EQ(again.end, ChainEnd::RepeatedChunk);
}

TEST(ChunkChain, EndsAtTheChunkLimitWhenTheServerNeverStops) {
    struct EndlessChunks : ChunkSource {
        int requests = 0;
        std::string FetchChunk(std::string_view) override {
            ++requests;
            return Thumb("http://a/" + std::to_string(requests) + ".jpg") + MoreFollows(requests + 1);
        }
    } endless;
    RecordingSink sink;
    PictureSet seen;
    const ChainResult result = CollectPictureLinks(MoreFollows(1), seen, sink, endless);
    EXPECT_EQ(result.end, ChainEnd::ChunkLimit);
    EXPECT_EQ(result.chunksRead, kMaxChunksPerSearch);
    EXPECT_EQ(endless.requests, static_cast<int>(kMaxChunksPerSearch) - 1);
    EXPECT_EQ(sink.addresses.size(), kMaxChunksPerSearch - 1);
}
