#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"
#include "frontend/SyntaxTree.h"

namespace engine {
namespace {

template <typename T>
std::uint64_t hashOf(const T& value)
{
    return Hasher::single([&](Hasher& hasher) { value.hash(hasher); });
}

Token token(TokenType type, std::string lexeme, std::int32_t line, std::int32_t column,
            std::optional<ValueUnion> literal = std::nullopt)
{
    return Token{type, std::move(lexeme), std::move(literal), line, column};
}

ValueUnion number(std::int64_t numerator, std::int64_t denominator = 1, Units units = {})
{
    return Number(numerator, denominator, std::move(units));
}

ValueUnion string(std::string text) { return EString(std::move(text)); }

// Equal tokens must hash alike; unequal ones that differ in a hashed field
// must (almost surely) not.
TEST(Token, EqualityComparesAllFiveFieldsAndHashingAgrees)
{
    struct Pair {
        const char* name;
        Token left;
        Token right;
        bool equal;
        bool sameHash;
    };
    const Pair pairs[] = {
        {"identical", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 0, 1), true, true},
        {"otherLine", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 1, 1), false, false},
        {"otherColumn", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "x", 0, 2), false, false},
        {"otherLexeme", token(TokenType::identifier, "x", 0, 1), token(TokenType::identifier, "y", 0, 1), false, false},
        {"otherType", token(TokenType::newline, ";", 0, 1), token(TokenType::identifier, ";", 0, 1), false, false},
        {"literalAbsentAndPresent", token(TokenType::number, "1", 0, 1), token(TokenType::number, "1", 0, 1, number(1)),
         false, false},
        {"equalLiterals", token(TokenType::number, "0.5", 0, 3, number(1, 2)),
         token(TokenType::number, "0.5", 0, 3, number(1, 2)), true, true},
        {"otherLiteral", token(TokenType::number, "1", 0, 1, number(1)), token(TokenType::number, "1", 0, 1, number(2)),
         false, false},
        {"numberAndStringLiteral", token(TokenType::string, "1", 0, 1, number(1)),
         token(TokenType::string, "1", 0, 1, string("1")), false, false},
        // Canonically equivalent literals are equal and hash alike.
        {"canonicalStringLiterals", token(TokenType::string, "\"s\"", 0, 3, string("\u00e9")),
         token(TokenType::string, "\"s\"", 0, 3, string("e\u0301")), true, true},
        // Number equality ignores units, the hash does not.
        {"literalUnitsIgnoredByEquality", token(TokenType::number, "5", 0, 1, number(5, 1, {{"m", 1}})),
         token(TokenType::number, "5", 0, 1, number(5)), true, false},
    };
    for (const Pair& pair : pairs) {
        SCOPED_TRACE(pair.name);
        EXPECT_EQ(pair.left == pair.right, pair.equal);
        EXPECT_EQ(pair.right == pair.left, pair.equal);
        EXPECT_EQ(hashOf(pair.left) == hashOf(pair.right), pair.sameHash);
    }
}

// A statement hashed for a key that also feeds `tokens`: its tokens there
// as their indices, any others by their contents.
std::uint64_t keyHashOf(const Statement& statement, std::span<const Token> tokens)
{
    return Hasher::single([&](Hasher& hasher) { statement.hash(hasher, tokens); });
}

TEST(Statement, KeyHashingFeedsTokensOfTheListAsIndices)
{
    const auto source = std::string("a\nb + c");
    const auto tokens = std::make_shared<const std::vector<Token>>(Lexer::lex(source));
    const auto twin = std::make_shared<const std::vector<Token>>(*tokens);
    const auto statements = Parser::parse(tokens);
    const auto twinStatements = Parser::parse(twin);
    ASSERT_EQ(statements.size(), 2u);
    const Statement& sum = statements[1];
    const Statement& twinSum = twinStatements[1];
    // Equal lists give equal keys, each tree against its own list.
    EXPECT_EQ(keyHashOf(sum, *tokens), keyHashOf(twinSum, *twin));
    // Against another list, every token is fed by its contents, which an
    // equal list has too, but those do not read as indices.
    EXPECT_EQ(keyHashOf(sum, *twin), keyHashOf(twinSum, *tokens));
    EXPECT_EQ(keyHashOf(sum, *twin), keyHashOf(sum, {}));
    EXPECT_NE(keyHashOf(sum, *tokens), keyHashOf(sum, {}));
    // The sum's tokens are 2 to 4: a list ending before "b" holds none of
    // them, one more token holds "b".
    const std::span<const Token> all(*tokens);
    EXPECT_EQ(keyHashOf(sum, all.first(2)), keyHashOf(sum, {}));
    EXPECT_NE(keyHashOf(sum, all.first(3)), keyHashOf(sum, {}));
    EXPECT_NE(keyHashOf(sum, all.first(3)), keyHashOf(sum, all));
    // Statements alike but for their tokens' places differ.
    const auto repeated = std::make_shared<const std::vector<Token>>(Lexer::lex("b + c\nb + c"));
    const auto both = Parser::parse(repeated);
    EXPECT_NE(keyHashOf(both[0], *repeated), keyHashOf(both[1], *repeated));
}

// Each builder makes a fresh value on every call, so two results never share
// a node. Each must equal and hash like its twin, and differ from every other.
template <typename T>
void expectPairwiseDistinct(const std::vector<std::pair<const char*, std::function<T()>>>& builders)
{
    for (const auto& [mine, buildMine] : builders) {
        for (const auto& [theirs, buildTheirs] : builders) {
            SCOPED_TRACE(std::string(mine) + " against " + theirs);
            const bool twins = std::string(mine) == theirs;
            EXPECT_EQ(buildMine() == buildTheirs(), twins);
            EXPECT_EQ(hashOf(buildMine()) == hashOf(buildTheirs()), twins);
        }
    }
}

