#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "values/Graphemes.h"

namespace engine {
namespace {

struct SplitCase {
    const char* name;
    std::string text;
    std::vector<std::string> characters;
    bool valid;
};

// Expected clusters follow the Unicode segmentation rules (UAX #29); bytes
// that are not UTF-8 stand alone.
TEST(Graphemes, SplitCountAndValidity)
{
    const std::vector<SplitCase> cases = {
        {"empty", "", {}, true},
        {"crlfIsOne", "a\r\nb", {"a", "\r\n", "b"}, true},
        {"lfCrIsTwo", "\n\r", {"\n", "\r"}, true},
        {"crCrLf", "\r\r\n", {"\r", "\r\n"}, true},
        {"combiningAfterAscii", "cafe\u0301!", {"c", "a", "f", "e\u0301", "!"}, true},
        {"twoCombiningMarks", "a\u0301\u0302b", {"a\u0301\u0302", "b"}, true},
        {"lineFeedNeverExtended", "\n\u0301", {"\n", "\u0301"}, true},
        {"familyZwj", "\U0001F468\u200D\U0001F469\u200D\U0001F467=",
         {"\U0001F468\u200D\U0001F469\u200D\U0001F467", "="}, true},
        {"skinTone", "\U0001F44D\U0001F3FD", {"\U0001F44D\U0001F3FD"}, true},
        {"flagPairs", "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA", {"\U0001F1EB\U0001F1F7", "\U0001F1E9\U0001F1EA"},
         true},
        {"oddRegionalIndicator", "\U0001F1EB\U0001F1F7\U0001F1E9", {"\U0001F1EB\U0001F1F7", "\U0001F1E9"}, true},
        // A prepended mark joins the ASCII character after it.
        {"prependBeforeAscii", "\u06001", {"\u06001"}, true},
        {"largestCodePoint", "\xf4\x8f\xbf\xbf", {"\xf4\x8f\xbf\xbf"}, true},
        {"nul", std::string("a\0b", 3), {"a", std::string(1, '\0'), "b"}, true},
        {"pastLargest", "\xf4\x90\x80\x80", {"\xf4", "\x90", "\x80", "\x80"}, false},
        {"truncatedSequence", "\xe2\x82" "a", {"\xe2", "\x82", "a"}, false},
        {"overlong", "\xc0\xaf", {"\xc0", "\xaf"}, false},
        {"surrogate", "\xed\xa0\x80", {"\xed", "\xa0", "\x80"}, false},
        {"strayByteBetweenMarks", "e\xff\u0301", {"e", "\xff", "\u0301"}, false},
    };
    for (const auto& [name, text, expected, valid] : cases) {
        SCOPED_TRACE(name);
        const auto split = Graphemes::split(text);
        EXPECT_EQ(std::vector<std::string>(split.begin(), split.end()), expected);
        EXPECT_EQ(Graphemes::count(text), expected.size());
        EXPECT_EQ(Graphemes::isValidUtf8(text), valid);
    }
}

// Every byte sequence of length 2, and a sample of length 3, splits into
// pieces that cover it exactly, none empty.
TEST(Graphemes, ArbitraryBytesAreCoveredExactly)
{
    auto check = [](const std::string& text) {
        std::string joined;
        const auto split = Graphemes::split(text);
        for (const auto piece : split) {
            ASSERT_FALSE(piece.empty());
            joined += piece;
        }
        ASSERT_EQ(joined, text);
        ASSERT_EQ(Graphemes::count(text), split.size());
    };
    for (int a = 0; a < 256; ++a) {
        for (int b = 0; b < 256; ++b) {
            check(std::string{static_cast<char>(a), static_cast<char>(b)});
            check(std::string{static_cast<char>(a), static_cast<char>(b), static_cast<char>((a * 7 + b) % 256)});
        }
    }
}

} // namespace
} // namespace engine
