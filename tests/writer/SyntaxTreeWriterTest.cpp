#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/Parser.h"
#include "writer/ASTWriter.h"

// The prefix texts of expressions and definitions are pinned by the parser's
// tests, and writeAll's lines by tarvine-cli --ast; here is what they leave out.
namespace engine {
namespace {

TEST(SyntaxTreeWriter, LineNumbersAndAnEmptyDocument)
{
    const auto statements = Parser::parse(Lexer::lex("1 + x\n\n\n  function f = (x) { x }"));
    EXPECT_EQ(ASTWriter::writeLineOf(statements.at(0)), "0");
    EXPECT_EQ(ASTWriter::writeLineOf(statements.at(1)), "3");

    testing::internal::CaptureStdout();
    ASTWriter::writeAll({});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no statements to print\n");
}

} // namespace
} // namespace engine
