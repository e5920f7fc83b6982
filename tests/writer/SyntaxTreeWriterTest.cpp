#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "writer/ASTWriter.h"

namespace engine {
namespace {

// Trees built by hand, so the writer is tested apart from the parser.
Token token(std::string lexeme, std::int64_t line = 0, std::int64_t column = 1)
{
    return Token{TokenType::identifier, std::move(lexeme), std::nullopt, line, column};
}
Expression number(std::int64_t numerator, std::int64_t denominator = 1)
{
    return {ExpressionKind::value(ValueUnion(Number(numerator, denominator))), token("n")};
}
Expression string(std::string text) { return {ExpressionKind::value(ValueUnion(EString(std::move(text)))), token("s")}; }
Expression name(std::string text) { return {ExpressionKind::reference(text), token(text)}; }
Expression binary(BinaryOperation operation, Expression left, Expression right)
{
    return {ExpressionKind::binary(operation, std::move(left), std::move(right)), token("op")};
}
Expression unary(UnaryOperation operation, Expression operand)
{
    return {ExpressionKind::unary(operation, std::move(operand)), token("op")};
}
Expression grouping(Expression inner) { return {ExpressionKind::grouping(std::move(inner)), token("(")}; }
Expression assignment(std::string target, Expression value)
{
    return {ExpressionKind::assignment(std::move(target), std::move(value)), token("=")};
}
Expression call(Expression callee, std::vector<Expression> arguments)
{
    return {ExpressionKind::invocation(std::move(callee), std::move(arguments)), token(")")};
}
Expression list(std::vector<Expression> elements) { return {ExpressionKind::list(std::move(elements)), token("[")}; }

struct WriteCase {
    std::string name;
    Expression expression;
    std::string text;
};

void PrintTo(const WriteCase& writeCase, std::ostream* out) { *out << writeCase.name; }

class ExpressionText : public testing::TestWithParam<WriteCase> {};

TEST_P(ExpressionText, IsPrefixNotation) { EXPECT_EQ(ASTWriter::writeExpression(GetParam().expression), GetParam().text); }

std::vector<WriteCase> nodes()
{
    using enum BinaryOperation;
    return {
        // Operators as their descriptions, whatever the source spelling.
        {"precedence", binary(add, number(1), binary(multiply, number(2), number(3))), "(+ 1/1 (× 2/1 3/1))"},
        {"divideAndCompare", binary(greaterEqual, binary(divide, name("a"), name("b")), number(0)), "(>= (÷ a b) 0/1)"},
        {"groupingLeavesNoTrace", binary(multiply, grouping(binary(add, number(1), number(2))), number(3)),
         "(× (+ 1/1 2/1) 3/1)"},
        {"nestedGroupings", grouping(grouping(name("x"))), "x"},
        {"negate", unary(UnaryOperation::negate, name("x")), "-x"},
        {"not", unary(UnaryOperation::not_, name("y")), "!y"},
        {"negatedSum", unary(UnaryOperation::negate, binary(add, name("a"), number(1))), "-(+ a 1/1)"},
        {"fraction", number(-3, 2), "-3/2"},
        {"string", string("a"), "\"a\""},
        {"assignment", assignment("x", string("a")), "(x = \"a\")"},
        {"nestedAssignment", assignment("x", assignment("y", number(2))), "(x = (y = 2/1))"},
        {"callWithTwo", call(name("f"), {assignment("_", number(1)), assignment("by", number(2))}), "&f/2"},
        {"callWithNone", call(name("f"), {}), "&f/0"},
        {"callOfCall", call(call(name("f"), {}), {assignment("_", number(1))}), "&&f/0/1"},
        {"list", list({number(1), number(2)}), "[(1/1);(2/1)]"},
        {"emptyList", list({}), "[]"},
        {"nestedList", list({list({}), list({name("a"), string("b")})}), "[([]);([(a);(\"b\")])]"},
    };
}
INSTANTIATE_TEST_SUITE_P(Nodes, ExpressionText, testing::ValuesIn(nodes()),
                         [](const auto& info) { return info.param.name; });

TEST(StatementText, ExpressionStatementIsItsExpression)
{
    EXPECT_EQ(ASTWriter::write(Statement::expression(binary(BinaryOperation::add, number(1), name("x")))), "(+ 1/1 x)");
}

TEST(StatementText, FunctionStatementShowsTheNameToken)
{
    const Statement function
        = Statement::function(token("f", 0, 10), {{"x", "x"}}, ReturnMapping::singleValue(), {name("x")});
    EXPECT_EQ(ASTWriter::write(function),
              "function 'Token(type: identifier, lexeme: \"f\", literal: nil, sourceLine: 0, sourceColumn: 10)' "
              "definition");
}

TEST(StatementText, LineOfStatementIsItsTokenLine)
{
    Expression onLineThree = name("x");
    onLineThree.token.sourceLine = 3;
    EXPECT_EQ(ASTWriter::writeLineOf(Statement::expression(onLineThree)), "3");
    EXPECT_EQ(ASTWriter::writeLineOf(Statement::expression(name("x"))), "0");
    const Statement function = Statement::function(token("g", 12, 10), {}, ReturnMapping::singleValue(), {number(1)});
    EXPECT_EQ(ASTWriter::writeLineOf(function), "12");
}

TEST(WriteAll, PrintsOneStatementPerLine)
{
    testing::internal::CaptureStdout();
    ASTWriter::writeAll({Statement::expression(assignment("x", number(1))), Statement::expression(list({}))});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(x = 1/1)\n[]\n");
}

TEST(WriteAll, SaysSoWhenThereIsNothing)
{
    testing::internal::CaptureStdout();
    ASTWriter::writeAll({});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "no statements to print\n");
}

} // namespace
} // namespace engine
