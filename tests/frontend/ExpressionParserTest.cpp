#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParserTestSupport.h"

namespace engine::test {
namespace {

struct TreeCase {
    std::string source;
    std::string tree;
};

void PrintTo(const TreeCase& treeCase, std::ostream* out) { *out << testing::PrintToString(treeCase.source); }

class ExpressionTree : public testing::TestWithParam<TreeCase> {};

TEST_P(ExpressionTree, WritesAsExpected) { EXPECT_EQ(treeOf(GetParam().source), GetParam().tree); }

const TreeCase precedence[] = {
    {"1 + 2 * 3", "(+ 1/1 (× 2/1 3/1))"},
    {"(1 + 2) * 3", "(× (+ 1/1 2/1) 3/1)"},
    {"1 * 2 + 3", "(+ (× 1/1 2/1) 3/1)"},
    {"1 - 2 % 3", "(- 1/1 (% 2/1 3/1))"},
    {"1 + 2 < 3 * 4 == x", "(== (< (+ 1/1 2/1) (× 3/1 4/1)) x)"},
    {"a != b > c", "(!= a (> b c))"},
    {"-2 * 3", "(× -2/1 3/1)"},
    {"-f(1)", "-&f/1"},
    {"!a == b", "(== !a b)"},
    {"x = 1 + 2", "(x = (+ 1/1 2/1))"},
    {"x = a == b", "(x = (== a b))"},
};
INSTANTIATE_TEST_SUITE_P(Precedence, ExpressionTree, testing::ValuesIn(precedence));

const TreeCase associativity[] = {
    {"8 - 2 - 1", "(- (- 8/1 2/1) 1/1)"},
    {"8 / 4 / 2", "(÷ (÷ 8/1 4/1) 2/1)"},
    {"2 * 3 % 4", "(% (× 2/1 3/1) 4/1)"},
    {"a == b != c", "(!= (== a b) c)"},
    {"1 < 2 < 3", "(< (< 1/1 2/1) 3/1)"},
    {"a >= b <= c > d", "(> (<= (>= a b) c) d)"},
    {"!!x", "!!x"},
    {"- - x", "--x"},
    {"-!-x", "-!-x"},
    {"x = y = 2", "(x = (y = 2/1))"},
    {"x: y = 2", "(x = (y = 2/1))"},
    {"x: 2", "(x = 2/1)"},
};
INSTANTIATE_TEST_SUITE_P(Associativity, ExpressionTree, testing::ValuesIn(associativity));

const TreeCase units[] = {
    {"5 km", "(× 5/1 km)"},
    {"5km", "(× 5/1 km)"},
    {"5 km * 2", "(× (× 5/1 km) 2/1)"},
    {"0.5 kg", "(× 1/2 kg)"},
    {"2 m / 4 s", "(÷ (× 2/1 m) (× 4/1 s))"},
    {"(1 + 2) m", "(× (+ 1/1 2/1) m)"},
    {"(x)m", "(× x m)"},
    {"-3 m", "-(× 3/1 m)"},
    {"x = 5 km", "(x = (× 5/1 km))"},
};
INSTANTIATE_TEST_SUITE_P(Units, ExpressionTree, testing::ValuesIn(units));

const TreeCase literals[] = {
    {"\"a\"", "\"a\""},
    {"x = \"a\"", "(x = \"a\")"},
    {"0.25", "1/4"},
    {"[]", "[]"},
    // Commas and newlines are optional separators, repeated or trailing.
    {"[1, 2]", "[(1/1);(2/1)]"},
    {"[1 2]", "[(1/1);(2/1)]"},
    {"[1,, 2,]", "[(1/1);(2/1)]"},
    {"[,1\n2\n]", "[(1/1);(2/1)]"},
    {"[\n  1,\n  2\n]", "[(1/1);(2/1)]"},
    {"[1 + 2, -x]", "[((+ 1/1 2/1));(-x)]"},
    {"[[1], [2 3], []]", "[([(1/1)]);([(2/1);(3/1)]);([])]"},
    {"[1 2](0)", "&[(1/1);(2/1)]/1"},
    // The call of an anonymous function returning every name it binds.
    {"{a = 1}", "&func()->(*)/0"},
};
INSTANTIATE_TEST_SUITE_P(Literals, ExpressionTree, testing::ValuesIn(literals));

const TreeCase calls[] = {
    {"f(2, by: 3)", "&f/2"},
    {"f()", "&f/0"},
    {"f(a: 1)(b: 2)", "&&f/1/1"},
    {"f(\n  2,\n  by: 3\n)", "&f/2"},
    {"x = f(1) * 2", "(x = (× &f/1 2/1))"},
    {"(f)(1)", "&f/1"},
};
INSTANTIATE_TEST_SUITE_P(Calls, ExpressionTree, testing::ValuesIn(calls));

// Which token each kind of node carries: the statement's token, by lexeme and
// column.
struct TokenCase {
    std::string source;
    std::string lexeme;
    std::int64_t column;
};

void PrintTo(const TokenCase& tokenCase, std::ostream* out) { *out << testing::PrintToString(tokenCase.source); }

class NodeToken : public testing::TestWithParam<TokenCase> {};

TEST_P(NodeToken, IsTheDocumentedOne)
{
    const auto statements = Parser::parse(Lexer::lex(GetParam().source));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(statements[0].token().lexeme, GetParam().lexeme);
    EXPECT_EQ(statements[0].token().sourceColumn, GetParam().column);
}

const TokenCase nodeTokens[] = {
    {"1 + 2", "+", 3},
    {"a == b", "==", 4},
    {"-x", "-", 1},
    {"5 km", "km", 4},
    {"a", "a", 1},
    {"\"s\"", "\"s\"", 3},
    // An assignment carries the last token of its value.
    {"x = 1 + 2", "2", 9},
    {"x = (1)", ")", 7},
    {"x = f(a: 1)", ")", 11},
    {"f(a: 1)", ")", 7},
    {"(1 + 2) m", "(", 1},
    {"[1]", "[", 1},
    {"{a = 1}", "{", 1},
};
INSTANTIATE_TEST_SUITE_P(Kinds, NodeToken, testing::ValuesIn(nodeTokens));

TEST(UnitAfterNumber, ReferenceAndProductCarryTheUnitToken)
{
    const auto statements = Parser::parse(Lexer::lex("5 km"));
    const auto* product = statements.at(0).asExpression()->data.as<ExpressionKind::Binary>();
    ASSERT_NE(product, nullptr);
    EXPECT_EQ(product->right.token.lexeme, "km");
    EXPECT_EQ(product->left.token.lexeme, "5");
}

TEST(UnitAfterNumber, StringTakesNoUnit)
{
    // The name stays unconsumed, and the statement loop rejects it.
    EXPECT_EQ(errorsOf("\"a\" b"), (std::vector<FoundError>{{"Expected newline", 1}}));
}

// Every argument of the statement's call, written out.
std::string argumentsOf(std::string_view source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    const auto* call = statements.at(0).asExpression()->data.as<ExpressionKind::Invocation>();
    if (!call)
        return "not a call";
    std::string text;
    for (const Expression& argument : call->arguments)
        text += (text.empty() ? "" : " ") + ASTWriter::writeExpression(argument);
    return text;
}

class CallArguments : public testing::TestWithParam<TreeCase> {};

TEST_P(CallArguments, AreLabelledAssignments) { EXPECT_EQ(argumentsOf(GetParam().source), GetParam().tree); }

const TreeCase labels[] = {
    {"f(2, by: 3)", "(_ = 2/1) (by = 3/1)"},
    {"f(by: 3, of: 2)", "(by = 3/1) (of = 2/1)"},
    {"f(x = 1)", "(x = 1/1)"},
    {"f()", ""},
    {"f(g(1))", "(_ = &g/1)"},
    {"f(\n2,\nby: 3\n)", "(_ = 2/1) (by = 3/1)"},
    {"f(a == b, c: d = 1)", "(_ = (== a b)) (c = (d = 1/1))"},
};
INSTANTIATE_TEST_SUITE_P(Labels, CallArguments, testing::ValuesIn(labels));

TEST(CallArguments, UnlabelledArgumentCarriesItsOwnToken)
{
    const auto statements = Parser::parse(Lexer::lex("f(1 + 2)"));
    const auto* call = statements.at(0).asExpression()->data.as<ExpressionKind::Invocation>();
    ASSERT_NE(call, nullptr);
    ASSERT_EQ(call->arguments.size(), 1u);
    EXPECT_EQ(call->arguments[0].token.lexeme, "+");
    EXPECT_EQ(call->arguments[0].token, call->arguments[0].data.as<ExpressionKind::Assignment>()->value.token);
}

// The body of the anonymous function a table literal calls, written out.
std::string tableBodyOf(std::string_view source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    const Expression& literal = *statements.at(0).asExpression();
    const auto* call = literal.data.as<ExpressionKind::Invocation>();
    if (!call || !call->arguments.empty())
        return "not a call without arguments";
    const auto* callee = call->callee.data.as<ExpressionKind::Value>();
    if (!callee || callee->value.kind() != ValueUnion::Kind::callable)
        return "callee is not a callable value";
    const UserFunction* function = callee->value.as<Callable>()->userDefined();
    if (!function || !function->argumentMappings.empty() || function->returnMapping != ReturnMapping::all())
        return "not an anonymous function returning all";
    if (call->callee.token.lexeme != "{" || literal.token.lexeme != "{")
        return "not carrying the brace";
    std::string text;
    for (const Expression& entry : function->body)
        text += (text.empty() ? "" : " ") + ASTWriter::writeExpression(entry);
    return text;
}

class TableLiteral : public testing::TestWithParam<TreeCase> {};

TEST_P(TableLiteral, IsTheCallOfAnAnonymousFunction) { EXPECT_EQ(tableBodyOf(GetParam().source), GetParam().tree); }

const TreeCase tables[] = {
    {"{a = 1, b: 2}", "(a = 1/1) (b = 2/1)"},
    {"{a = x b: 2}", "(a = x) (b = 2/1)"},
    {"{a = 1,, b: 2,}", "(a = 1/1) (b = 2/1)"},
    {"{\n  a = 1\n  b = 2\n}", "(a = 1/1) (b = 2/1)"},
    {"{x}", "x"},
    {"{a = [1]}", "(a = [(1/1)])"},
};
INSTANTIATE_TEST_SUITE_P(Spellings, TableLiteral, testing::ValuesIn(tables));

TEST(ListLiteral, SpellingsGiveEqualTrees)
{
    // Equal element trees; the tokens differ only in their columns.
    const auto commas = Parser::parse(Lexer::lex("[1, 2]"));
    const auto blanks = Parser::parse(Lexer::lex("[1 2]"));
    const auto* a = commas.at(0).asExpression()->data.as<ExpressionKind::List>();
    const auto* b = blanks.at(0).asExpression()->data.as<ExpressionKind::List>();
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->elements.size(), 2u);
    ASSERT_EQ(b->elements.size(), 2u);
    EXPECT_EQ(a->elements[0], b->elements[0]);
    EXPECT_NE(a->elements[1], b->elements[1]) << "the second 2 stands in another column";
    EXPECT_EQ(a->elements[1].data, b->elements[1].data);
}

struct ErrorCase {
    std::string source;
    std::vector<FoundError> errors;
};

void PrintTo(const ErrorCase& errorCase, std::ostream* out) { *out << testing::PrintToString(errorCase.source); }

class ExpressionErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ExpressionErrors, AreReportedAtTheOffendingToken) { EXPECT_EQ(errorsOf(GetParam().source), GetParam().errors); }

