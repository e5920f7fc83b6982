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
};

class GraphemesSplit : public testing::TestWithParam<SplitCase> {};

// Expected clusters follow the Unicode segmentation rules (UAX #29).
INSTANTIATE_TEST_SUITE_P(
    Cases, GraphemesSplit,
    testing::Values(
        SplitCase{"empty", "", {}},
        SplitCase{"ascii", "a+1", {"a", "+", "1"}},
        SplitCase{"crlfIsOne", "a\r\nb", {"a", "\r\n", "b"}},
        SplitCase{"lfCrIsTwo", "\n\r", {"\n", "\r"}},
        SplitCase{"crCrLf", "\r\r\n", {"\r", "\r\n"}},
        SplitCase{"loneCrAtEnd", "x\r", {"x", "\r"}},
        SplitCase{"precomposed", "caf\u00e9", {"c", "a", "f", "\u00e9"}},
        SplitCase{"combiningAfterAscii", "cafe\u0301!", {"c", "a", "f", "e\u0301", "!"}},
        SplitCase{"twoCombiningMarks", "a\u0301\u0302b", {"a\u0301\u0302", "b"}},
        SplitCase{"combiningAfterQuote", "\"\u0301", {"\"\u0301"}},
        SplitCase{"lineFeedNeverExtended", "\n\u0301", {"\n", "\u0301"}},
        SplitCase{"cjk", "\u6f22\u5b57", {"\u6f22", "\u5b57"}},
        SplitCase{"hangulJamo", "\u1100\u1161\u11a8x", {"\u1100\u1161\u11a8", "x"}},
        SplitCase{"familyZwj", "\U0001F468\u200D\U0001F469\u200D\U0001F467=",
                  {"\U0001F468\u200D\U0001F469\u200D\U0001F467", "="}},
        SplitCase{"skinTone", "\U0001F44D\U0001F3FD", {"\U0001F44D\U0001F3FD"}},
        SplitCase{"flagPairs", "\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA",
                  {"\U0001F1EB\U0001F1F7", "\U0001F1E9\U0001F1EA"}},
        SplitCase{"oddRegionalIndicator", "\U0001F1EB\U0001F1F7\U0001F1E9",
                  {"\U0001F1EB\U0001F1F7", "\U0001F1E9"}},
        SplitCase{"devanagariSpacingMark", "\u0928\u093F", {"\u0928\u093F"}},
        // A prepended mark joins the ASCII character after it.
        SplitCase{"prependBeforeAscii", "\u06001", {"\u06001"}},
        SplitCase{"strayBytes", "\xff\xfe", {"\xff", "\xfe"}},
        SplitCase{"truncatedSequence", "\xe2\x82" "a", {"\xe2", "\x82", "a"}},
        SplitCase{"overlong", "\xc0\xaf", {"\xc0", "\xaf"}},
        SplitCase{"surrogate", "\xed\xa0\x80", {"\xed", "\xa0", "\x80"}},
        SplitCase{"strayByteBetweenMarks", "e\xff\u0301", {"e", "\xff", "\u0301"}},
        SplitCase{"nul", std::string("a\0b", 3), {"a", std::string(1, '\0'), "b"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(GraphemesSplit, MatchesTheSegmentationRules)
{
    const auto& [name, text, expected] = GetParam();
    const auto split = Graphemes::split(text);
    std::vector<std::string> actual(split.begin(), split.end());
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(Graphemes::count(text), expected.size());
}

TEST_P(GraphemesSplit, CharacterEndWalksTheSameClusters)
{
    const auto& [name, text, expected] = GetParam();
    std::size_t offset = 0;
    for (const auto& character : expected) {
        ASSERT_LT(offset, text.size());
        const auto end = Graphemes::characterEnd(text, offset);
        EXPECT_EQ(text.substr(offset, end - offset), character);
        offset = end;
    }
    EXPECT_EQ(offset, text.size());
}

struct ValidityCase {
    const char* name;
    std::string text;
    bool valid;
};

class GraphemesValidity : public testing::TestWithParam<ValidityCase> {};

INSTANTIATE_TEST_SUITE_P(Cases, GraphemesValidity,
                         testing::Values(ValidityCase{"empty", "", true}, ValidityCase{"ascii", "abc\r\n", true},
                                         ValidityCase{"twoByte", "\u00e9", true},
                                         ValidityCase{"fourByte", "\U0001F600", true},
                                         ValidityCase{"largestCodePoint", "\xf4\x8f\xbf\xbf", true},
                                         ValidityCase{"pastLargest", "\xf4\x90\x80\x80", false},
                                         ValidityCase{"stray", "a\x80", false},
                                         ValidityCase{"truncated", "\xe2\x82", false},
                                         ValidityCase{"overlong", "\xc0\xaf", false},
                                         ValidityCase{"surrogate", "\xed\xa0\x80", false},
                                         ValidityCase{"ff", "\xff", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_P(GraphemesValidity, DecidesWellFormedness)
{
    EXPECT_EQ(Graphemes::isValidUtf8(GetParam().text), GetParam().valid);
}

// Every byte sequence of length 1 and 2, and a sample of length 3, splits
// into pieces that cover it exactly, none empty.
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
