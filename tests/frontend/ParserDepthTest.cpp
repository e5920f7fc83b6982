#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ParserTestSupport.h"
#include "values/Hasher.h"

namespace engine::test {
namespace {

std::string repeat(std::string_view text, int times)
{
    std::string result;
    result.reserve(text.size() * static_cast<std::size_t>(std::max(times, 0)));
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// Each shape builds a statement whose tree is exactly `levels` nodes deep,
// counting the nodes that hold others.
struct Shape {
    std::string name;
    std::function<std::string(int levels)> source;
    // Where the error is reported for a tree one level too deep.
    std::int64_t tooDeepAt;
};

void PrintTo(const Shape& shape, std::ostream* out) { *out << shape.name; }

const std::vector<Shape>& shapes()
{
    static const std::vector<Shape> all{
        {"parentheses", [](int n) { return repeat("(", n) + "1" + repeat(")", n); }, 256},
        {"negations", [](int n) { return repeat("-", n) + "1"; }, 256},
        {"nots", [](int n) { return repeat("!", n) + "x"; }, 256},
        {"lists", [](int n) { return repeat("[", n) + repeat("]", n); }, 256},
        {"tables", [](int n) { return repeat("{", n) + "x" + repeat("}", n); }, 256},
        // A call and the "_" assignment wrapping its argument are two levels.
        {"nestedCalls",
         [](int n) { return repeat("f(", n / 2) + (n % 2 ? "-1" : "1") + repeat(")", n / 2); }, 256},
        {"labelledCalls",
         [](int n) { return repeat("f(a: ", n / 2) + (n % 2 ? "-1" : "1") + repeat(")", n / 2); }, 512},
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
        {"tableEntries",
         [](int n) { return repeat("{a = ", n / 2) + (n % 2 ? "-1" : "1") + repeat("}", n / 2); }, 384},
    };
    return all;
}

class DepthLimit : public testing::TestWithParam<Shape> {};

TEST_P(DepthLimit, TheLimitItselfParses)
{
    const std::string source = GetParam().source(Parser::maxExpressionDepth);
    EXPECT_EQ(errorsOf(source), std::vector<FoundError>{});
}

TEST_P(DepthLimit, OneLevelMoreFailsWhereTheLimitIsPassed)
{
    const auto errors = errorsOf(GetParam().source(Parser::maxExpressionDepth + 1));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0], (FoundError{"Expression nested too deeply", GetParam().tooDeepAt}));
}

TEST_P(DepthLimit, AHundredThousandLevelsFailWithoutCrashing)
{
    const auto errors = errorsOf(GetParam().source(100'000));
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(errors[0].message, "Expression nested too deeply");
}

INSTANTIATE_TEST_SUITE_P(Shapes, DepthLimit, testing::ValuesIn(shapes()),
                         [](const auto& info) { return info.param.name; });

TEST(DepthLimit, CountsPerStatement)
{
    const std::string line = repeat("-", Parser::maxExpressionDepth) + "1\n";
    EXPECT_EQ(Parser::parse(Lexer::lex(repeat(line, 20))).size(), 20u);
}

TEST(DepthLimit, RecoveryResumesAfterTheOffendingToken)
{
    // 300 negations: the 257th fails and is skipped, the remaining 43 apply to
    // the number as a statement of their own.
    const auto errors = errorsOf(repeat("-", 300) + "1");
    EXPECT_EQ(errors, (std::vector<FoundError>{{"Expression nested too deeply", 256}}));
}

TEST(DepthLimit, TreesAtTheLimitCanBeWalked)
{
    for (const Shape& shape : shapes()) {
        const std::string source = shape.source(Parser::maxExpressionDepth);
        const auto first = Parser::parse(Lexer::lex(source));
        const auto second = Parser::parse(Lexer::lex(source));
        // A table literal holds a function value, and function values never
        // compare equal, so only the other shapes compare.
        if (shape.name.find("table") == std::string::npos) {
            EXPECT_EQ(first, second) << shape.name;
        }
        const auto hashOf = [](const std::vector<Statement>& statements) {
            return Hasher::single([&](Hasher& hasher) {
                for (const Statement& statement : statements)
                    statement.hash(hasher);
            });
        };
        EXPECT_EQ(hashOf(first), hashOf(second)) << shape.name;
        EXPECT_FALSE(ASTWriter::write(first.at(0)).empty()) << shape.name;
    }
}

} // namespace
} // namespace engine::test
