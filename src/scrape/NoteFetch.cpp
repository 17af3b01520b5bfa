#include "scrape/NoteFetch.h"

#include "framework/Win32.h"
#include "services/WString.h"
#include "web/WebRequest.h"

namespace {

// Shown in the address box, and returned in place of a reply, when there is no address to fetch.
constexpr wchar_t kNoAddressNotice[] = L"打开网页地址失败,请确认文章的地址.(双击此处,自动粘贴剪切板内容)";
constexpr wchar_t kNoAddressReply[] = L"打开网页地址失败";

}  // namespace

NoteSource& TheNoteSource() noexcept {
    static NoteSource source;
    return source;
}

void ComposeChunkEndpointBase(std::string_view host) {
    TheNoteSource().chunkEndpointBase = ChunkEndpointBaseFor(host);
}

RtString FetchNoteContent(NoteSource& source, const RtString& address, const RtString& tail) noexcept {
    const RtString request = RequestAddressFor(address, tail, source.chunkEndpointBase, source.noteId);
    if (request.empty()) {
        if (source.addressBox) SetControlText(source.addressBox, WString(kNoAddressNotice));
        return TextFromWide(kNoAddressReply);
    }
    return HttpGet(request, {}, source.wait);
}

RtString FetchNoteContent(const RtString& address, const RtString& tail) noexcept {
    return FetchNoteContent(TheNoteSource(), address, tail);
}
