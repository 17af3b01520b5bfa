// Fuzzes the text operations and the reading of replies against plain re-statements of their rules. The input is one
// reply; cut at each 0x1E byte, a chain whose parts answer the requests in turn; else the text operations' arguments.
// It is also a downloaded body: whether it is a whole picture or a page is told alike wherever it is cut.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "download/ErrorPage.h"
#include "download/PictureStructure.h"
#include "scrape/ChunkChain.h"
#include "scrape/ReplyParser.h"
#include "services/RtString.h"

namespace {
constexpr size_t kNone = std::string_view::npos;
#define REQUIRE(rule) ((rule) ? void() : (std::fprintf(stderr, "mismatch: %s\n", #rule), std::abort()))
constexpr auto Position = [](size_t at) { return at == kNone ? 0 : int64_t(at) + 1; };
int64_t RefInStr(int64_t start, std::string_view s, std::string_view find) {
    return Position(find.empty() || start < 1 || start > int64_t(s.size()) ? kNone : s.find(find, start - 1));
}
int64_t RefInStrRev(std::string_view s, std::string_view find, int64_t start) {
    const bool none = find.empty() || start == 0 || start > int64_t(s.size());
    return Position(none ? kNone : s.rfind(find, start < 0 ? kNone : start - 1));
}
std::string RefMid(std::string_view s, int64_t start, int64_t count) {
    const bool none = start < 1 || start > int64_t(s.size()) || count == 0;
    return none ? "" : std::string(s.substr(start - 1, count < 0 ? kNone : size_t(count)));
}
std::vector<std::string> RefPieces(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    for (size_t from = 0, at = 0; at != kNone; from = at + delimiter.size()) {
        at = delimiter.empty() ? kNone : text.find(delimiter, from);
        pieces.emplace_back(text.substr(from, at == kNone ? kNone : at - from));
    }
    return pieces;
}
// Blanks, a base prefix, then the C library's strtoull folded to a 32-bit unsigned long.
uint32_t RefUnsigned(std::string_view s) {
    while (!s.empty() && (s[0] == ' ' || s[0] == '\t')) s.remove_prefix(1);
    const bool prefixed = s.starts_with('&');
    const int kind = prefixed && s.size() > 1 ? s[1] | 0x20 : 0;
    const int base = !prefixed ? 10 : kind == 'h' ? 16 : kind == 'b' ? 2 : 8;
    s.remove_prefix(!prefixed ? 0 : base != 8 || kind == 'o' ? 2 : 1);
    const std::string digits(s.substr(0, s.find('\0')));  // the C library reads up to the terminator
    const bool negative = digits[std::min(digits.size(), digits.find_first_not_of(" \t\n\v\f\r"))] == '-';
    const unsigned long long read = (errno = 0, std::strtoull(digits.c_str(), nullptr, base));
    const unsigned long long magnitude = negative ? 0ull - read : read;
    return errno == ERANGE || magnitude > 0xFFFFFFFFull ? 0xFFFFFFFFu
                                                        : uint32_t(negative ? 0ull - magnitude : magnitude);
}
// Replies parsed one after another the slow, obvious way with the text operations, one set of addresses seen.
std::vector<std::string> RefPictureAddresses(const std::vector<std::string>& replies) {
    std::vector<std::string> listed;
    std::set<std::string> seen;
    for (const std::string& reply : replies)
        for (int64_t k = 1, pieces = CountPieces(reply, "?imageView"); k < pieces; ++k) {
            const RtString piece = GetPiece(reply, "?imageView", k);
            const int64_t at = InStrRev(piece, "http", -1);
            const RtString address = "http" + ReplaceAll(Mid(piece, at + 4), "\\/", "/");
            if (at > 0 && address.size() <= 100 && seen.insert(address).second) listed.push_back(address);
        }
    return listed;
}
// The chunk number: the decimal digits after blanks, 11 bytes past the last marker (position 0 without one).
uint32_t RefChunkNumber(std::string_view reply) {
    const RtString rest = Mid(reply, InStrRev(reply, "data-seq=\\\"", -1) + 11);
    return UnsignedFromText(rest.substr(0, rest.find_first_not_of(" \t0123456789")));
}
struct Chain : PictureSink, ChunkSource {
    std::vector<std::string> parts, addresses;
    std::set<std::string> suffixes;
    PictureSet seen;
    void AddPicture(std::string_view address) override { addresses.emplace_back(address); }
    std::string FetchChunk(std::string_view suffix) override {
        REQUIRE(suffixes.insert(std::string(suffix)).second);  // no chunk is requested twice
        return parts.resize(std::max(parts.size(), suffixes.size() + 1)), parts[suffixes.size()];  // none: failed
    }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    Chain one, chain;  // one reply alone; the chain lists what its replies list read one after another
    const ReplyScan scan = ScanReply(reply, one.seen, one);
    REQUIRE(scan.hasMore == (InStr(1, reply, "has_more\":true") > 0));
    REQUIRE(!scan.hasMore || scan.nextChunk == RefChunkNumber(reply));
    chain.parts = RefPieces(reply, "\x1E");
    const ChainResult result = CollectPictureLinks(chain.parts[0], chain.seen, chain, chain);
    REQUIRE(result.chunksRead == chain.suffixes.size() + 1 && result.chunksRead <= kMaxChunksPerSearch);
    const auto expected = RefPictureAddresses({chain.parts.begin(), chain.parts.begin() + result.chunksRead});
    std::string links;
    for (const std::string& a : expected) links += a + "\r\n";
    REQUIRE(expected == chain.addresses && chain.seen.AllLinksText() == links && chain.seen.Count() == expected.size());
    PictureStructure whole, cut;
    PageStart wholeStart, cutStart;
    whole.Feed(reply), wholeStart.Feed(reply);
    for (size_t at = 0, step = 1; at < size; at += step, step = step * 5 % 23 + 1)
        cut.Feed(reply.substr(at, step)), cutStart.Feed(reply.substr(at, step));
    REQUIRE(whole.Shape() == cut.Shape() && wholeStart.LooksLikePage() == cutStart.LooksLikePage());
    FuzzedDataProvider input(data, size);
    const auto number = [&](int64_t low, int64_t high) { return input.ConsumeIntegralInRange<int64_t>(low, high); };
    const int64_t start = number(-3, 48), count = number(-3, 48), k = number(-1, 12);
    const std::string find = input.ConsumeRandomLengthString(8), other = input.ConsumeRandomLengthString(8);
    const std::string text = input.ConsumeRemainingBytesAsString();
    REQUIRE(InStr(start, text, find) == RefInStr(start, text, find) &&
            InStrRev(text, find, start) == RefInStrRev(text, find, start));
    REQUIRE(Mid(text, start, count) == RefMid(text, start, count) &&
            Left(text, count) == RefMid(text, 1, count < 0 ? 0 : count));
    const std::vector<std::string> pieces = RefPieces(text, find);
    REQUIRE(CountPieces(text, find) == int64_t(pieces.size()));
    REQUIRE(GetPiece(text, find, k) == (k >= 1 && k <= int64_t(pieces.size()) ? pieces[k - 1] : ""));
    std::string joined = pieces[0];  // every delimiter replaced: the pieces joined again, never searched twice
    for (size_t i = 1; i < pieces.size(); ++i) joined += other + pieces[i];
    REQUIRE(ReplaceAll(text, find, other) == joined);
    const int64_t after = RefInStr(1, text, find) + int64_t(find.size()), close = RefInStr(after, text, other);
    REQUIRE(TextBetween(text, find, other) ==
            (after > int64_t(find.size()) && close > 0 ? RefMid(text, after, close - after) : ""));
    REQUIRE(UnsignedFromText(text) == RefUnsigned(text) && UnsignedFromText(find + text) == RefUnsigned(find + text));
    return 0;
}
