#include "download/ErrorPage.h"

#include <algorithm>
#include <string>

namespace {

template <typename Char>
Char Lower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

template <typename Char>
bool StartsWithNoCase(std::basic_string_view<Char> text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, Char t) { return Lower(t) == p; });
}

template <typename Char>
bool EqualsNoCase(std::basic_string_view<Char> text, std::string_view other) {
    return text.size() == other.size() && StartsWithNoCase(text, other);
}

}  // namespace

bool IsPageContentType(std::wstring_view contentType) {
    std::wstring_view type = contentType.substr(0, contentType.find(L';'));
    const size_t first = type.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return false;
    type = type.substr(first, type.find_last_not_of(L" \t") - first + 1);
    const size_t slash = type.find(L'/');
    if (slash == std::wstring_view::npos) return false;
    const std::wstring_view subtype = type.substr(slash + 1);
    const bool plusJson = subtype.size() > 5 && EqualsNoCase(subtype.substr(subtype.size() - 5), "+json");
    return plusJson || EqualsNoCase(subtype, "html") || EqualsNoCase(subtype, "xhtml+xml") ||
           EqualsNoCase(subtype, "json") || EqualsNoCase(subtype, "x-json");
}

size_t LeadingBlanks(std::string_view text) {
    return std::min(text.find_first_not_of(" \t\r\n\v\f"), text.size());
}

bool StartsLikePage(std::string_view bodyStart) {
    const std::string_view start = bodyStart.substr(LeadingBlanks(bodyStart));
    return start.starts_with('{') || StartsWithNoCase(start, "<!doctype html") || StartsWithNoCase(start, "<html");
}
