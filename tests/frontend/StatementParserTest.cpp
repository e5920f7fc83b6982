#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ParserTestSupport.h"

namespace engine::test {
namespace {

std::string mappingsText(const std::vector<ArgumentMapping>& mappings)
{
    std::string text;
    for (const ArgumentMapping& mapping : mappings)
        text += (text.empty() ? "" : ", ") + mapping.outerName + "/" + mapping.innerName;
    return text;
}

// A function statement as "name (arguments) returns {body}".
std::string functionOf(std::string_view source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    if (statements.size() != 1 || !statements[0].asFunction())
        return "not one function statement";
    const FunctionDefinition& definition = *statements[0].asFunction();
    const UserFunction& function = *definition.function;
    std::string text = definition.name.lexeme + " (" + mappingsText(function.argumentMappings) + ") ";
    switch (function.returnMapping.kind()) {
    case ReturnMapping::Kind::all:
        text += "all";
        break;
    case ReturnMapping::Kind::singleValue:
        text += "single";
        break;
    case ReturnMapping::Kind::list:
        text += "list(" + mappingsText(function.returnMapping.mappings()) + ")";
        break;
    }
    text += " {";
    for (std::size_t i = 0; i < function.body.size(); ++i)
        text += (i ? " " : "") + ASTWriter::writeExpression(function.body[i]);
    return text + "}";
}

struct SourceCase {
    std::string source;
    std::string expected;
};

void PrintTo(const SourceCase& sourceCase, std::ostream* out) { *out << testing::PrintToString(sourceCase.source); }

class FunctionDefinitions : public testing::TestWithParam<SourceCase> {};

TEST_P(FunctionDefinitions, Parse) { EXPECT_EQ(functionOf(GetParam().source), GetParam().expected); }

const SourceCase returnParts[] = {
    {"function f = (x) { x * 2 }", "f (x/x) single {(× x 2/1)}"},
    {"function k = () { 1 }", "k () single {1/1}"},
    // One body expression always returns its value, whatever was written.
    {"function g = (over xs, by) -> (total t) { t = xs * by }", "g (over/xs, by/by) single {(t = (× xs by))}"},
    {"function k = (a) -> * { a }", "k (a/a) single {a}"},
    {"function h = (a) -> * { b = a\n c = 2 }", "h (a/a) all {(b = a) (c = 2/1)}"},
    {"function h = (a) -> (*) { b = a; c = 2 }", "h (a/a) all {(b = a) (c = 2/1)}"},
    {"function h = (a) -> (b, c) { b = a\n c = 2 }", "h (a/a) list(b/b, c/c) {(b = a) (c = 2/1)}"},
    {"function h = (a) -> (\n total t,\n c\n) { b = a c = 2 }", "h (a/a) list(total/t, c/c) {(b = a) (c = 2/1)}"},
    {"function h = (a) { b = a c = 2 }", "h (a/a) single {(b = a) (c = 2/1)}"},
};
INSTANTIATE_TEST_SUITE_P(ReturnParts, FunctionDefinitions, testing::ValuesIn(returnParts));

const SourceCase layouts[] = {
    {"function k = (\n  a,\n  b\n) { a }", "k (a/a, b/b) single {a}"},
    {"function k = (a,\nof b) {\n  a\n\n  b\n}", "k (a/a, of/b) single {a b}"},
    {"\n\nfunction f = (x) {x}\n", "f (x/x) single {x}"},
};
INSTANTIATE_TEST_SUITE_P(Layout, FunctionDefinitions, testing::ValuesIn(layouts));

TEST(FunctionDefinitions, NameTokenAndStatementText)
{
    const auto statements = Parser::parse(Lexer::lex("function f = (x) { x }"));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_EQ(ASTWriter::write(statements[0]),
              "function 'Token(type: identifier, lexeme: \"f\", literal: nil, sourceLine: 0, sourceColumn: 10)' "
              "definition");
}

// The first error's message and token index, written "message @ index".
std::string firstErrorOf(std::string_view source)
{
    const auto errors = errorsOf(source);
    if (errors.empty())
        return "no error";
    return errors[0].message + " @ " + std::to_string(errors[0].tokenPosition);
}

class FunctionErrors : public testing::TestWithParam<SourceCase> {};

TEST_P(FunctionErrors, FirstError) { EXPECT_EQ(firstErrorOf(GetParam().source), GetParam().expected); }

const SourceCase functionErrors[] = {
    {"function = (x) { x }", "Identifier must follow 'function' keyword @ 1"},
    {"function", "Identifier must follow 'function' keyword @ 1"},
    {"function f (x) { x }", "'=' must be used for function definition @ 2"},
    {"function f: (x) { x }", "'=' must be used for function definition @ 2"},
    {"function f = x { x }", "Argument mappings in function definitions must be wrapped in parentheses @ 3"},
    {"function f = (x,) { x }", "Expected identifier @ 6"},
    {"function f = (1) { x }", "Expected identifier @ 4"},
    {"function f = (x y z) { x }", "Missing ')' after argument mappings @ 6"},
    {"function f = (x) -> y { x }", "Expected '(' to group return mappings @ 7"},
    {"function f = (x)\n-> (y) { x }", "Function body must be wrapped in curly braces @ 6"},
    {"function f = (x) -> (y { x }", "Expected ')' to close return mappings @ 9"},
    {"function f = (x) -> (* y) { x }", "Expected ')' to close return mappings @ 9"},
    {"function f = (x) -> () { x }", "Expected identifier @ 8"},
    {"function f = (x) x", "Function body must be wrapped in curly braces @ 6"},
    // No newline may stand between the parameters and the body.
    {"function f = (x)\n{ x }", "Function body must be wrapped in curly braces @ 6"},
    // The body asks for another expression before it looks for "}".
    {"function f = (x) { }", "expected primary but found none @ 7"},
    {"function f = (x) { x", "expected primary but found none @ 8"},
    {"function f = (x) { x ]", "expected primary but found none @ 8"},
};
INSTANTIATE_TEST_SUITE_P(Messages, FunctionErrors, testing::ValuesIn(functionErrors));

struct RecoveryCase {
    std::string source;
    std::vector<FoundError> errors;
};

void PrintTo(const RecoveryCase& recoveryCase, std::ostream* out)
{
    *out << testing::PrintToString(recoveryCase.source);
}

class Recovery : public testing::TestWithParam<RecoveryCase> {};

TEST_P(Recovery, SkipsOneTokenPerError) { EXPECT_EQ(errorsOf(GetParam().source), GetParam().errors); }

const RecoveryCase documents[] = {
    {"x = 1 2", {{"Expected newline", 3}}},
    // After the "2" is skipped, "3" parses as a statement of its own.
    {"1 2 3", {{"Expected newline", 1}}},
    {"1 2 3 4", {{"Expected newline", 1}, {"Expected newline", 3}}},
    {") ) )",
     {{"expected primary but found none", 0},
      {"expected primary but found none", 1},
      {"expected primary but found none", 2}}},
    {"1 +\n2", {{"expected primary but found none", 2}}},
    {"a = 1\n3 = b\nc = 2\n_ = 4", {{"Can't assign to that expression", 7}, {"Can't assign to '_'", 15}}},
    // The bad definition is abandoned at "(" and the rest read as statements.
    {"function f (x) { x }", {{"'=' must be used for function definition", 2}, {"Expected newline", 4}}},
    {"function f = (x) { }\n1", {{"expected primary but found none", 7}}},
    {"1 + 2 ;; 3 * 4 ; ]", {{"expected primary but found none", 9}}},
};
INSTANTIATE_TEST_SUITE_P(Documents, Recovery, testing::ValuesIn(documents));

struct CountCase {
    std::string source;
    std::size_t statements;
};

void PrintTo(const CountCase& countCase, std::ostream* out) { *out << testing::PrintToString(countCase.source); }

class StatementLoop : public testing::TestWithParam<CountCase> {};

TEST_P(StatementLoop, Counts) { EXPECT_EQ(Parser::parse(Lexer::lex(GetParam().source)).size(), GetParam().statements); }

const CountCase separators[] = {
    {"", 0},
    {"\n\n", 0},
    {";;\n;", 0},
    {"# only a comment", 0},
    {"1; 2", 2},
    {"1\n2", 2},
    {"1\r\n2", 2},
    {"1\n\n;2;", 2},
    {"function f = (x) { x }; f(1)", 2},
    {"x = [\n1\n2\n]\ny = {\na = 1\n}", 2},
};
INSTANTIATE_TEST_SUITE_P(Separators, StatementLoop, testing::ValuesIn(separators));

TEST(StatementLoop, SeparatorsDoNotChangeTheStatements)
{
    const auto semicolon = Parser::parse(Lexer::lex("1; 2"));
    const auto lineFeed = Parser::parse(Lexer::lex("1\n2"));
    ASSERT_EQ(semicolon.size(), 2u);
    ASSERT_EQ(lineFeed.size(), 2u);
    EXPECT_EQ(semicolon[0], lineFeed[0]);
    // The second "2" is on another line, so its statement differs.
    EXPECT_NE(semicolon[1], lineFeed[1]);
    EXPECT_EQ(ASTWriter::write(semicolon[1]), ASTWriter::write(lineFeed[1]));
}

TEST(StatementLoop, ToleratesTokenArraysWithoutEof)
{
    const Token one{TokenType::number, "1", ValueUnion(Number(1, 1)), 0, 1};
    const Token plus{TokenType::plus, "+", std::nullopt, 0, 3};
    const Token function{TokenType::function, "function", std::nullopt, 0, 8};
    EXPECT_TRUE(Parser::parse({}).empty());
    EXPECT_EQ(Parser::parse({one}).size(), 1u);
    EXPECT_EQ(errorsOf({one, plus}), (std::vector<FoundError>{{"expected primary but found none", 2}}));
    EXPECT_EQ(errorsOf({plus}), (std::vector<FoundError>{{"expected primary but found none", 0}}));
    EXPECT_EQ(errorsOf({function}), (std::vector<FoundError>{{"Identifier must follow 'function' keyword", 1}}));
}

TEST(StatementLoop, StopsAtTheFirstEof)
{
    const Token one{TokenType::number, "1", ValueUnion(Number(1, 1)), 0, 1};
    const Token eof{TokenType::eof, "", std::nullopt, 0, 1};
    const Token close{TokenType::rightParen, ")", std::nullopt, 0, 2};
    EXPECT_EQ(Parser::parse({one, eof, close, eof}).size(), 1u);
}

} // namespace
} // namespace engine::test
