#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "values/InterpretError.h"

namespace engine::test {
namespace {

// The marker counts characters as the lexer does, and a position that shows
// nothing gives the bare message rather than stopping.
TEST(LexErrorDisplay, PointsAtTheCharacter)
{
    struct Row {
        const char* name;
        std::string source;
        std::int64_t line;
        std::int64_t column;
        // The echoed line and the marker line; empty for the bare message.
        std::string shown;
    };
    const Row rows[] = {
        {"secondLine", "a = 1\nb === 2", 1, 3, "b === 2\n  ↑"},
        {"columnOne", "abc", 0, 1, "abc\n↑"},
        {"lastColumn", "abc", 0, 3, "abc\n  ↑"},
        {"pastTheEnd", "abc", 0, 4, "abc\n   "},
        {"columnZero", "abc", 0, 0, "abc\n   "},
        {"negativeColumn", "abc", 0, -5, "abc\n   "},
        {"emptyMiddleLineCounts", "a\n\nb", 2, 1, "b\n↑"},
        // One blank per character, whatever a display makes of the tab.
        {"tab", "\tx = 1", 0, 2, "\tx = 1\n ↑"},
        {"precomposedAccent", "é = 1", 0, 3, "é = 1\n  ↑"},
        {"combiningAccent", "e\u0301e\u0301 = 1", 0, 4, "e\u0301e\u0301 = 1\n   ↑"},
        {"emoji", "😀😀 x", 0, 4, "😀😀 x\n   ↑"},
        {"familyEmoji", "👨‍👩‍👧 + 1", 0, 3, "👨‍👩‍👧 + 1\n  ↑"},
        {"flagPastTheEnd", "🇫🇷🇩🇪", 0, 3, "🇫🇷🇩🇪\n  "},
        // A carriage return before a line feed ends the line with it, as in the
        // lexer; a lone carriage return is an ordinary character.
        {"crlfEndsALine", "ab\r\ncd", 0, 2, "ab\n ↑"},
        {"lineAfterCrlf", "ab\r\ncd", 1, 2, "cd\n ↑"},
        {"crlfLineEndIsPastTheEnd", "ab\r\ncd", 0, 3, "ab\n  "},
        {"loneCarriageReturn", "a\rb", 0, 3, "a\rb\n  ↑"},
        {"emptySource", "", 0, 1, ""},
        {"emptyLine", "a\n\nb", 1, 1, ""},
        {"emptyLastLine", "a\n", 1, 1, ""},
        {"lineBeyondTheSource", "a\nb", 2, 1, ""},
        {"emptyLineBetweenCrlfs", "a\r\n\r\nb", 1, 1, ""},
        {"negativeLine", "a", -1, 1, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(LexError("oops", row.line, row.column).displayMessage(row.source),
                  row.shown.empty() ? "oops" : "oops\n" + row.shown)
            << row.name;
}

TEST(ParseErrorDisplay, PointsAtTheTokenOrGivesTheBareMessage)
{
    for (const std::string source : {"x = 1\ny = 2 +\nz", "x = 1\r\ny = 2 +\r\nz"}) {
        const auto tokens = Lexer::lex(source);
        ASSERT_EQ(errorsOf(tokens), "expected primary but found none @8");
        // At the line feed that ends "y = 2 +": one column past that line's end.
        EXPECT_EQ(ParseError("oops", 8).displayMessage(source, tokens), "oops\ny = 2 +\n       ");
        EXPECT_EQ(ParseError("oops", 5).displayMessage(source, tokens), "oops\ny = 2 +\n  ↑");
        const std::int64_t outOfRange[] = {-1, static_cast<std::int64_t>(tokens.size()), std::int64_t{1} << 40};
        for (const std::int64_t position : outOfRange)
            EXPECT_EQ(ParseError("oops", position).displayMessage(source, tokens), "oops") << position;
    }
    EXPECT_EQ(ParseError("oops", 0).displayMessage("1 +", {}), "oops");
}

TEST(InterpretErrorDisplay, IsTheMessageAlone)
{
    const std::string source = "x = 1\nx = 2";
    const auto tokens = Lexer::lex(source);
    const InterpretError error("cannot re-bind x");
    EXPECT_EQ(error.displayMessage(source, tokens, Parser::parse(tokens)), "cannot re-bind x");
    EXPECT_EQ(error.displayMessage("", {}, {}), "cannot re-bind x");
}

} // namespace
} // namespace engine::test
