#include "scrape/ReplyParser.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

// Each escaped slash shortens the text by one byte, so a tail of more than twice the room left after "http" can
// never fit the limit: the last "http" only needs to be looked for this near the end of a piece. That bounds the work
// per piece, whatever the piece's length.
constexpr size_t kAddressWindow = 2 * (kMaxPictureAddressBytes - kAddressStart.size()) + kAddressStart.size();

// One address, built without touching the heap; room for a whole window, and for the last eight-byte store.
struct AddressBuffer {
    char bytes[kAddressWindow + 8];
    size_t size = 0;
    std::string_view View() const { return {bytes, size}; }
};

// The scans below look at eight bytes at a time; byte k of a loaded word is the k-th byte in memory.
static_assert(std::endian::native == std::endian::little);

// The top bit of each byte of the result is set exactly where the eight bytes at p equal c.
uint64_t MatchMask(const char* p, char c) {
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    const uint64_t x = word ^ (0x0101010101010101ull * static_cast<unsigned char>(c));
    return ~(((x & kLow7) + kLow7) | x | kLow7);  // no carry crosses a byte, so no false matches
}

bool IsAddressStart(const char* p) {
    return std::memcmp(p, kAddressStart.data(), kAddressStart.size()) == 0;
}

// Position of the last "http" that begins in text[from, end) and ends inside the text, or npos.
size_t LastAddressStart(std::string_view text, size_t from) {
    if (text.size() < kAddressStart.size()) return std::string_view::npos;
    size_t end = text.size() - kAddressStart.size() + 1;  // candidates begin before end
    for (; end >= from + 8; end -= 8) {
        for (uint64_t hits = MatchMask(text.data() + end - 8, 'h'); hits != 0;) {
            const int top = 63 - std::countl_zero(hits);
            if (IsAddressStart(text.data() + end - 8 + top / 8)) return end - 8 + top / 8;
            hits ^= uint64_t{1} << top;
        }
    }
    while (end-- > from) {
        if (IsAddressStart(text.data() + end)) return end;
    }
    return std::string_view::npos;
}

// The full-size address of one piece (the text before a thumbnail marker): from its last "http" to its end, escaped
// slashes made plain. False when the piece holds no "http" or the address would exceed the byte limit.
bool PictureAddressOfPiece(std::string_view piece, AddressBuffer& address) {
    const size_t at = LastAddressStart(piece, piece.size() > kAddressWindow ? piece.size() - kAddressWindow : 0);
    if (at == std::string_view::npos) return false;  // no "http" at all, or only one too far back to fit
    // The "http" in front holds no backslash, so the "\/" pairs from it on are exactly those of the text after it.
    const char* in = piece.data() + at;
    const char* const end = piece.data() + piece.size();
    char* out = address.bytes;
    while (in < end) {
        if (end - in >= 8) {  // copy up to the next backslash eight bytes at a time
            const uint64_t backslashes = MatchMask(in, '\\');
            std::memcpy(out, in, 8);
            const size_t plain = backslashes == 0 ? 8 : static_cast<size_t>(std::countr_zero(backslashes)) / 8;
            in += plain;
            out += plain;
            if (plain == 8) continue;
        }
        if (in[0] == '\\' && in + 1 < end && in[1] == '/') ++in;
        *out++ = *in++;
    }
    address.size = static_cast<size_t>(out - address.bytes);
    return address.size <= kMaxPictureAddressBytes;
}

// Like find, but jumps between occurrences of the needle's byte at anchor, a byte chosen because page text rarely
// holds it: the search then runs at the speed of memchr instead of stopping at every common first letter.
size_t FindByAnchor(std::string_view text, std::string_view needle, size_t anchor) {
    if (text.size() < needle.size()) return std::string_view::npos;
    const char* const begin = text.data();
    const char* const last = begin + (text.size() - needle.size());  // last possible start of the needle
    for (const char* p = begin + anchor; p <= last + anchor;) {
        const void* hit = std::memchr(p, needle[anchor], static_cast<size_t>(last + anchor - p) + 1);
        if (hit == nullptr) break;
        const char* start = static_cast<const char*>(hit) - anchor;
        if (std::memcmp(start, needle.data(), needle.size()) == 0) return static_cast<size_t>(start - begin);
        p = static_cast<const char*>(hit) + 1;
    }
    return std::string_view::npos;
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
    // The pieces are the texts before each thumbnail marker, found left to right in one pass; the text after the
    // last marker is no piece.
    AddressBuffer address;
    size_t pieceStart = 0;
    for (size_t marker; (marker = reply.find(kThumbnailMarker, pieceStart)) != std::string_view::npos;
         pieceStart = marker + kThumbnailMarker.size()) {
        if (PictureAddressOfPiece(reply.substr(pieceStart, marker - pieceStart), address) &&
            seen.Insert(address.View())) {
            sink.AddPicture(address.View());
        }
    }
    ReplyScan scan;
    scan.hasMore = FindByAnchor(reply, kHasMoreMarker, kHasMoreMarker.find('_')) != std::string_view::npos;
    if (scan.hasMore) scan.nextChunk = NextChunkNumber(reply);
    return scan;
}
