#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/SyntaxTree.h"

namespace engine {
namespace {

template <typename T>
std::uint64_t hashOf(const T& value)
{
    return Hasher::single([&](Hasher& hasher) { value.hash(hasher); });
}

Token token(TokenType type, std::string lexeme, std::int64_t line, std::int64_t column,
            std::optional<ValueUnion> literal = std::nullopt)
{
    return Token{type, std::move(lexeme), std::move(literal), line, column};
}

ValueUnion number(std::int64_t numerator, std::int64_t denominator = 1, Units units = {})
{
    return Number(numerator, denominator, std::move(units));
}

ValueUnion string(std::string text) { return EString(std::move(text)); }

// Two tokens and whether they must be equal. Equal tokens must hash alike;
// unequal ones that differ in a hashed field must (almost surely) not.
struct TokenPair {
    const char* name;
    Token left;
    Token right;
    bool equal;
    bool sameHash;
};

void PrintTo(const TokenPair& row, std::ostream* out) { *out << row.name; }

class TokenEquality : public testing::TestWithParam<TokenPair> {};

TEST_P(TokenEquality, ComparesAllFiveFieldsAndHashesThem)
{
    const auto& row = GetParam();
    EXPECT_EQ(row.left == row.right, row.equal);
    EXPECT_EQ(row.right == row.left, row.equal);
    EXPECT_EQ(hashOf(row.left) == hashOf(row.right), row.sameHash);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, TokenEquality,
    testing::Values(
        TokenPair{"identical", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 0, 1), true, true},
        TokenPair{"otherLine", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 1, 1), false, false},
        TokenPair{"otherColumn", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 0, 2), false, false},
        TokenPair{"otherLexeme", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "y", 0, 1), false, false},
        TokenPair{"otherType", token(TokenType::newline, ";", 0, 1), token(TokenType::identifier, ";", 0, 1), false, false},
        TokenPair{"literalAbsentAndPresent", token(TokenType::number, "1", 0, 1),
                  token(TokenType::number, "1", 0, 1, number(1)), false, false},
        TokenPair{"equalLiterals", token(TokenType::number, "0.5", 0, 3, number(1, 2)),
                  token(TokenType::number, "0.5", 0, 3, number(1, 2)), true, true},
        TokenPair{"otherLiteral", token(TokenType::number, "1", 0, 1, number(1)),
                  token(TokenType::number, "1", 0, 1, number(2)), false, false},
        TokenPair{"numberAndStringLiteral", token(TokenType::string, "1", 0, 1, number(1)),
                  token(TokenType::string, "1", 0, 1, string("1")), false, false},
        // Canonically equivalent literals are equal and hash alike.
        TokenPair{"canonicalStringLiterals", token(TokenType::string, "\"s\"", 0, 3, string("\u00e9")),
                  token(TokenType::string, "\"s\"", 0, 3, string("e\u0301")), true, true},
        // Number equality ignores units, the hash does not.
        TokenPair{"literalUnitsIgnoredByEquality", token(TokenType::number, "5", 0, 1, number(5, 1, {{"m", 1}})),
                  token(TokenType::number, "5", 0, 1, number(5)), true, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The hash feeds the type index, the lexeme, the literal flag and value, the
// line and the column, in that order: the evaluation cache relies on it.
TEST(Token, HashFeedsItsFieldsInOrder)
{
    const auto literal = number(3, 2);
    const auto expected = Hasher::single([&](Hasher& hasher) {
        hasher.combine(std::uint64_t{4}); // number is case 4
        hasher.combine(std::string_view("1.5"));
        hasher.combineByte(1);
        literal.hash(hasher);
        hasher.combineSigned(7);
        hasher.combineSigned(9);
    });
    EXPECT_EQ(hashOf(token(TokenType::number, "1.5", 7, 9, literal)), expected);

    const auto withoutLiteral = Hasher::single([&](Hasher& hasher) {
        hasher.combine(std::uint64_t{27}); // eof is case 27
        hasher.combine(std::string_view(""));
        hasher.combineByte(0);
        hasher.combineSigned(0);
        hasher.combineSigned(0);
    });
    EXPECT_EQ(hashOf(token(TokenType::eof, "", 0, 0)), withoutLiteral);
}

TEST(TokenType, NamesFollowTheCaseOrder)
{
    EXPECT_EQ(toString(TokenType::leftParen), "leftParen");
    EXPECT_EQ(static_cast<int>(TokenType::number), 4);
    EXPECT_EQ(static_cast<int>(TokenType::rightArrow), 11);
    EXPECT_EQ(static_cast<int>(TokenType::quote), 20);
    EXPECT_EQ(static_cast<int>(TokenType::newline), 26);
    EXPECT_EQ(static_cast<int>(TokenType::eof), 27);
    EXPECT_EQ(toString(TokenType::bork), "bork");
    EXPECT_EQ(static_cast<int>(TokenType::bork), 29);
}

// Builds `<name> + <number>` from the lexer's tokens, as the parser would:
// the binary node carries the operator's token.
Statement additionStatement(const std::string& source)
{
    const auto tokens = Lexer::lex(source);
    std::vector<Token> meaningful;
    for (const auto& each : tokens)
        if (each.type != TokenType::newline && each.type != TokenType::eof)
            meaningful.push_back(each);
    EXPECT_EQ(meaningful.size(), 3u);
    const Expression left{ExpressionKind::reference(meaningful[0].lexeme), meaningful[0]};
    const Expression right{ExpressionKind::value(*meaningful[2].literal), meaningful[2]};
    return Statement::expression(
        Expression{ExpressionKind::binary(BinaryOperation::add, left, right), meaningful[1]});
}

TEST(Statement, SameTextOnAnotherLineDiffers)
{
    const auto onLine0 = additionStatement("x + 1");
    const auto onLine0Again = additionStatement("x + 1");
    const auto onLine1 = additionStatement("\nx + 1");
    const auto otherColumn = additionStatement(" x + 1");

    EXPECT_EQ(onLine0, onLine0Again);
    EXPECT_EQ(hashOf(onLine0), hashOf(onLine0Again));
    EXPECT_NE(onLine0, onLine1);
    EXPECT_NE(hashOf(onLine0), hashOf(onLine1));
    EXPECT_NE(onLine0, otherColumn);
    EXPECT_NE(hashOf(onLine0), hashOf(otherColumn));
}

TEST(ReturnMapping, CasesHashApart)
{
    const auto all = hashOf(ReturnMapping::all());
    const auto single = hashOf(ReturnMapping::singleValue());
    const auto emptyList = hashOf(ReturnMapping::list({}));
    const auto oneEntry = hashOf(ReturnMapping::list({{"a", "b"}}));
    EXPECT_NE(all, single);
    EXPECT_NE(all, emptyList);
    EXPECT_NE(single, emptyList);
    EXPECT_NE(emptyList, oneEntry);
    EXPECT_NE(ReturnMapping::all(), ReturnMapping::list({}));
    EXPECT_EQ(ReturnMapping::list({{"a", "b"}}), ReturnMapping::list({{"a", "b"}}));
    EXPECT_NE(ReturnMapping::list({{"a", "b"}}), ReturnMapping::list({{"b", "a"}}));
}

// Adjacent names cannot run together.
TEST(ArgumentMapping, NamesAreTerminated)
{
    EXPECT_NE(hashOf(ArgumentMapping{"ab", "c"}), hashOf(ArgumentMapping{"a", "bc"}));
    EXPECT_NE(ArgumentMapping({"ab", "c"}), ArgumentMapping({"a", "bc"}));
    EXPECT_EQ(hashOf(ArgumentMapping{"by", "x"}), hashOf(ArgumentMapping{"by", "x"}));
}

TEST(BinaryOperation, DescriptionsUseTheTypographicSigns)
{
    const std::vector<std::pair<BinaryOperation, std::string>> cases{
        {BinaryOperation::add, "+"},          {BinaryOperation::subtract, "-"},
        {BinaryOperation::multiply, "\u00d7"}, {BinaryOperation::divide, "\u00f7"},
        {BinaryOperation::modulo, "%"},       {BinaryOperation::greater, ">"},
        {BinaryOperation::greaterEqual, ">="}, {BinaryOperation::lesser, "<"},
        {BinaryOperation::lesserEqual, "<="}, {BinaryOperation::equality, "=="},
        {BinaryOperation::inequality, "!="},
    };
    for (const auto& [operation, text] : cases)
        EXPECT_EQ(description(operation), text);
}

const Token nameToken = token(TokenType::identifier, "f", 0, 10);
const Token xToken = token(TokenType::identifier, "x", 0, 20);
const Token oneToken = token(TokenType::number, "1", 0, 22, number(1));
// Every root below carries this token, so only the data tells them apart.
const Token rootToken = token(TokenType::plus, "+", 0, 21);

Expression x() { return {ExpressionKind::reference("x"), xToken}; }
Expression one() { return {ExpressionKind::value(number(1)), oneToken}; }
Expression root(ExpressionKind data) { return {std::move(data), rootToken}; }
Expression argument(std::string label, Expression value)
{
    return {ExpressionKind::assignment(std::move(label), std::move(value)), rootToken};
}

// Each builder makes a fresh tree on every call, so two results never share
// a node.
struct TreeCase {
    const char* name;
    std::function<Expression()> build;
};

void PrintTo(const TreeCase& row, std::ostream* out) { *out << row.name; }

std::vector<TreeCase> allTrees()
{
    using K = ExpressionKind;
    return {
        {"reference", [] { return root(K::reference("x")); }},
        {"otherReference", [] { return root(K::reference("y")); }},
        {"value", [] { return root(K::value(number(1))); }},
        {"stringValue", [] { return root(K::value(string("1"))); }},
        {"add", [] { return root(K::binary(BinaryOperation::add, x(), one())); }},
        {"subtract", [] { return root(K::binary(BinaryOperation::subtract, x(), one())); }},
        {"addSwapped", [] { return root(K::binary(BinaryOperation::add, one(), x())); }},
        {"negate", [] { return root(K::unary(UnaryOperation::negate, x())); }},
        {"not", [] { return root(K::unary(UnaryOperation::not_, x())); }},
        {"grouping", [] { return root(K::grouping(x())); }},
        {"nestedGrouping", [] { return root(K::grouping(root(K::grouping(x())))); }},
        {"assignment", [] { return root(K::assignment("x", one())); }},
        {"assignmentOtherName", [] { return root(K::assignment("y", one())); }},
        {"invocation", [] { return root(K::invocation(x(), {argument("", one())})); }},
        {"invocationTwoArguments", [] { return root(K::invocation(x(), {argument("", one()), argument("by", x())})); }},
        {"invocationOtherLabel", [] { return root(K::invocation(x(), {argument("of", one())})); }},
        {"invocationNoArguments", [] { return root(K::invocation(x(), {})); }},
        {"list", [] { return root(K::list({one(), x()})); }},
        {"listReordered", [] { return root(K::list({x(), one()})); }},
        {"emptyList", [] { return root(K::list({})); }},
    };
}

class ExpressionTrees : public testing::TestWithParam<TreeCase> {};

TEST_P(ExpressionTrees, SeparatelyBuiltCopiesAreEqualAndHashAlike)
{
    const auto first = GetParam().build();
    const auto second = GetParam().build();
    EXPECT_EQ(first, second);
    EXPECT_EQ(hashOf(first), hashOf(second));
    const auto copy = first;
    EXPECT_EQ(copy, first);
}

TEST_P(ExpressionTrees, DifferFromEveryOtherTree)
{
    const auto mine = GetParam().build();
    for (const auto& row : allTrees()) {
        if (std::string(row.name) == GetParam().name)
            continue;
        const auto theirs = row.build();
        EXPECT_NE(mine, theirs) << row.name;
        EXPECT_NE(hashOf(mine), hashOf(theirs)) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpressionTrees, testing::ValuesIn(allTrees()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Expression, SameDataWithAnotherTokenDiffers)
{
    const Expression moved{ExpressionKind::reference("x"), token(TokenType::identifier, "x", 1, 20)};
    EXPECT_NE(x(), moved);
    EXPECT_NE(hashOf(x()), hashOf(moved));
}

// A value that never equals anything keeps a value expression unequal to a
// separately built twin; the very same node is still equal to itself.
TEST(Expression, ListLiteralsNeverEqualUnlessShared)
{
    const auto build = [] { return root(ExpressionKind::value(List({number(1)}))); };
    const auto first = build();
    EXPECT_NE(first, build());
    const auto copy = first;
    EXPECT_EQ(copy, first);
}

Statement function(std::vector<ArgumentMapping> arguments, ReturnMapping returns, std::vector<Expression> body,
                   Token name = nameToken)
{
    return Statement::function(std::move(name), std::move(arguments), std::move(returns), std::move(body));
}

TEST(Statement, FunctionsCompareEveryPart)
{
    const auto base = [] { return function({{"by", "x"}}, ReturnMapping::singleValue(), {x()}); };
    EXPECT_EQ(base(), base());
    EXPECT_EQ(hashOf(base()), hashOf(base()));

    const std::vector<std::pair<const char*, Statement>> variants{
        {"emptyBody", function({{"by", "x"}}, ReturnMapping::singleValue(), {})},
        {"twoBodyExpressions", function({{"by", "x"}}, ReturnMapping::singleValue(), {x(), x()})},
        {"swappedNames", function({{"x", "by"}}, ReturnMapping::singleValue(), {x()})},
        {"noArguments", function({}, ReturnMapping::singleValue(), {x()})},
        {"returnsAll", function({{"by", "x"}}, ReturnMapping::all(), {x()})},
        {"returnsEmptyList", function({{"by", "x"}}, ReturnMapping::list({}), {x()})},
        {"nameOnAnotherLine", function({{"by", "x"}}, ReturnMapping::singleValue(), {x()},
                                       token(TokenType::identifier, "f", 1, 10))},
        {"expressionStatement", Statement::expression(x())},
    };
    for (const auto& [name, variant] : variants) {
        EXPECT_NE(base(), variant) << name;
        EXPECT_NE(hashOf(base()), hashOf(variant)) << name;
    }
}

TEST(Statement, EmptyAndOneExpressionBodiesHashApart)
{
    const auto empty = function({}, ReturnMapping::all(), {});
    const auto oneExpression = function({}, ReturnMapping::all(), {one()});
    EXPECT_NE(hashOf(empty), hashOf(oneExpression));
}

TEST(Statement, TokenPlacesTheStatement)
{
    EXPECT_EQ(function({}, ReturnMapping::all(), {}).token(), nameToken);
    EXPECT_EQ(Statement::expression(x()).token(), xToken);
}

} // namespace
} // namespace engine
