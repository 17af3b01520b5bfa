#include "scrape/ReplyParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scrape/ChunkChain.h"
#include "services/RtString.h"

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

// The first reply, then the answers to the follow-up requests in turn; the expected log and end of the chain.
struct Case {
    const char* fault;
    std::vector<std::string> replies, log;
    ChainEnd end = ChainEnd::LastChunk;
};

// clang-format off
std::string Thumb(std::string_view address) { return std::string(address) + R"(?imageView2\/2\/w\/300\"> )"; }
std::string Pic(int n) { return "http://a/" + std::to_string(n) + ".jpg"; }
std::string More(int chunk) { return R"("has_more":true, "html":"<p data-seq=\")" + std::to_string(chunk) + R"(\">")"; }
std::string EscapedSlashes(int count) { return ReplaceAll(std::string(count, '/'), "/", "\\/"); }
const std::string kHundred = "http://a/" + std::string(91, 'x');

const Case kCases[] = {
    {"the last http of a piece counts, escaped slashes unescaped; a piece without http is skipped",
     {R"(ftp://x?imageView x http://a/1 https:\/\/b\/2.jpg?imageView)"}, {"https://b/2.jpg"}},
    {"a marker at the very start; the text after the last marker is no piece",
     {"?imageView http://a/1.jpg?imageView http://a/2.jpg"}, {Pic(1)}},
    {"no thumbnail marker, no more-follows marker", {R"(http://a/1.jpg is_more":true has_more":false)"}, {}},
    {"100 bytes are kept, 101 skipped, counted after unescaping, however far behind an earlier http",
     {Thumb(kHundred) + Thumb(kHundred + "y") + Thumb("http" + EscapedSlashes(96)) +
      Thumb("http" + EscapedSlashes(97)) + Thumb("http://a/" + std::string(5000, 'y'))},
     {kHundred, "http" + std::string(96, '/')}},
    {"exact duplicates are listed once, near ones each",
     {Thumb(Pic(1)) + Thumb(Pic(2)) + Thumb(R"(http:\/\/a\/1.jpg)") + Thumb("http://a/1.jp") + Thumb(Pic(1) + ".webp")},
     {Pic(1), Pic(2), "http://a/1.jp", Pic(1) + ".webp"}},
    {"chunks follow in order, data-seq 12 asked for as &seq=12&back=0, duplicates across chunks listed once; a failed "
     "follow-up ends the chain", {Thumb(Pic(1)) + Thumb(Pic(2)) + More(12), Thumb(Pic(3)) + Thumb(Pic(1)) + More(13)},
     {Pic(1), Pic(2), "&seq=12&back=0", Pic(3), "&seq=13&back=0"}},
    {"the last data-seq marker counts; blanks before the number are skipped",
     {"has_more\":true data-seq=\\\"3\\\"> <p data-seq=\\\" \t42x"}, {"&seq=42&back=0"}},
    {"a number beyond 32 bits", {R"(has_more":true data-seq=\"99999999999)"}, {"&seq=4294967295&back=0"}},
    {"no data-seq marker: the number is read from byte 11", {"abcdefghij42 has_more\":true"}, {"&seq=42&back=0"}},
    {"a reply that names no chunk asks for chunk 0, once", {R"(has_more":true data-seq=\"-4)", "has_more\":true"},
     {"&seq=0&back=0"}, ChainEnd::RepeatedChunk},
};
// clang-format on

}  // namespace

TEST(ReplyParser, ListsEachNewAddressAndFollowsTheChunks) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.fault);
        PictureSet seen;
        seen.Insert(Pic(0)), seen.Insert(Pic(1)), seen.Clear();  // a new search forgets the last one's addresses
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
    for (int n = 1; n <= int(kMaxChunksPerSearch); ++n) search.answers.push_back(Thumb(Pic(n)) + More(n + 1));
    PictureSet seen;
    const ChainResult result = CollectPictureLinks(More(1), seen, search, search);
    EXPECT_EQ(std::pair(result.end, result.chunksRead), std::pair(ChainEnd::ChunkLimit, kMaxChunksPerSearch));
    EXPECT_EQ(seen.Count(), kMaxChunksPerSearch - 1);
}
