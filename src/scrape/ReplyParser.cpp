#include "scrape/ReplyParser.h"

#include <algorithm>
#include <limits>

namespace {

// The full-size address of one piece (the text before a thumbnail marker): from its last "http" to its end, every
// "\/" made "/". False when the piece holds no "http" or the address would exceed the byte limit.
bool PictureAddressOfPiece(std::string_view piece, std::string& address) {
    // Searching the piece alone, never the reply before it, keeps the whole scan linear: pieces do not overlap.
    const size_t at = piece.rfind(kAddressStart);
    if (at == std::string_view::npos) return false;
    // "http" holds no backslash, so the "\/" pairs from it on are exactly those of the text after it.
    address.clear();
    for (std::string_view rest = piece.substr(at);;) {
        const size_t slash = rest.find("\\/");
        const std::string_view plain = rest.substr(0, slash);
        if (address.size() + plain.size() > kMaxPictureAddressBytes) return false;  // before copying a long tail
        address.append(plain);
        if (slash == std::string_view::npos) return true;
        address += '/';
        rest.remove_prefix(slash + 2);
    }
}

// Page text is full of 'h', at each of which a plain find would stop and compare; '_' is rare, so the marker is
// looked for from its '_' on and its head checked at each hit.
bool HoldsHasMoreMarker(std::string_view reply) {
    constexpr size_t kAnchor = kHasMoreMarker.find('_');
    constexpr std::string_view kHead = kHasMoreMarker.substr(0, kAnchor);
    constexpr std::string_view kTail = kHasMoreMarker.substr(kAnchor);
    for (size_t at = reply.find(kTail, kAnchor); at != std::string_view::npos; at = reply.find(kTail, at + 1)) {
        if (reply.substr(at - kAnchor, kAnchor) == kHead) return true;
    }
    return false;
}

}  // namespace

uint32_t NextChunkNumber(std::string_view reply) {
    const size_t marker = reply.rfind(kChunkNumberMarker);
    // Without a marker the number is read from the 11th byte, as if a marker stood one byte before the reply.
    const size_t from =
        marker == std::string_view::npos ? kChunkNumberMarker.size() - 1 : marker + kChunkNumberMarker.size();
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
    // The pieces are the texts before each thumbnail marker, found left to right; the text after the last marker is
    // no piece.
    std::string address;
    size_t pieceStart = 0;
    for (size_t marker; (marker = reply.find(kThumbnailMarker, pieceStart)) != std::string_view::npos;
         pieceStart = marker + kThumbnailMarker.size()) {
        if (PictureAddressOfPiece(reply.substr(pieceStart, marker - pieceStart), address) && seen.Insert(address)) {
            sink.AddPicture(address);
        }
    }
    ReplyScan scan;
    scan.hasMore = HoldsHasMoreMarker(reply);
    if (scan.hasMore) scan.nextChunk = NextChunkNumber(reply);
    return scan;
}
