// The lexer and the parser report every error up to maxErrors; the first one
// past it becomes the notice that they stopped, at its own place.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"

namespace engine::test {
namespace {

std::vector<LexError> lexErrors(const std::string& source)
{
    try {
        Lexer::lex(source);
    } catch (const MultiError<LexError>& failure) {
        return failure.errors;
    }
    return {};
}

std::vector<ParseError> parseErrors(const std::string& source)
{
    try {
        Parser::parse(Lexer::lex(source));
    } catch (const MultiError<ParseError>& failure) {
        return failure.errors;
    }
    return {};
}

TEST(ErrorLimit, TheLexerStopsAtTheFirstErrorPastIt)
{
    auto errors = lexErrors(repeat(".", maxErrors));
    ASSERT_EQ(errors.size(), maxErrors);
    EXPECT_EQ(errors.back().message, "Unexpected character: .");

    // Past the limit nothing more is read: the "===" would be an error too.
    for (const auto& source : {repeat(".", maxErrors + 1), repeat(".", 100 * maxErrors) + "==="}) {
        errors = lexErrors(source);
        ASSERT_EQ(errors.size(), maxErrors + 1);
        EXPECT_EQ(errors[maxErrors - 1].message, "Unexpected character: .");
        EXPECT_EQ(errors.back().message, tooManyErrors);
        EXPECT_EQ(errors.back().line, 0);
        EXPECT_EQ(errors.back().column, static_cast<std::int64_t>(maxErrors + 1));
    }
}

TEST(ErrorLimit, TheParserStopsAtTheFirstErrorPastIt)
{
    // One error per line, at its ")"; tokens alternate ")" and newline.
    auto errors = parseErrors(repeat(")\n", maxErrors));
    ASSERT_EQ(errors.size(), maxErrors);
    EXPECT_EQ(errors.back().message, "expected primary but found none");

    for (const auto& source : {repeat(")\n", maxErrors + 1), repeat(")\n", 100 * maxErrors) + "function"}) {
        errors = parseErrors(source);
        ASSERT_EQ(errors.size(), maxErrors + 1);
        EXPECT_EQ(errors[maxErrors - 1].message, "expected primary but found none");
        EXPECT_EQ(errors.back().message, tooManyErrors);
        EXPECT_EQ(errors.back().tokenPosition, static_cast<std::int64_t>(2 * maxErrors));
    }
}

} // namespace
} // namespace engine::test
