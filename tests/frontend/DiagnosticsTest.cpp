#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParserTestSupport.h"
#include "frontend/LexError.h"
#include "values/InterpretError.h"

namespace engine::test {
namespace {

struct MarkerCase {
    std::string name;
    std::string source;
    std::int64_t line;
    std::int64_t column;
    // The echoed line and the marker line; empty for the bare message.
    std::string echoed;
    std::string marker;
};

void PrintTo(const MarkerCase& markerCase, std::ostream* out) { *out << markerCase.name; }

class LexErrorDisplay : public testing::TestWithParam<MarkerCase> {};

TEST_P(LexErrorDisplay, PointsAtTheCharacter)
{
    const MarkerCase& c = GetParam();
    const std::string expected = c.echoed.empty() ? "oops" : "oops\n" + c.echoed + "\n" + c.marker;
    EXPECT_EQ(LexError("oops", c.line, c.column).displayMessage(c.source), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Markers, LexErrorDisplay,
    testing::Values(
        MarkerCase{"secondLine", "a = 1\nb === 2", 1, 3, "b === 2", "  ↑"},
        MarkerCase{"columnOne", "abc", 0, 1, "abc", "↑"},
        MarkerCase{"lastColumn", "abc", 0, 3, "abc", "  ↑"},
        MarkerCase{"pastTheEnd", "abc", 0, 4, "abc", "   "},
        MarkerCase{"columnZero", "abc", 0, 0, "abc", "   "},
        MarkerCase{"negativeColumn", "abc", 0, -5, "abc", "   "},
        MarkerCase{"emptyMiddleLineCounts", "a\n\nb", 2, 1, "b", "↑"},
        MarkerCase{"leadingBlanksKept", "  x = 1", 0, 3, "  x = 1", "  ↑"},
        // One blank per character, whatever a display makes of the tab.
        MarkerCase{"tab", "\tx = 1", 0, 2, "\tx = 1", " ↑"},
        MarkerCase{"precomposedAccent", "é = 1", 0, 3, "é = 1", "  ↑"},
        MarkerCase{"combiningAccent", "e\u0301e\u0301 = 1", 0, 4, "e\u0301e\u0301 = 1", "   ↑"},
        MarkerCase{"emoji", "😀😀 x", 0, 4, "😀😀 x", "   ↑"},
        MarkerCase{"familyEmoji", "👨‍👩‍👧 + 1", 0, 3, "👨‍👩‍👧 + 1", "  ↑"},
        MarkerCase{"flagPastTheEnd", "🇫🇷🇩🇪", 0, 3, "🇫🇷🇩🇪", "  "},
        // A carriage return before a line feed ends the line with it, as in the
        // lexer; a lone carriage return is an ordinary character.
        MarkerCase{"crlfEndsALine", "ab\r\ncd", 0, 2, "ab", " ↑"},
        MarkerCase{"lineAfterCrlf", "ab\r\ncd", 1, 2, "cd", " ↑"},
        MarkerCase{"crlfLineEndIsPastTheEnd", "ab\r\ncd", 0, 3, "ab", "  "},
        MarkerCase{"loneCarriageReturn", "a\rb", 0, 3, "a\rb", "  ↑"},
        MarkerCase{"lastLineAfterLineFeeds", "x\ny\nz", 2, 1, "z", "↑"}));

INSTANTIATE_TEST_SUITE_P(BareMessage, LexErrorDisplay,
                         testing::Values(MarkerCase{"emptySource", "", 0, 1, "", ""},
                                         MarkerCase{"emptyLine", "a\n\nb", 1, 1, "", ""},
                                         MarkerCase{"emptyLastLine", "a\n", 1, 1, "", ""},
                                         MarkerCase{"lineBeyondTheSource", "a\nb", 2, 1, "", ""},
                                         MarkerCase{"emptyLineBetweenCrlfs", "a\r\n\r\nb", 1, 1, "", ""},
                                         MarkerCase{"negativeLine", "a", -1, 1, "", ""}));

TEST(ParseErrorDisplay, UsesTheTokenPosition)
{
    const std::string source = "x = 1\ny = 2 +\nz";
    const auto tokens = Lexer::lex(source);
    const auto errors = errorsOf(tokens);
    ASSERT_EQ(errors.size(), 1u);
    // At the line feed that ends "y = 2 +": one column past that line's end.
    EXPECT_EQ(ParseError(errors[0].message, errors[0].tokenPosition).displayMessage(source, tokens),
              "expected primary but found none\ny = 2 +\n       ");
    EXPECT_EQ(ParseError("Expected newline", 5).displayMessage(source, tokens), "Expected newline\ny = 2 +\n  ↑");
}

TEST(ParseErrorDisplay, CrlfLinesAgreeWithTheLexer)
{
    const std::string source = "x = 1\r\ny = 2 +\r\nz";
    const auto tokens = Lexer::lex(source);
    const auto errors = errorsOf(tokens);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(ParseError(errors[0].message, errors[0].tokenPosition).displayMessage(source, tokens),
              "expected primary but found none\ny = 2 +\n       ");
}

TEST(LexErrorDisplay, OfTheLexersOwnError)
{
    const std::string source = "a = 1\nb === 2";
    try {
        Lexer::lex(source);
        FAIL() << "lexed";
    } catch (const MultiError<LexError>& failure) {
        ASSERT_EQ(failure.errors.size(), 1u);
        EXPECT_EQ(failure.errors[0].displayMessage(source), "Triple equals is invalid\nb === 2\n  ↑");
    }
}

TEST(ParseErrorDisplay, OutOfRangePositionGivesTheBareMessage)
{
    const std::string source = "1 +";
    const auto tokens = Lexer::lex(source);
    for (std::int64_t position : {std::int64_t{-1}, static_cast<std::int64_t>(tokens.size()), std::int64_t{1} << 40})
        EXPECT_EQ(ParseError("oops", position).displayMessage(source, tokens), "oops") << position;
    EXPECT_EQ(ParseError("oops", 0).displayMessage(source, {}), "oops");
}

TEST(InterpretErrorDisplay, IsTheMessageAlone)
{
    const std::string source = "x = 1\nx = 2";
    const auto tokens = Lexer::lex(source);
    const auto statements = Parser::parse(tokens);
    EXPECT_EQ(InterpretError("cannot re-bind x").displayMessage(source, tokens, statements), "cannot re-bind x");
    EXPECT_EQ(InterpretError("cannot re-bind x").displayMessage("", {}, {}), "cannot re-bind x");
}

} // namespace
} // namespace engine::test
