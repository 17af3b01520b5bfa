#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// The tool's working text: 8-bit bytes, non-ASCII characters in code page 936, any byte value allowed (a reply
// body is kept exactly as received). Positions are 1-based; searches return 0 when they find nothing. Every
// comparison is byte-wise and case-sensitive.
using RtString = std::string;

inline constexpr unsigned kTextCodePage = 936;

// Byte-wise unsigned comparison; a shorter text that equals the other's start is smaller. -1, 0 or 1.
int Compare(std::string_view a, std::string_view b);

// The first n bytes; n <= 0 gives empty text, n beyond the length gives all of s.
RtString Left(std::string_view s, int64_t n);
// count bytes from 1-based start; a negative count takes the rest. Empty when s is empty, start < 1,
// start > length or count = 0.
RtString Mid(std::string_view s, int64_t start, int64_t count = -1);
// 1-based position of the first find at or after start; 0 when none, when s or find is empty, when start < 1 or
// start > length(s), or when find is longer than s.
int64_t InStr(int64_t start, std::string_view s, std::string_view find);
// 1-based position of the last find beginning at or before start (negative start: from the end); 0 when none, when
// s or find is empty, when start is 0 or beyond length(s), or when find is longer than s.
int64_t InStrRev(std::string_view s, std::string_view find, int64_t start = -1);

RtString DecimalText(int32_t value);
RtString DecimalText(uint32_t value);
// Leading blanks skipped; "&H", "&O", "&B" (either case) select base 16, 8, 2, "&" before anything else base 8,
// otherwise base 10. Digits follow the C library's strtoul rules for a 32-bit unsigned long: further white space and
// a sign accepted, minus negates modulo 2^32, reading stops at the first non-digit, overflow gives 4294967295.
// No digits give 0.
uint32_t UnsignedFromText(std::string_view s);

// The text between the first open marker and the first close marker after it; empty when either is missing.
RtString TextBetween(std::string_view text, std::string_view open, std::string_view close);
// Non-overlapping occurrences of the delimiter + 1; 1 for an empty text or delimiter.
int64_t CountPieces(std::string_view text, std::string_view delimiter);
// The k-th (1-based) piece the delimiter cuts the text into; empty when there is no such piece or k < 1.
RtString GetPiece(std::string_view text, std::string_view delimiter, int64_t k);
// Every occurrence of find replaced, left to right; an inserted replacement is never searched again.
// An empty find leaves the text unchanged.
RtString ReplaceAll(std::string_view text, std::string_view find, std::string_view replacement);