const ErrorCase assignmentErrors[] = {
    // Raised once the value is parsed, at the token after it.
    {"3 = x", {{"Can't assign to that expression", 3}}},
    {"(x) = 1", {{"Can't assign to that expression", 5}}},
    {"f(a: 1) = 2", {{"Can't assign to that expression", 8}}},
    {"a = 1 = 2", {{"Can't assign to that expression", 5}}},
    {"_ = 1", {{"Can't assign to '_'", 3}}},
    {"_: 1", {{"Can't assign to '_'", 3}}},
    {"f(_: 1)", {{"Can't assign to '_'", 5}}},
    // The second "=" has no value before it; "1" then parses alone.
    {"x = = 1", {{"expected primary but found none", 2}}},
};
INSTANTIATE_TEST_SUITE_P(Assignments, ExpressionErrors, testing::ValuesIn(assignmentErrors));

const ErrorCase callErrors[] = {
    {"f(by: 3, 2)", {{"Only assignments allowed", 7}}},
    {"f(1, 2)", {{"Only assignments allowed", 5}}},
    {"f(x: 1", {{"Expect ')' after invocation arguments", 5}}},
    {"f(", {{"expected primary but found none", 2}}},
    // The argument list ends at the line feed; "2" is not a ")".
    {"f(1\n2)", {{"Expect ')' after invocation arguments", 4}, {"expected primary but found none", 5}}},
};
INSTANTIATE_TEST_SUITE_P(Calls, ExpressionErrors, testing::ValuesIn(callErrors));

