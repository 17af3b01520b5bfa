#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Error pages that a server sends in place of a picture. Such a reply is no picture, whatever its status says.

// True for a Content-Type of HTML or JSON (text/html, application/xhtml+xml, application/json, text/json, x-json and
// any "+json" type); parameters, blanks and case are ignored.
bool IsPageContentType(std::wstring_view contentType);

// Follows the start of a body as it arrives and tells whether it begins like a page: after blanks, "<!DOCTYPE html"
// or "<html" (any case) or "{". A UTF-8 byte-order mark before it is passed over; after a UTF-16 one (FF FE, FE FF)
// the body is read as UTF-16 text in that byte order.
class PageStart {
  public:
    void Feed(std::string_view bytes) noexcept;
    bool LooksLikePage() const noexcept;

  private:
    enum class Reading : unsigned char { Mark, Utf8, Utf16LittleEnd, Utf16BigEnd };
    void Take(unsigned code) noexcept;

    Reading reading_ = Reading::Mark;
    std::string pending_;  // bytes of a possible byte-order mark, or of a UTF-16 unit not yet whole
    std::string start_;    // the first characters after the blanks, each outside ASCII as 0x80
};
