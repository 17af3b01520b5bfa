#include "services/RtString.h"

#include <gtest/gtest.h>

TEST(RtString, CompareIsByteWiseUnsignedAndShorterIsSmaller) {
    EXPECT_EQ(Compare("abc", "abc"), 0);
    EXPECT_EQ(Compare("ab", "abc"), -1);
    EXPECT_EQ(Compare("abd", "abc"), 1);
    EXPECT_EQ(Compare("\x80", "\x7f"), 1) << "bytes compare unsigned";
    EXPECT_EQ(Compare("", ""), 0);
    EXPECT_EQ(Compare(std::string_view("a\0b", 3), std::string_view("a\0c", 3)), -1);
}

TEST(RtString, LeftAndMidCutAtTheEnds) {
    EXPECT_EQ(Left("hello", 2), "he");
    EXPECT_EQ(Left("hello", 0), "");
    EXPECT_EQ(Left("hello", -3), "");
    EXPECT_EQ(Left("hello", 99), "hello");

    EXPECT_EQ(Mid("hello", 2, 3), "ell");
    EXPECT_EQ(Mid("hello", 2), "ello");
    EXPECT_EQ(Mid("hello", 2, -7), "ello") << "any negative count takes the rest";
    EXPECT_EQ(Mid("hello", 4, 99), "lo");
    EXPECT_EQ(Mid("hello", 5, 1), "o");
    EXPECT_EQ(Mid("hello", 6, 1), "") << "start beyond the end";
    EXPECT_EQ(Mid("hello", 0, 2), "");
    EXPECT_EQ(Mid("hello", 1, 0), "");
    EXPECT_EQ(Mid("", 1, 1), "");
}

TEST(RtString, InStrFindsFromStartAndRefusesBadArguments) {
    EXPECT_EQ(InStr(1, "abcabc", "bc"), 2);
    EXPECT_EQ(InStr(3, "abcabc", "bc"), 5);
    EXPECT_EQ(InStr(6, "abcabc", "c"), 6);
    EXPECT_EQ(InStr(7, "abcabc", "c"), 0) << "start beyond the end";
    EXPECT_EQ(InStr(0, "abcabc", "a"), 0);
    EXPECT_EQ(InStr(-1, "abcabc", "a"), 0);
    EXPECT_EQ(InStr(1, "abc", ""), 0) << "empty find";
    EXPECT_EQ(InStr(1, "", "a"), 0);
    EXPECT_EQ(InStr(1, "ab", "abc"), 0) << "find longer than text";
    EXPECT_EQ(InStr(1, "abcabc", "x"), 0);
    EXPECT_EQ(InStr(1, std::string_view("a\0b", 3), std::string_view("\0b", 2)), 2) << "zero bytes are text";
}

TEST(RtString, InStrRevFindsTheLastOccurrenceAtOrBeforeStart) {
    EXPECT_EQ(InStrRev("abcabc", "bc", -1), 5);
    EXPECT_EQ(InStrRev("abcabc", "bc", -9), 5) << "any negative start searches from the end";
    EXPECT_EQ(InStrRev("abcabc", "bc", 5), 5) << "an occurrence beginning at start counts";
    EXPECT_EQ(InStrRev("abcabc", "bc", 4), 2);
    EXPECT_EQ(InStrRev("abcabc", "bc", 1), 0);
    EXPECT_EQ(InStrRev("abcabc", "a", 0), 0);
    EXPECT_EQ(InStrRev("abcabc", "a", 7), 0) << "start beyond the end";
    EXPECT_EQ(InStrRev("abc", "", -1), 0);
    EXPECT_EQ(InStrRev("", "a", -1), 0);
    EXPECT_EQ(InStrRev("ab", "abc", -1), 0);
}

TEST(RtString, DecimalText) {
    EXPECT_EQ(DecimalText(int32_t{-2147483647 - 1}), "-2147483648");
    EXPECT_EQ(DecimalText(int32_t{42}), "42");
    EXPECT_EQ(DecimalText(uint32_t{4294967295u}), "4294967295");
    EXPECT_EQ(DecimalText(int32_t{0}), "0");
}

TEST(RtString, UnsignedFromTextFollowsPrefixesAndThirtyTwoBitRules) {
    struct Case {
        const char* text;
        uint32_t value;
    } cases[] = {
        {"12", 12},          {"  12", 12},         {"12abc", 12},        {"abc", 0},
        {"", 0},             {"   ", 0},           {"&H1F", 31},         {"&hff", 255},
        {"&O17", 15},        {"&o17", 15},         {"&B101", 5},         {"&b2", 0},
        {"&17", 15},         {"&", 0},             {"&x12", 0},          {"-1", 4294967295u},
        {"-2", 4294967294u}, {"+7", 7},            {"4294967295", 4294967295u},
        {"4294967296", 4294967295u},               {"99999999999999999999", 4294967295u},
        {"-4294967296", 4294967295u},              {"&H 1f", 31},        {"&H0x10", 16},
        {"&H-1", 4294967295u}, {" \t 8", 8},       {"08", 8},            {"&O8", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(UnsignedFromText(c.text), c.value) << "text: \"" << c.text << '"';
}

TEST(RtString, TextBetweenTakesTheFirstPair) {
    EXPECT_EQ(TextBetween("https://www.example.com/i/12345.html", "i/", ".htm"), "12345");
    EXPECT_EQ(TextBetween("https://www.example.com/n/12345.html", "i/", ".htm"), "");
    EXPECT_EQ(TextBetween("xi/12", "i/", ".htm"), "") << "closing marker missing";
    EXPECT_EQ(TextBetween(".htm i/3.htm", "i/", ".htm"), "3") << "closing marker searched after the opening one";
    EXPECT_EQ(TextBetween("i/.htm", "i/", ".htm"), "");
}

TEST(RtString, PiecesOfATextCutByADelimiter) {
    const std::string text = "a?imageViewb?imageViewc";
    EXPECT_EQ(CountPieces("abc", "?imageView"), 1);
    EXPECT_EQ(CountPieces(text, "?imageView"), 3);
    EXPECT_EQ(CountPieces("", "x"), 1);
    EXPECT_EQ(CountPieces("abc", ""), 1);
    EXPECT_EQ(CountPieces("aaaa", "aa"), 3) << "occurrences do not overlap";

    EXPECT_EQ(GetPiece(text, "?imageView", 1), "a");
    EXPECT_EQ(GetPiece(text, "?imageView", 2), "b");
    EXPECT_EQ(GetPiece(text, "?imageView", 3), "c");
    EXPECT_EQ(GetPiece(text, "?imageView", 4), "");
    EXPECT_EQ(GetPiece(text, "?imageView", 0), "");
    EXPECT_EQ(GetPiece("abc", "?imageView", 1), "abc") << "a text without the delimiter is one piece";
    EXPECT_EQ(GetPiece("a,b,", ",", 3), "") << "the piece after a trailing delimiter is empty";
    EXPECT_EQ(GetPiece(",a", ",", 1), "");
    EXPECT_EQ(GetPiece(",a", ",", 2), "a");
}

TEST(RtString, ReplaceAllNeverRescansItsReplacement) {
    EXPECT_EQ(ReplaceAll(R"(http:\/\/a\/b.jpg)", R"(\/)", "/"), "http://a/b.jpg");
    EXPECT_EQ(ReplaceAll("banana", "a", "aa"), "baanaanaa");
    EXPECT_EQ(ReplaceAll("aaa", "aa", "a"), "aa");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    EXPECT_EQ(ReplaceAll("abc", "b", ""), "ac");
    EXPECT_EQ(ReplaceAll("", "b", "x"), "");
}