const ErrorCase primaryErrors[] = {
    {"1 + * 2", {{"expected primary but found none", 2}}},
    {"1 +", {{"expected primary but found none", 2}}},
    {")", {{"expected primary but found none", 0}}},
    {"(1 + 2", {{"Expected ')' but didn't find it.", 4}}},
    {"(1 2)", {{"Expected ')' but didn't find it.", 2}, {"expected primary but found none", 3}}},
    {"{}", {{"expected primary but found none", 1}}},
    {"{a = 1", {{"expected primary but found none", 4}}},
    // A name after a number is its unit, so this is a = (1 b = 2).
    {"{a = 1 b = 2}", {{"Can't assign to that expression", 7}}},
    // A list element cannot be an assignment.
    {"[a = 1]", {{"expected primary but found none", 2}, {"Expected newline", 4}}},
    {"[1, 2", {{"expected primary but found none", 4}}},
};
INSTANTIATE_TEST_SUITE_P(Primaries, ExpressionErrors, testing::ValuesIn(primaryErrors));

TEST(ExpressionErrors, LiteralTokenWithoutLiteral)
{
    const std::vector<Token> tokens{
        {TokenType::number, "1", std::nullopt, 0, 1},
        {TokenType::eof, "1", std::nullopt, 0, 1},
    };
    EXPECT_EQ(errorsOf(tokens), (std::vector<FoundError>{{"found a number or string but it had no literal", 1}}));
}

} // namespace
} // namespace engine::test
