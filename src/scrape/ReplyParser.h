#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scrape/PictureSet.h"

// Reading the picture addresses out of one reply of the note-content chunk endpoint. Pure byte work: the list view
// and the network are reached only through PictureSink and ChunkSource (ChunkChain.h).

inline constexpr std::string_view kThumbnailMarker = "?imageView";  // ends an address; it and what follows are dropped
inline constexpr std::string_view kAddressStart = "http";           // also matches https
inline constexpr std::string_view kHasMoreMarker = "has_more\":true";
inline constexpr std::string_view kChunkNumberMarker = "data-seq=\\\"";
inline constexpr size_t kMaxPictureAddressBytes = 100;  // longer addresses are skipped

struct PictureSink {
    virtual ~PictureSink() = default;
    virtual void AddPicture(std::string_view address) = 0;  // called once per new full-size address, in order
};

struct ReplyScan {
    bool hasMore = false;    // the reply announces another chunk
    uint32_t nextChunk = 0;  // number after the last chunk-number marker (meaningful when hasMore)
};

// Lists every new full-size picture address of the reply through the sink, in the order they stand in it, and reads
// whether another chunk follows. One forward pass over the pieces; linear in the reply's size.
ReplyScan ScanReply(std::string_view reply, PictureSet& seen, PictureSink& sink);

// The chunk number the reply asks for: read 11 bytes after the start of the last chunk-number marker (from the
// 11th byte when there is no marker): blanks skipped, then decimal digits up to the first other byte. No digits
// give 0; a value beyond 32 bits gives 4294967295.
uint32_t NextChunkNumber(std::string_view reply);

// The query suffix that asks for a chunk: "&seq=" + number + "&back=0".
std::string ChunkQuerySuffix(uint32_t chunkNumber);
