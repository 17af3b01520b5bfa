// Fuzzes the reading of a reply: pieces, duplicates, the chunk number and the chain of chunks. The input is one reply;
// cut at each 0x1E byte it is also a chain whose first part is the first reply and whose further parts answer the
// follow-up requests in turn.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "ReferenceReplyParser.h"
#include "scrape/ChunkChain.h"
#include "scrape/ReplyParser.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

struct Recorder : PictureSink {
    std::vector<std::string> addresses;
    void AddPicture(std::string_view address) override { addresses.emplace_back(address); }
};

struct Parts : ChunkSource {
    std::vector<std::string> parts;
    size_t next = 1;
    std::set<std::string> suffixes;
    std::string FetchChunk(std::string_view suffix) override {
        Require(suffixes.insert(std::string(suffix)).second, "a chunk is requested twice");
        return next < parts.size() ? parts[next++] : std::string();
    }
};

// The chunk number as the text operations read it: 11 bytes after the last marker (position 0 without one).
uint32_t ReferenceChunkNumber(std::string_view reply) {
    const int64_t at = InStrRev(reply, "data-seq=\\\"", -1);
    const RtString rest = Mid(reply, at + 11);
    size_t i = 0;
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    uint64_t value = 0;
    for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(rest[i] - '0');
        if (value > 0xFFFFFFFFull) value = 0xFFFFFFFFull;
    }
    return static_cast<uint32_t>(value);
}

void CheckOneReply(std::string_view reply) {
    PictureSet seen;
    Recorder sink;
    const ReplyScan scan = ScanReply(reply, seen, sink);

    std::set<std::string> referenceSeen;
    Require(ReferencePictureAddresses(reply, referenceSeen) == sink.addresses, "the text operations list the same");
    std::string links;
    for (const std::string& address : sink.addresses) links += address + "\r\n";
    Require(seen.AllLinksText() == links && seen.Count() == sink.addresses.size(), "the set keeps what was listed");
    Require(scan.hasMore == (InStr(1, reply, "has_more\":true") > 0), "more follows exactly when the marker stands");
    if (scan.hasMore) Require(scan.nextChunk == ReferenceChunkNumber(reply), "the chunk number reads the same");
}

void CheckChain(std::string_view input) {
    Parts source;
    size_t start = 0;
    for (size_t cut; (cut = input.find('\x1E', start)) != std::string_view::npos; start = cut + 1) {
        source.parts.emplace_back(input.substr(start, cut - start));
    }
    source.parts.emplace_back(input.substr(start));

    PictureSet seen;
    Recorder sink;
    const ChainResult result = CollectPictureLinks(source.parts[0], seen, sink, source);
    Require(result.chunksRead == source.suffixes.size() + 1, "every request is read");
    Require(result.chunksRead <= kMaxChunksPerSearch, "the chain is bounded");

    // The same replies, read one after another with one shared set, list the same rows in the same order.
    std::set<std::string> referenceSeen;
    std::vector<std::string> expected;
    for (size_t i = 0; i < result.chunksRead; ++i) {
        const std::string_view reply = i < source.parts.size() ? std::string_view(source.parts[i]) : "";
        for (std::string& address : ReferencePictureAddresses(reply, referenceSeen)) expected.push_back(address);
    }
    Require(expected == sink.addresses, "the chain lists each chunk's new addresses in order");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckOneReply(input);
    CheckChain(input);
    return 0;
}
