#include "scrape/ReplyParser.h"

#include <algorithm>
#include <limits>

bool PictureSet::Insert(std::string_view address) {
    if (Contains(address)) return false;
    seen_.emplace(address);
    allLinksText_.append(address).append("\r\n");
    return true;
}

void PictureSet::Clear() {
    seen_.clear();
    allLinksText_.clear();
}

std::string PictureAddressOfPiece(std::string_view piece) {
    // Each escaped slash shortens the text by one byte, so a tail of more than twice the room left after "http"
    // can never fit the limit: the last "http" only needs to be looked for near the end of the piece. That keeps
    // the work per piece bounded, whatever the piece's length.
    constexpr size_t kLongestTail = 2 * (kMaxPictureAddressBytes - kAddressStart.size());
    constexpr size_t kWindow = kLongestTail + kAddressStart.size();
    const size_t windowStart = piece.size() > kWindow ? piece.size() - kWindow : 0;
    const size_t at = piece.substr(windowStart).rfind(kAddressStart);
    if (at == std::string_view::npos) return {};  // no "http" at all, or only one too far back to fit
    const std::string_view tail = piece.substr(windowStart + at + kAddressStart.size());

    std::string address(kAddressStart);
    address.reserve(kMaxPictureAddressBytes + 1);
    for (size_t i = 0; i < tail.size(); ++i) {
        if (tail[i] == '\\' && i + 1 < tail.size() && tail[i + 1] == '/') ++i;  // "\/" becomes "/"
        address.push_back(tail[i]);
        if (address.size() > kMaxPictureAddressBytes) return {};
    }
    return address;
}

uint32_t NextChunkNumber(std::string_view reply) {
    const size_t marker = reply.rfind(kChunkNumberMarker);
    // Without a marker the number is read where it would stand after one at position 0.
    const size_t from = (marker == std::string_view::npos ? 0 : marker) + kChunkNumberMarker.size();
    if (from >= reply.size()) return 0;
    std::string_view text = reply.substr(from);
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    uint64_t value = 0;
    for (; !text.empty() && text.front() >= '0' && text.front() <= '9'; text.remove_prefix(1)) {
        value = std::min<uint64_t>(value * 10 + static_cast<uint64_t>(text.front() - '0'),
                                   std::numeric_limits<uint32_t>::max());
    }
    return static_cast<uint32_t>(value);
}

std::string ChunkQuerySuffix(uint32_t chunkNumber) {
    return "&seq=" + std::to_string(chunkNumber) + "&back=0";
}

ReplyScan ScanReply(std::string_view reply, PictureSet& seen, PictureSink& sink) {
    // The pieces are the texts before each thumbnail marker, found left to right in one pass; the text after the
    // last marker is no piece.
    size_t pieceStart = 0;
    for (size_t marker; (marker = reply.find(kThumbnailMarker, pieceStart)) != std::string_view::npos;
         pieceStart = marker + kThumbnailMarker.size()) {
        const std::string address = PictureAddressOfPiece(reply.substr(pieceStart, marker - pieceStart));
        if (!address.empty() && seen.Insert(address)) sink.AddPicture(address);
    }
    ReplyScan scan;
    scan.hasMore = reply.find(kHasMoreMarker) != std::string_view::npos;
    if (scan.hasMore) scan.nextChunk = NextChunkNumber(reply);
    return scan;
}
