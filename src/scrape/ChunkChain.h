#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scrape/ReplyParser.h"

// Fetches the reply of a follow-up chunk of the current note. The query suffix is "&seq=<n>&back=0"; the source puts
// the chunk endpoint and the note id in front of it. A failed request gives an empty reply.
struct ChunkSource {
    virtual ~ChunkSource() = default;
    virtual std::string FetchChunk(std::string_view querySuffix) = 0;
};

inline constexpr size_t kMaxChunksPerSearch = 10000;  // replies read by one search, the first one included

enum class ChainEnd {
    LastChunk,      // a reply without the "more follows" marker
    RepeatedChunk,  // a reply asked for a chunk number this search had already requested
    ChunkLimit,     // the chain reached the most chunks one search reads
};

struct ChainResult {
    size_t chunksRead = 0;
    ChainEnd end = ChainEnd::LastChunk;
};

// Lists the pictures of the first reply and of every chunk that follows it, chunk after chunk: the rows of one chunk
// are all added before the next one is requested. The chain always ends: at the last chunk, at a chunk number asked
// for twice, or after maxChunks replies.
ChainResult CollectPictureLinks(std::string_view firstReply, PictureSet& seen, PictureSink& sink, ChunkSource& source,
                                size_t maxChunks = kMaxChunksPerSearch);