const Token nameToken = token(TokenType::identifier, "f", 0, 10);
const Token xToken = token(TokenType::identifier, "x", 0, 20);
// Every root below carries this token, so only the data tells them apart.
const Token rootToken = token(TokenType::plus, "+", 0, 21);

const Token oneToken = token(TokenType::number, "1", 0, 22, number(1));

Expression x() { return {ExpressionKind::reference("x"), &xToken}; }
Expression one() { return {ExpressionKind::value(number(1)), &oneToken}; }
Expression root(ExpressionKind data) { return {std::move(data), &rootToken}; }
Expression argument(std::string label, Expression value)
{
    return {ExpressionKind::assignment(std::move(label), std::move(value)), &rootToken};
}

TEST(Expression, EqualityAndHashingSeeEveryPart)
{
    using K = ExpressionKind;
    expectPairwiseDistinct<Expression>({
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
    });
    const Token movedToken = token(TokenType::identifier, "x", 1, 20);
    const Expression moved{ExpressionKind::reference("x"), &movedToken};
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

// A parsed literal shares its token's value and a parsed name is a Lexeme
// (on the heap when long); the same tree built by hand must compare and hash
// alike in both forms. Each builder gets the parsed expression for its tokens.
TEST(Expression, ParsedAndHandBuiltNodesCompareAndHashAlike)
{
    using K = ExpressionKind;
    const std::string longName = "aNameTooLongToSitInline";
    const std::vector<std::pair<std::string, std::function<Expression(const Expression&)>>> rows{
        {"5", [](const Expression& parsed) { return Expression{K::value(number(5)), parsed.token}; }},
        {"\"text\"", [](const Expression& parsed) { return Expression{K::value(string("text")), parsed.token}; }},
        {"x", [](const Expression& parsed) { return Expression{K::reference("x"), parsed.token}; }},
        {longName, [&](const Expression& parsed) { return Expression{K::reference(longName), parsed.token}; }},
        {longName + " = 2 / 3",
         [&](const Expression& parsed) {
             const auto& division = parsed.data.as<K::Assignment>()->value;
             const auto& operands = *division.data.as<K::Binary>();
             const Expression two{K::value(number(2)), operands.left.token};
             const Expression three{K::value(number(3)), operands.right.token};
             const Expression quotient{K::binary(BinaryOperation::divide, two, three), division.token};
             return Expression{K::assignment(longName, quotient), parsed.token};
         }},
    };
    for (const auto& [source, build] : rows) {
        SCOPED_TRACE(source);
        const auto tokens = std::make_shared<const std::vector<Token>>(Lexer::lex(source));
        const auto statements = Parser::parse(tokens);
        ASSERT_EQ(statements.size(), 1u);
        const Statement& parsed = statements[0];
        const Statement built = Statement::expression(build(*parsed.asExpression()));
        EXPECT_EQ(parsed, built);
        EXPECT_EQ(built, parsed);
        EXPECT_EQ(hashOf(parsed), hashOf(built));
        EXPECT_EQ(keyHashOf(parsed, *tokens), keyHashOf(built, *tokens));
        EXPECT_EQ(keyHashOf(parsed, {}), keyHashOf(built, {}));
        if (const auto* literal = parsed.asExpression()->data.as<K::Value>()) {
            EXPECT_EQ(&literal->value(), &*parsed.token().literal) << "a parsed literal shares its token's value";
        }
    }
    // A long name that differs in its last byte only is another name.
    const Expression longer{K::reference(longName + "s"), &xToken};
    EXPECT_NE(longer, (Expression{K::reference(longName), &xToken}));
    EXPECT_NE(hashOf(longer), hashOf(Expression{K::reference(longName), &xToken}));
}

Statement function(std::vector<ArgumentMapping> arguments, ReturnMapping returns, std::vector<Expression> body,
                   Token name = nameToken)
{
    return Statement::function(std::move(name), std::move(arguments), std::move(returns), std::move(body));
}

TEST(Statement, FunctionsCompareAndHashEveryPart)
{
    using R = ReturnMapping;
    expectPairwiseDistinct<Statement>({
        {"base", [] { return function({{"by", "x"}}, R::singleValue(), {x()}); }},
        {"emptyBody", [] { return function({{"by", "x"}}, R::singleValue(), {}); }},
        {"twoBodyExpressions", [] { return function({{"by", "x"}}, R::singleValue(), {x(), x()}); }},
        {"swappedNames", [] { return function({{"x", "by"}}, R::singleValue(), {x()}); }},
        // Adjacent names cannot run together.
        {"namesSplitElsewhere", [] { return function({{"b", "yx"}}, R::singleValue(), {x()}); }},
        {"noArguments", [] { return function({}, R::singleValue(), {x()}); }},
        {"returnsAll", [] { return function({{"by", "x"}}, R::all(), {x()}); }},
        {"returnsEmptyList", [] { return function({{"by", "x"}}, R::list({}), {x()}); }},
        {"returnsList", [] { return function({{"by", "x"}}, R::list({{"a", "b"}}), {x()}); }},
        {"returnsSwappedList", [] { return function({{"by", "x"}}, R::list({{"b", "a"}}), {x()}); }},
        {"nameOnAnotherLine",
         [] { return function({{"by", "x"}}, R::singleValue(), {x()}, token(TokenType::identifier, "f", 1, 10)); }},
        {"expressionStatement", [] { return Statement::expression(x()); }},
    });
    EXPECT_EQ(function({}, R::all(), {}).token(), nameToken);
}

} // namespace
} // namespace engine
