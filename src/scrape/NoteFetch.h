#pragma once
#include <string_view>

#include "framework/Win32.h"
#include "scrape/NoteAddress.h"
#include "services/RtString.h"

class ReplyWait;

// What the note search keeps for the life of the process. Window thread only.
struct NoteSource {
    RtString chunkEndpointBase;  // empty until composed when the main form is first shown
    RtString noteId;             // id of the last note address fetched; never cleared
    HWND addressBox = nullptr;   // Text1, where a request with nothing to fetch is reported; borrowed
    ReplyWait* wait = nullptr;   // how a request is waited for; null: the thread blocks. Borrowed, set by a search
};

// The process's own note source, used by the one-argument-pair FetchNoteContent below.
NoteSource& TheNoteSource() noexcept;

// Sets the process's chunk endpoint for the host (the site's host unless a test names its own server).
void ComposeChunkEndpointBase(std::string_view host = kWebHost);

// The reply to one request for what was typed (address) or for a follow-up chunk (empty address, query tail), as the
// bytes received; empty text when the request failed. When there is nothing to fetch, the address box shows a notice
// and the reply is the short failure text instead.
RtString FetchNoteContent(NoteSource& source, const RtString& address, const RtString& tail) noexcept;
RtString FetchNoteContent(const RtString& address, const RtString& tail) noexcept;
