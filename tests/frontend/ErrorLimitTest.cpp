// The lexer and the parser report every error up to maxErrors; the first one
// past it becomes the notice that they stopped, at its own place.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"

namespace engine::test {
namespace {

// The errors running `stage` on the source throws; none when it succeeds.
template <typename Error, typename Stage>
std::vector<Error> errorsFrom(Stage stage, const std::string& source)
{
    try {
        stage(source);
    } catch (const MultiError<Error>& failure) {
        return failure.errors;
    }
    return {};
}

// Each stage with a unit that makes one error and, after a hundred times the
// limit, text that would make another: past the limit nothing more is read.
template <typename Error, typename Stage, typename Place>
void expectLimit(Stage stage, const std::string& unit, const std::string& message, const std::string& tail, Place place)
{
    auto errors = errorsFrom<Error>(stage, repeat(unit, maxErrors));
    ASSERT_EQ(errors.size(), maxErrors);
    EXPECT_EQ(errors.back().message, message);
    for (const auto& source : {repeat(unit, maxErrors + 1), repeat(unit, 100 * maxErrors) + tail}) {
        errors = errorsFrom<Error>(stage, source);
        ASSERT_EQ(errors.size(), maxErrors + 1);
        EXPECT_EQ(errors[maxErrors - 1].message, message);
        EXPECT_EQ(errors.back().message, tooManyErrors);
        place(errors.back());
    }
}

TEST(ErrorLimit, TheLexerAndTheParserStopAtTheFirstErrorPastIt)
{
    expectLimit<LexError>([](const std::string& source) { Lexer::lex(source); }, ".", "Unexpected character: .", "===",
                          [](const LexError& notice) {
                              EXPECT_EQ(notice.line, 0);
                              EXPECT_EQ(notice.column, static_cast<std::int64_t>(maxErrors + 1));
                          });
    // One error per line, at its ")"; tokens alternate ")" and newline.
    expectLimit<ParseError>([](const std::string& source) { Parser::parse(Lexer::lex(source)); }, ")\n",
                            "expected primary but found none", "function", [](const ParseError& notice) {
                                EXPECT_EQ(notice.tokenPosition, static_cast<std::int64_t>(2 * maxErrors));
                            });
}

} // namespace
} // namespace engine::test
