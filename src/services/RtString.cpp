#include "services/RtString.h"

#include <algorithm>
#include <cstring>

int Compare(std::string_view a, std::string_view b) {
    const size_t common = std::min(a.size(), b.size());
    const int c = common ? std::memcmp(a.data(), b.data(), common) : 0;  // memcmp compares as unsigned char
    if (c != 0) return c < 0 ? -1 : 1;
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

RtString Left(std::string_view s, int64_t n) {
    if (n <= 0) return {};
    return RtString(s.substr(0, static_cast<size_t>(std::min<int64_t>(n, static_cast<int64_t>(s.size())))));
}

RtString Mid(std::string_view s, int64_t start, int64_t count) {
    const auto length = static_cast<int64_t>(s.size());
    if (s.empty() || start < 1 || start > length || count == 0) return {};
    const int64_t available = length - start + 1;
    const int64_t take = count < 0 ? available : std::min(count, available);
    return RtString(s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(take)));
}

int64_t InStr(int64_t start, std::string_view s, std::string_view find) {
    if (s.empty() || find.empty() || start < 1 || start > static_cast<int64_t>(s.size()) || find.size() > s.size())
        return 0;
    const size_t at = s.find(find, static_cast<size_t>(start - 1));
    return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

int64_t InStrRev(std::string_view s, std::string_view find, int64_t start) {
    const auto length = static_cast<int64_t>(s.size());
    if (s.empty() || find.empty() || start == 0 || start > length || find.size() > s.size()) return 0;
    const size_t from = start < 0 ? std::string_view::npos : static_cast<size_t>(start - 1);
    const size_t at = s.rfind(find, from);
    return at == std::string_view::npos ? 0 : static_cast<int64_t>(at) + 1;
}

RtString DecimalText(int32_t value) { return std::to_string(value); }
RtString DecimalText(uint32_t value) { return std::to_string(value); }

namespace {

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// strtoul with a 32-bit unsigned long, as the platform's C library reads it.
uint32_t ReadUnsigned32(std::string_view s, int base) {
    size_t i = 0;
    while (i < s.size() && IsCSpace(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    const bool hexPrefix = base == 16 && i + 2 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X') &&
                           DigitValue(s[i + 2]) < 16;
    if (hexPrefix) i += 2;
    uint64_t value = 0;
    bool overflow = false;
    for (; i < s.size() && DigitValue(s[i]) < base; ++i) {
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(DigitValue(s[i]));
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull;  // keep reading the digits, the result stays saturated
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    const auto result = static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - result) : result;
}

}  // namespace

uint32_t UnsignedFromText(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    s.remove_prefix(i);
    if (s.empty()) return 0;
    if (s[0] != '&') return ReadUnsigned32(s, 10);
    if (s.size() >= 2) {
        switch (s[1]) {
            case 'H': case 'h': return ReadUnsigned32(s.substr(2), 16);
            case 'O': case 'o': return ReadUnsigned32(s.substr(2), 8);
            case 'B': case 'b': return ReadUnsigned32(s.substr(2), 2);
            default: break;
        }
    }
    return ReadUnsigned32(s.substr(1), 8);
}

RtString TextBetween(std::string_view text, std::string_view open, std::string_view close) {
    const int64_t a = InStr(1, text, open);
    if (a <= 0) return {};
    const int64_t afterOpen = a + static_cast<int64_t>(open.size());
    const int64_t b = InStr(afterOpen, text, close);
    if (b <= 0) return {};
    return Mid(text, afterOpen, b - afterOpen);
}

int64_t CountPieces(std::string_view text, std::string_view delimiter) {
    int64_t count = 1;
    int64_t pos = 1;
    while ((pos = InStr(pos, text, delimiter)) >= 1) {
        pos += static_cast<int64_t>(delimiter.size());
        ++count;
    }
    return count;
}

RtString GetPiece(std::string_view text, std::string_view delimiter, int64_t k) {
    if (k < 1) return {};
    int64_t start = 1;
    int64_t found = 0;
    int64_t pieceStart = 1;
    int64_t p = 0;
    do {
        pieceStart = start;
        p = InStr(start, text, delimiter);
        if (p > 0) {
            ++found;
            start = p + static_cast<int64_t>(delimiter.size());
        }
    } while (p != 0 && found != k);
    if (p > 0 && found == k) return Mid(text, pieceStart, p - pieceStart);
    if (found == k - 1) return Mid(text, pieceStart);
    return {};
}

RtString ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement) {
    if (find.empty()) return RtString(text);
    RtString out;
    out.reserve(text.size());
    size_t pos = 0;
    for (size_t at; (at = text.find(find, pos)) != std::string_view::npos; pos = at + find.size()) {
        out.append(text.substr(pos, at - pos));
        out.append(replacement);
    }
    out.append(text.substr(pos));
    return out;
}
