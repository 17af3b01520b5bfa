#pragma once
#include <string_view>

#include "services/RtString.h"

// Path of the site's note-content chunk endpoint. Its query keys are id, then seq and back, in that order.
inline constexpr std::string_view kChunkEndpointPath = "/note/ajax/detail/getNoteDetailContentChunk";
// The site's web host, fixed when the tool is built.
inline constexpr std::string_view kWebHost = VOYANTA_WEB_HOST;

// "http://" + host + the endpoint path + "?id": the start of every chunk request (the "=" is not part of it).
RtString ChunkEndpointBaseFor(std::string_view host);

// A note page address holds "i/" and ".htm", each anywhere (byte-wise, case-sensitive).
bool IsNoteAddress(std::string_view address);
// The text between the first "i/" and the first ".htm" after it; empty when no ".htm" follows the first "i/".
RtString NoteIdOf(std::string_view address);

// The address one fetch requests, given what was typed (or nothing) and the query tail of a follow-up chunk (or
// nothing):
//  - a note address: its first chunk, endpointBase + "=" + its id; noteId becomes that id (empty ones included);
//  - an empty address with a tail: the follow-up chunk, endpointBase + "=" + noteId + tail;
//  - anything else: the address exactly as given (noteId kept). Empty means there is nothing to fetch.
RtString RequestAddressFor(std::string_view address, std::string_view tail, std::string_view endpointBase,
                           RtString& noteId);
