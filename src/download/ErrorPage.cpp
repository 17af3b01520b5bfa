#include "download/ErrorPage.h"

#include <algorithm>
#include <string>
#include <utility>

namespace {

constexpr size_t kPageMarkLength = 14;  // "<!doctype html", the longest beginning of a page looked for
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF", kUtf16LittleEndMark = "\xFF\xFE", kUtf16BigEndMark = "\xFE\xFF";

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

bool IsBlank(unsigned code) {
    return code == ' ' || (code >= '\t' && code <= '\r');  // tab, LF, vertical tab, form feed, CR
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

void PageStart::Feed(std::string_view bytes) noexcept {
    for (const char byte : bytes) {
        if (start_.size() >= kPageMarkLength) return;
        pending_ += byte;
        switch (reading_) {
            case Reading::Mark:
                if (pending_ == kUtf8Mark || pending_ == kUtf16LittleEndMark || pending_ == kUtf16BigEndMark) {
                    reading_ = pending_ == kUtf8Mark          ? Reading::Utf8
                               : pending_ == kUtf16BigEndMark ? Reading::Utf16BigEnd
                                                              : Reading::Utf16LittleEnd;
                    pending_.clear();
                } else if (!kUtf8Mark.starts_with(pending_) && !kUtf16LittleEndMark.starts_with(pending_) &&
                           !kUtf16BigEndMark.starts_with(pending_)) {
                    reading_ = Reading::Utf8;  // no mark: the bytes held back are text
                    for (const char held : std::exchange(pending_, {})) Take(static_cast<unsigned char>(held));
                }
                break;
            case Reading::Utf8:
                pending_.clear();
                Take(static_cast<unsigned char>(byte));
                break;
            case Reading::Utf16LittleEnd:
            case Reading::Utf16BigEnd:
                if (pending_.size() == 2) {
                    const unsigned first = static_cast<unsigned char>(pending_[0]);
                    const unsigned second = static_cast<unsigned char>(pending_[1]);
                    Take(reading_ == Reading::Utf16LittleEnd ? first | second << 8 : first << 8 | second);
                    pending_.clear();
                }
                break;
        }
    }
}

void PageStart::Take(unsigned code) noexcept {
    if (start_.empty() && IsBlank(code)) return;
    start_ += code < 0x80 ? static_cast<char>(code) : '\x80';
}

bool PageStart::LooksLikePage() const noexcept {
    const std::string_view start = start_;
    return start.starts_with('{') || StartsWithNoCase(start, "<!doctype html") || StartsWithNoCase(start, "<html");
}
