#include "scrape/ChunkChain.h"

#include <unordered_set>

ChainResult CollectPictureLinks(std::string_view firstReply, PictureSet& seen, PictureSink& sink, ChunkSource& source,
                                size_t maxChunks) {
    ChainResult result;
    std::unordered_set<uint32_t> requested;  // the first request carries no chunk number
    std::string reply;                       // owns every reply after the first
    std::string_view current = firstReply;
    for (;;) {
        const ReplyScan scan = ScanReply(current, seen, sink);
        ++result.chunksRead;
        if (!scan.hasMore) {
            result.end = ChainEnd::LastChunk;
            break;
        }
        if (result.chunksRead >= maxChunks) {
            result.end = ChainEnd::ChunkLimit;
            break;
        }
        if (!requested.insert(scan.nextChunk).second) {
            result.end = ChainEnd::RepeatedChunk;
            break;
        }
        reply = source.FetchChunk(ChunkQuerySuffix(scan.nextChunk));
        current = reply;
    }
    return result;
}
