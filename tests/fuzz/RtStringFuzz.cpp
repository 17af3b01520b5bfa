// Fuzzes the 8-bit text operations against plain re-statements of their rules (1-based positions, 0 for nothing
// found), so that every argument at or past an edge is compared, not only checked for crashes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "services/RtString.h"

namespace {

void Require(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "mismatch: %s\n", what);
    std::abort();
}

int64_t Length(std::string_view s) {
    return static_cast<int64_t>(s.size());
}

bool MatchesAt(std::string_view s, int64_t i, std::string_view find) {
    return i >= 0 && i + Length(find) <= Length(s) && s.substr(static_cast<size_t>(i), find.size()) == find;
}

int64_t RefInStr(int64_t start, std::string_view s, std::string_view find) {
    if (s.empty() || find.empty() || start < 1 || start > Length(s) || find.size() > s.size()) return 0;
    for (int64_t i = start - 1; i + Length(find) <= Length(s); ++i) {
        if (MatchesAt(s, i, find)) return i + 1;
    }
    return 0;
}

int64_t RefInStrRev(std::string_view s, std::string_view find, int64_t start) {
    if (s.empty() || find.empty() || start == 0 || start > Length(s) || find.size() > s.size()) return 0;
    for (int64_t i = (start < 0 ? Length(s) : start) - 1; i >= 0; --i) {
        if (MatchesAt(s, i, find)) return i + 1;
    }
    return 0;
}

std::string RefMid(std::string_view s, int64_t start, int64_t count) {
    if (s.empty() || start < 1 || start > Length(s) || count == 0) return {};
    std::string out;
    for (int64_t i = start - 1; i < Length(s) && (count < 0 || i < start - 1 + count); ++i) {
        out += s[static_cast<size_t>(i)];
    }
    return out;
}

std::vector<std::string> RefPieces(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces(1);
    for (size_t i = 0; i < text.size();) {
        if (!delimiter.empty() && text.substr(i, delimiter.size()) == delimiter) {
            pieces.emplace_back();
            i += delimiter.size();
        } else {
            pieces.back() += text[i++];
        }
    }
    return pieces;
}

// As the rule is written: work on a copy, never search an inserted replacement again.
std::string RefReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    std::string copy(text);
    int64_t pos = 1;
    for (int64_t a; !find.empty() && (a = RefInStr(pos, copy, find)) > 0; pos = a + Length(replacement)) {
        copy = copy.substr(0, static_cast<size_t>(a - 1)) + std::string(replacement) +
               copy.substr(static_cast<size_t>(a - 1 + Length(find)));
    }
    return copy;
}

std::string RefTextBetween(std::string_view text, std::string_view open, std::string_view close) {
    const int64_t a = RefInStr(1, text, open);
    const int64_t b = RefInStr(a + Length(open), text, close);
    return a > 0 && b > 0 ? RefMid(text, a + Length(open), b - a - Length(open)) : std::string();
}

// The C library's own strtoull, folded to the rules of a 32-bit unsigned long.
uint32_t RefUnsigned(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    int base = 10;
    if (!s.empty() && s.front() == '&') {
        const char kind = s.size() >= 2 ? s[1] : '\0';
        base = (kind == 'H' || kind == 'h') ? 16 : (kind == 'B' || kind == 'b') ? 2 : 8;
        s.remove_prefix(base == 8 && kind != 'O' && kind != 'o' ? 1 : 2);
    }
    const std::string digits(s.substr(0, s.find('\0')));  // the C library reads up to the terminator
    size_t sign = 0;
    while (sign < digits.size() && (digits[sign] == ' ' || (digits[sign] >= '\t' && digits[sign] <= '\r'))) ++sign;
    const bool negative = sign < digits.size() && digits[sign] == '-';
    errno = 0;
    const unsigned long long read = std::strtoull(digits.c_str(), nullptr, base);
    if (errno == ERANGE) return 0xFFFFFFFFu;
    const unsigned long long magnitude = negative ? 0ull - read : read;
    if (magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    return negative ? static_cast<uint32_t>(0u - static_cast<uint32_t>(magnitude)) : static_cast<uint32_t>(magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int64_t start = input.ConsumeIntegralInRange<int64_t>(-3, 48);
    const int64_t count = input.ConsumeIntegralInRange<int64_t>(-3, 48);
    const int64_t piece = input.ConsumeIntegralInRange<int64_t>(-1, 12);
    const std::string find = input.ConsumeRandomLengthString(8);
    const std::string other = input.ConsumeRandomLengthString(8);
    const std::string text = input.ConsumeRemainingBytesAsString();

    Require(InStr(start, text, find) == RefInStr(start, text, find), "InStr");
    Require(InStrRev(text, find, start) == RefInStrRev(text, find, start), "InStrRev");
    Require(InStrRev(text, find) == RefInStrRev(text, find, -1), "InStrRev from the end");
    Require(Mid(text, start, count) == RefMid(text, start, count), "Mid");
    Require(Left(text, count) == RefMid(text, 1, count < 0 ? 0 : count), "Left");

    const std::vector<std::string> pieces = RefPieces(text, find);
    const auto pieceCount = static_cast<int64_t>(pieces.size());
    Require(CountPieces(text, find) == pieceCount, "CountPieces");
    const std::string expectedPiece = piece >= 1 && piece <= pieceCount ? pieces[static_cast<size_t>(piece - 1)] : "";
    Require(GetPiece(text, find, piece) == expectedPiece, "GetPiece");

    Require(ReplaceAll(text, find, other) == RefReplaceAll(text, find, other), "ReplaceAll");
    Require(TextBetween(text, find, other) == RefTextBetween(text, find, other), "TextBetween");
    Require(UnsignedFromText(text) == RefUnsigned(text), "UnsignedFromText");
    Require(UnsignedFromText(find + text) == RefUnsigned(find + text), "UnsignedFromText after a prefix");
    return 0;
}
