#include "scrape/NoteAddress.h"

namespace {

constexpr std::string_view kIdStart = "i/";
constexpr std::string_view kPageEnd = ".htm";

}  // namespace

RtString ChunkEndpointBaseFor(std::string_view host) {
    RtString base = "http://";
    base.append(host).append(kChunkEndpointPath).append("?id");
    return base;
}

bool IsNoteAddress(std::string_view address) {
    return InStr(1, address, kIdStart) > 0 && InStr(1, address, kPageEnd) > 0;
}

RtString NoteIdOf(std::string_view address) {
    return TextBetween(address, kIdStart, kPageEnd);
}

RtString RequestAddressFor(std::string_view address, std::string_view tail, std::string_view endpointBase,
                           RtString& noteId) {
    RtString request(address);
    if (IsNoteAddress(address)) {
        noteId = NoteIdOf(address);
        request.assign(endpointBase).append("=").append(noteId);
    }
    if (!tail.empty() && address.empty()) request.assign(endpointBase).append("=").append(noteId).append(tail);
    return request;
}
