#pragma once
#include <cstddef>
#include <string_view>

// Error pages that a server sends with a success status in place of a picture. Such a reply is no picture, whatever
// its status says.

// True for a Content-Type of HTML or JSON (text/html, application/xhtml+xml, application/json, text/json, x-json and
// any "+json" type); parameters, blanks and case are ignored.
bool IsPageContentType(std::wstring_view contentType);
// True when the body, after leading blanks, begins with "<!DOCTYPE html" or "<html" (any case) or with "{".
bool StartsLikePage(std::string_view bodyStart);
// The bytes of a body that StartsLikePage needs after its blanks.
inline constexpr size_t kPageMarkLength = 14;
// How many bytes at the start of the text are blanks (space, tab, CR, LF, vertical tab, form feed).
size_t LeadingBlanks(std::string_view text);
