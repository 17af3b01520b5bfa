#include "scrape/ReplyParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scrape/ChunkChain.h"
#include "services/RtString.h"

using namespace std::string_literals;

namespace {

// Listed rows and requested chunks in one log: a case also shows that a chunk's rows all come before the next request.
struct Search : PictureSink, ChunkSource {
    std::vector<std::string> answers;  // to the follow-up requests in turn; every request after them fails
    size_t answered = 0;
    std::vector<std::string> log;
    void AddPicture(std::string_view address) override { log.emplace_back(address); }
    std::string FetchChunk(std::string_view querySuffix) override {
        log.emplace_back(querySuffix);
        return answered < answers.size() ? answers[answered++] : "";
    }
};

struct Case {
    const char* fault;
    std::vector<std::string> replies;  // the first reply, then the answers to the follow-up requests in turn
    std::vector<std::string> log;      // listed addresses and requested query suffixes, in order
    ChainEnd end = ChainEnd::LastChunk;
};

// clang-format off
std::string Thumb(std::string_view address) { return std::string(address) + R"(?imageView2\/2\/w\/300\"> )"; }
std::string Pic(int n) { return "http://a/" + std::to_string(n) + ".jpg"; }
std::string More(int chunk) { return R"("has_more":true, "html":"<p data-seq=\")" + std::to_string(chunk) + R"(\">")"; }
std::string EscapedSlashes(int count) { return ReplaceAll(std::string(count, '/'), "/", "\\/"); }
const std::string kHundred = "http://a/" + std::string(91, 'x');

const Case kCases[] = {
    {"the last http of a piece counts", {R"(x http://a/1 http:\/\/b\/2.jpg?imageView)"}, {"http://b/2.jpg"}},
    {"https with escaped slashes, the thumbnail parameters dropped",
     {R"(<img src=\"https:\/\/p.voyanta.com\/n\/a1.jpeg?imageView2\/2\/w\/300\/q\/90\">)"},
     {"https://p.voyanta.com/n/a1.jpeg"}},
    {"only \\/ is unescaped", {R"(http:\\/\/a\b\/c?imageView)"}, {R"(http:\//a\b/c)"}},
    {"a marker at the very start; the text after the last marker is no piece",
     {"?imageView http://a/1.jpg?imageView http://a/2.jpg"}, {Pic(1)}},
    {"a piece without http is skipped", {"ftp://x?imageView, http://a/2.png?imageView"}, {"http://a/2.png"}},
    {"no thumbnail marker, no more-follows marker", {R"(http://a/1.jpg is_more":true has_more":false)"}, {}},
    {"100 bytes are kept, 101 skipped, counted after unescaping, however far behind an earlier http",
     {Thumb(kHundred) + Thumb(kHundred + "y") + Thumb("http" + EscapedSlashes(96)) +
      Thumb("http" + EscapedSlashes(97)) + Thumb("http://a/" + std::string(5000, 'y'))},
     {kHundred, "http" + std::string(96, '/')}},
    {"exact duplicates are listed once, near ones each",
     {Thumb(Pic(1)) + Thumb(Pic(2)) + Thumb(R"(http:\/\/a\/1.jpg)") + Thumb("http://a/1.jp") + Thumb(Pic(1) + ".webp")},
     {Pic(1), Pic(2), "http://a/1.jp", Pic(1) + ".webp"}},
    {"chunks follow in order, data-seq 12 is asked for as &seq=12&back=0, duplicates across chunks are listed once",
     {Thumb(Pic(1)) + Thumb(Pic(2)) + More(12), Thumb(Pic(3)) + Thumb(Pic(1)) + More(13),
      Thumb(Pic(4)) + Thumb(Pic(2)) + R"("has_more":false)"},
     {Pic(1), Pic(2), "&seq=12&back=0", Pic(3), "&seq=13&back=0", Pic(4)}},
    {"the last data-seq marker counts; blanks before the number are skipped",
     {"has_more\":true data-seq=\\\"3\\\"> <p data-seq=\\\" \t42x"}, {"&seq=42&back=0"}},
    {"a number beyond 32 bits", {R"(has_more":true data-seq=\"99999999999)"}, {"&seq=4294967295&back=0"}},
    {"no data-seq marker: the number is read from byte 11", {"abcdefghij42 has_more\":true"}, {"&seq=42&back=0"}},
    {"a reply that names no chunk asks for chunk 0, once", {R"(has_more":true data-seq=\"-4)", "has_more\":true"},
     {"&seq=0&back=0"}, ChainEnd::RepeatedChunk},
    {"a chunk number asked for again ends the chain",
     {Thumb(Pic(1)) + More(5), Thumb(Pic(2)) + More(6), Thumb(Pic(3)) + More(5)},
     {Pic(1), "&seq=5&back=0", Pic(2), "&seq=6&back=0", Pic(3)}, ChainEnd::RepeatedChunk},
    {"a failed follow-up ends the chain", {Thumb(Pic(1)) + More(2)}, {Pic(1), "&seq=2&back=0"}},
    {"zero bytes are read like any other",
     {"\0\0http://a/1.jpg?imageView\0http://b/\0.png?imageView\0has_more\":true data-seq=\\\"7"s},
     {Pic(1), "http://b/\0.png"s, "&seq=7&back=0"}},
};
// clang-format on

}  // namespace

TEST(ReplyParser, ListsEachNewAddressAndFollowsTheChunks) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fault);
        PictureSet seen;
        for (const std::string& address : {Pic(0), Pic(1)}) seen.Insert(address);
        seen.Clear();  // a new search: the last one's addresses are forgotten
        Search search;
        search.answers.assign(c.replies.begin() + 1, c.replies.end());
        EXPECT_EQ(CollectPictureLinks(c.replies[0], seen, search, search).end, c.end);
        EXPECT_EQ(search.log, c.log);
        std::string links;
        for (const std::string& entry : c.log) links += entry.starts_with("&seq=") ? "" : entry + "\r\n";
        EXPECT_EQ(seen.AllLinksText(), links);
    }
}

TEST(ChunkChain, EndsAtTheChunkLimitWhenTheServerNeverStops) {
    Search search;
    for (int n = 1; n <= static_cast<int>(kMaxChunksPerSearch); ++n)
        search.answers.push_back(Thumb(Pic(n)) + More(n + 1));
    PictureSet seen;
    const ChainResult result = CollectPictureLinks(More(1), seen, search, search);
    EXPECT_EQ(result.end, ChainEnd::ChunkLimit);
    EXPECT_EQ(result.chunksRead, kMaxChunksPerSearch);
    EXPECT_EQ(seen.Count(), kMaxChunksPerSearch - 1);
}
