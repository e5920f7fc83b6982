#include <functional>
#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "values/Hasher.h"

namespace engine::test {
namespace {

std::string firstErrorOf(const std::string& source)
{
    const std::string errors = errorsOf(source);
    return errors.substr(0, errors.find(" | "));
}

std::uint64_t hashOf(const std::vector<Statement>& statements)
{
    return Hasher::single([&](Hasher& hasher) {
        for (const Statement& statement : statements)
            statement.hash(hasher);
    });
}

// Each shape builds a statement whose tree is exactly `levels` nodes deep,
// counting the nodes that hold others. At the limit it parses and its tree can
// be walked; one level deeper fails at the token given; a hundred thousand
// levels fail the same way instead of exhausting the stack.
TEST(DepthLimit, HoldsForEveryKindOfNesting)
{
    struct Shape {
        std::string name;
        std::function<std::string(int levels)> source;
        // The token index at which a tree one level too deep fails.
        std::int64_t tooDeepAt;
    };
    const Shape shapes[] = {
        {"parentheses", [](int n) { return repeat("(", n) + "1" + repeat(")", n); }, 256},
        {"negations", [](int n) { return repeat("-", n) + "1"; }, 256},
        {"nots", [](int n) { return repeat("!", n) + "x"; }, 256},
        {"lists", [](int n) { return repeat("[", n) + repeat("]", n); }, 256},
        {"tables", [](int n) { return repeat("{", n) + "x" + repeat("}", n); }, 256},
        // A call and the "_" assignment wrapping its argument are two levels.
        {"nestedCalls", [](int n) { return repeat("f(", n / 2) + (n % 2 ? "-1" : "1") + repeat(")", n / 2); }, 256},
        {"labelledCalls", [](int n) { return repeat("f(a: ", n / 2) + (n % 2 ? "-1" : "1") + repeat(")", n / 2); }, 512},
        {"callChain", [](int n) { return "f" + repeat("()", n); }, 513},
        {"assignments", [](int n) { return repeat("a = ", n) + "1"; }, 513},
        {"sum", [](int n) { return "1" + repeat(" + 1", n); }, 513},
        // Additions and subtractions share a level, so they form one chain.
        {"mixedChain", [](int n) { return "1" + repeat(" + 2 - 3", n / 2) + (n % 2 ? " == 4" : ""); }, 513},
        {"unitInParentheses", [](int n) { return repeat("(", n - 1) + "5 km" + repeat(")", n - 1); }, 257},
        {"deepLeftOperand", [](int n) { return repeat("-", n - 1) + "1 + 1"; }, 257},
        // The first sum's right operand sinks one level when the second "+"
        // arrives, which is where the limit is passed.
        {"sinkingRightOperand", [](int n) { return "1 + " + repeat("-", n - 2) + "1 + 1"; }, 258},
        {"functionBody", [](int n) { return "function f = (x) { " + repeat("-", n) + "x }"; }, 263},
        {"tableEntries", [](int n) { return repeat("{a = ", n / 2) + (n % 2 ? "-1" : "1") + repeat("}", n / 2); }, 384},
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.name);
        const std::string atLimit = shape.source(Parser::maxExpressionDepth);
        EXPECT_EQ(errorsOf(atLimit), "");
        const auto first = Parser::parse(Lexer::lex(atLimit));
        const auto second = Parser::parse(Lexer::lex(atLimit));
        // A table literal holds a function value, and function values never
        // compare equal, so only the other shapes compare.
        if (shape.name.find("table") == std::string::npos) {
            EXPECT_EQ(first, second);
        }
        EXPECT_EQ(hashOf(first), hashOf(second));
        EXPECT_FALSE(ASTWriter::write(first.at(0)).empty());

        EXPECT_EQ(firstErrorOf(shape.source(Parser::maxExpressionDepth + 1)),
                  "Expression nested too deeply @" + std::to_string(shape.tooDeepAt));
        EXPECT_THAT(firstErrorOf(shape.source(100'000)), ::testing::StartsWith("Expression nested too deeply @"));
    }
}

// The limit counts per statement, and recovery resumes after the offending
// token.
TEST(DepthLimit, CountsPerStatementAndRecovers)
{
    const std::string line = repeat("-", Parser::maxExpressionDepth) + "1\n";
    EXPECT_EQ(Parser::parse(Lexer::lex(repeat(line, 20))).size(), 20u);
    // 300 negations: the 257th fails and is skipped, the remaining 43 apply to
    // the number as a statement of their own.
    EXPECT_EQ(errorsOf(repeat("-", 300) + "1"), "Expression nested too deeply @256");
}

} // namespace
} // namespace engine::test
