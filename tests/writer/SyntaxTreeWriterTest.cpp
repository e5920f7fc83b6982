#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "writer/ASTWriter.h"

namespace engine {
namespace {

// Trees built by hand, so the writer is tested apart from the parser. Their
// tokens live as long as the test program, which outlives every tree.
const Token* token(std::string lexeme, std::int64_t line = 0, std::int64_t column = 1)
{
    static std::deque<Token> kept;
    return &kept.emplace_back(Token{TokenType::identifier, std::move(lexeme), std::nullopt, line, column});
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

TEST(SyntaxTreeWriter, ExpressionsInPrefixNotation)
{
    using enum BinaryOperation;
    const std::vector<std::pair<Expression, std::string>> cases = {
        // Operators as their descriptions, whatever the source spelling.
        {binary(add, number(1), binary(multiply, number(2), number(3))), "(+ 1/1 (× 2/1 3/1))"},
        {binary(greaterEqual, binary(divide, name("a"), name("b")), number(-3, 2)), "(>= (÷ a b) -3/2)"},
        {binary(multiply, grouping(grouping(binary(add, number(1), number(2)))), number(3)), "(× (+ 1/1 2/1) 3/1)"},
        {unary(UnaryOperation::negate, binary(add, name("a"), number(1))), "-(+ a 1/1)"},
        {unary(UnaryOperation::not_, name("y")), "!y"},
        {assignment("x", string("a")), "(x = \"a\")"},
        {call(name("f"), {assignment("_", number(1)), assignment("by", number(2))}), "&f/2"},
        {call(call(name("f"), {}), {assignment("_", number(1))}), "&&f/0/1"},
        {list({list({}), list({name("a"), string("b")})}), "[([]);([(a);(\"b\")])]"},
    };
    for (const auto& [expression, expected] : cases)
        EXPECT_EQ(ASTWriter::writeExpression(expression), expected);
}

TEST(SyntaxTreeWriter, Statements)
{
    Expression onLineThree = binary(BinaryOperation::add, number(1), name("x"));
    onLineThree.token = token("op", 3);
    const Statement function =
        Statement::function(*token("f", 12, 10), {{"x", "x"}}, ReturnMapping::singleValue(), {name("x")});
    EXPECT_EQ(ASTWriter::write(Statement::expression(onLineThree)), "(+ 1/1 x)");
    EXPECT_EQ(ASTWriter::write(function),
              "function 'Token(type: identifier, lexeme: \"f\", literal: nil, sourceLine: 12, sourceColumn: 10)' "
              "definition");
    EXPECT_EQ(ASTWriter::writeLineOf(Statement::expression(onLineThree)), "3");
    EXPECT_EQ(ASTWriter::writeLineOf(function), "12");

    testing::internal::CaptureStdout();
    ASTWriter::writeAll({Statement::expression(assignment("x", number(1))), Statement::expression(list({}))});
    ASTWriter::writeAll({});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "(x = 1/1)\n[]\nno statements to print\n");
}

} // namespace
} // namespace engine
