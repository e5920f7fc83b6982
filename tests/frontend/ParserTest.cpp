#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"

namespace engine::test {
namespace {

TEST(Parser, Trees)
{
    expectEach(treeOf, {
        // Precedence, lowest first: assignment, equality, comparison, terms, factors, unary, call.
        {"1 + 2 * 3", "(+ 1/1 (× 2/1 3/1))"},
        {"(1 + 2) * 3", "(× (+ 1/1 2/1) 3/1)"},
        {"1 - 2 % 3", "(- 1/1 (% 2/1 3/1))"},
        {"1 + 2 < 3 * 4 == x", "(== (< (+ 1/1 2/1) (× 3/1 4/1)) x)"},
        {"a != b > c", "(!= a (> b c))"},
        {"-2 * 3", "(× -2/1 3/1)"},
        {"-f(1)", "-&f/1"},
        {"!a == b", "(== !a b)"},
        {"x = a == b", "(x = (== a b))"},
        // Binary operators associate to the left, unary ones and assignments to the right.
        {"8 - 2 - 1", "(- (- 8/1 2/1) 1/1)"},
        {"8 / 4 % 2 * 3", "(× (% (÷ 8/1 4/1) 2/1) 3/1)"},
        {"a == b != c", "(!= (== a b) c)"},
        {"a >= b <= c > d < e", "(< (> (<= (>= a b) c) d) e)"},
        {"-!-x", "-!-x"},
        {"x = y = 2", "(x = (y = 2/1))"},
        {"x: y = 2", "(x = (y = 2/1))"},
        {"x: 2", "(x = 2/1)"},
        // A name right after a number or a closing parenthesis is a unit.
        {"5 km", "(× 5/1 km)"},
        {"5 km * 2", "(× (× 5/1 km) 2/1)"},
        {"2 m / 4 s", "(÷ (× 2/1 m) (× 4/1 s))"},
        {"(1 + 2) m", "(× (+ 1/1 2/1) m)"},
        {"-3 m", "-(× 3/1 m)"},
        {"\"a\"", "\"a\""},
        // Commas and newlines are optional separators, repeated or trailing.
        {"[]", "[]"},
        {"[1, 2]", "[(1/1);(2/1)]"},
        {"[1 2]", "[(1/1);(2/1)]"},
        {"[1,, 2,]", "[(1/1);(2/1)]"},
        {"[,1\n2\n]", "[(1/1);(2/1)]"},
        {"[1 + 2, -x]", "[((+ 1/1 2/1));(-x)]"},
        {"[[1], [2 3], []]", "[([(1/1)]);([(2/1);(3/1)]);([])]"},
        {"[1 2](0)", "&[(1/1);(2/1)]/1"},
        // The call of an anonymous function returning every name it binds.
        {"{a = 1}", "&func()->(*)/0"},
        {"f(a: 1)(b: 2)", "&&f/1/1"},
        {"x = f(1) * 2", "(x = (× &f/1 2/1))"},
        {"(f)(1)", "&f/1"},
        // Statements, separated by line feeds or semicolons.
        {"", ""},
        {"\n\n;;\n; # only a comment\n", ""},
        {"1; 2", "1/1 | 2/1"},
        {"1\r\n\n;2;", "1/1 | 2/1"},
        {"x = [\n1\n2\n]\ny = {\na = 1\n}", "(x = [(1/1);(2/1)]) | (y = &func()->(*)/0)"},
        {"function f = (x) { x }; f(1)",
         "function 'Token(type: identifier, lexeme: \"f\", literal: nil, sourceLine: 0, sourceColumn: 10)' definition | &f/1"},
    });
}

// The lexeme and column of the token a statement's root node carries.
std::string tokenOf(const std::string& source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    return statements.at(0).token().lexeme + " " + std::to_string(statements[0].token().sourceColumn);
}

TEST(Parser, NodesCarryTheirTokens)
{
    expectEach(tokenOf, {
        {"1 + 2", "+ 3"}, {"a == b", "== 4"}, {"-x", "- 1"}, {"5 km", "km 4"}, {"a", "a 1"}, {"\"s\"", "\"s\" 3"},
        {"(1 + 2) m", "( 1"}, {"[1]", "[ 1"}, {"{a = 1}", "{ 1"}, {"f(a: 1)", ") 7"},
        // An assignment carries the last token of its value.
        {"x = 1 + 2", "2 9"}, {"x = (1)", ") 7"}, {"x = f(a: 1)", ") 11"},
    });
}

// Every argument of the statement's call, written out with the lexeme of its token.
std::string argumentsOf(const std::string& source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    const auto* call = statements.at(0).asExpression()->data.as<ExpressionKind::Invocation>();
    if (!call)
        return "not a call";
    std::string text;
    for (const Expression& argument : call->arguments)
        text += (text.empty() ? "" : " ") + ASTWriter::writeExpression(argument) + "@" + argument.token->lexeme;
    return text;
}

// Arguments are assignments; the first may go without a label and is labelled "_".
TEST(Parser, CallArgumentsAreLabelledAssignments)
{
    expectEach(argumentsOf, {
        {"f(2, by: 3)", "(_ = 2/1)@2 (by = 3/1)@3"},
        {"f(by: 3, of: 2)", "(by = 3/1)@3 (of = 2/1)@2"},
        {"f(x = 1)", "(x = 1/1)@1"},
        {"f()", ""},
        {"f(1 + 2)", "(_ = (+ 1/1 2/1))@+"},
        {"f(g(1))", "(_ = &g/1)@)"},
        {"f(\n2,\nby: 3\n)", "(_ = 2/1)@2 (by = 3/1)@3"},
        {"f(a == b, c: d = 1)", "(_ = (== a b))@== (c = (d = 1/1))@1"},
    });
}

// The body of the anonymous function a table literal calls, written out.
std::string tableBodyOf(const std::string& source)
{
    const auto statements = Parser::parse(Lexer::lex(source));
    const Expression& literal = *statements.at(0).asExpression();
    const auto* call = literal.data.as<ExpressionKind::Invocation>();
    if (!call || !call->arguments.empty())
        return "not a call without arguments";
    const auto* callee = call->callee.data.as<ExpressionKind::Value>();
    const Callable* callable = callee ? callee->value().as<Callable>() : nullptr;
    const UserFunction* function = callable ? callable->userDefined() : nullptr;
    if (!function || !function->argumentMappings.empty() || function->returnMapping != ReturnMapping::all())
        return "not an anonymous function returning all";
    if (call->callee.token->lexeme != "{" || literal.token->lexeme != "{")
        return "not carrying the brace";
    std::string text;
    for (const Expression& entry : function->body)
        text += (text.empty() ? "" : " ") + ASTWriter::writeExpression(entry);
    return text;
}

TEST(Parser, TableLiteralsCallAnAnonymousFunction)
{
    expectEach(tableBodyOf, {
        {"{a = 1, b: 2}", "(a = 1/1) (b = 2/1)"},
        {"{a = x b: 2}", "(a = x) (b = 2/1)"},
        {"{a = 1,, b: 2,}", "(a = 1/1) (b = 2/1)"},
        {"{\n  a = 1\n  b = 2\n}", "(a = 1/1) (b = 2/1)"},
        {"{x}", "x"},
    });
}

std::string mappingsText(const std::vector<ArgumentMapping>& mappings)
{
    std::string text;
    for (const ArgumentMapping& mapping : mappings)
        text += (text.empty() ? "" : ", ") + mapping.outerName + "/" + mapping.innerName;
    return text;
}

// A function statement as "name (arguments) returns {body}".
std::string functionOf(const std::string& source)
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

TEST(Parser, FunctionDefinitions)
{
    expectEach(functionOf, {
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
        {"function k = (a,\nof b) {\n  a\n\n  b\n}", "k (a/a, of/b) single {a b}"},
    });
}

// After an error the parser skips one token and starts a new statement.
TEST(Parser, ErrorsAndRecovery)
{
    expectEach([](const std::string& source) { return errorsOf(source); }, {
        // Raised once the value is parsed, at the token after it.
        {"3 = x", "Can't assign to that expression @3"},
        {"(x) = 1", "Can't assign to that expression @5"},
        {"a = 1 = 2", "Can't assign to that expression @5"},
        {"_ = 1", "Can't assign to '_' @3"},
        {"_: 1", "Can't assign to '_' @3"},
        {"f(_: 1)", "Can't assign to '_' @5"},
        {"x =", "expected primary but found none @2"},
        // The second "=" has no value before it; "1" then parses alone.
        {"x = = 1", "expected primary but found none @2"},
        {"f(by: 3, 2)", "Only assignments allowed @7"},
        {"f(x: 1", "Expect ')' after invocation arguments @5"},
        {"f(", "expected primary but found none @2"},
        // The argument list ends at the line feed; "2" is not a ")".
        {"f(1\n2)", "Expect ')' after invocation arguments @4 | expected primary but found none @5"},
        {"1 + * 2", "expected primary but found none @2"},
        {"1 +", "expected primary but found none @2"},
        {"1 +\n2", "expected primary but found none @2"},
        {"(1 + 2", "Expected ')' but didn't find it. @4"},
        {"(1 2)", "Expected ')' but didn't find it. @2 | expected primary but found none @3"},
        {"{}", "expected primary but found none @1"},
        {"{a = 1", "expected primary but found none @4"},
        // A name after a number is its unit, so this is a = (1 b = 2).
        {"{a = 1 b = 2}", "Can't assign to that expression @7"},
        // A list element cannot be an assignment.
        {"[a = 1]", "expected primary but found none @2 | Expected newline @4"},
        {"[1, 2", "expected primary but found none @4"},
        // A string takes no unit; the name is left for the statement loop.
        {"\"a\" b", "Expected newline @1"},
        {"x = 1 2", "Expected newline @3"},
        // After the "2" is skipped, "3" parses as a statement of its own.
        {"1 2 3", "Expected newline @1"},
        {"1 2 3 4", "Expected newline @1 | Expected newline @3"},
        {") ) )", "expected primary but found none @0 | expected primary but found none @1 | "
                  "expected primary but found none @2"},
        {"a = 1\n3 = b\nc = 2\n_ = 4", "Can't assign to that expression @7 | Can't assign to '_' @15"},
        {"1 + 2 ;; 3 * 4 ; ]", "expected primary but found none @9"},
        {"function = (x) { x }", "Identifier must follow 'function' keyword @1 | Expected newline @5 | Expected newline @7"},
        {"function", "Identifier must follow 'function' keyword @1"},
        // The bad definition is abandoned at "(" and the rest read as statements.
        {"function f (x) { x }", "'=' must be used for function definition @2 | Expected newline @4"},
        {"function f = x { x }", "Argument mappings in function definitions must be wrapped in parentheses @3"},
        {"function f = (x,) { x }", "Expected identifier @6"},
        {"function f = (1) { x }", "Expected identifier @4 | expected primary but found none @5"},
        {"function f = (x y z) { x }", "Missing ')' after argument mappings @6 | expected primary but found none @7"},
        {"function f = (x) -> y { x }", "Expected '(' to group return mappings @7"},
        {"function f = (x) -> (y { x }", "Expected ')' to close return mappings @9 | Expected newline @11"},
        {"function f = (x) -> (* y) { x }", "Expected ')' to close return mappings @9 | expected primary but found none @10"},
        {"function f = (x) -> () { x }", "Expected identifier @8"},
        {"function f = (x) x", "Function body must be wrapped in curly braces @6"},
        // No newline may stand between the parameters and the body or the return part.
        {"function f = (x)\n{ x }", "Function body must be wrapped in curly braces @6"},
        {"function f = (x)\n-> (y) { x }", "Function body must be wrapped in curly braces @6 | "
                                           "expected primary but found none @7 | Expected newline @11 | Expected newline @13"},
        // The body asks for another expression before it looks for "}".
        {"function f = (x) { }\n1", "expected primary but found none @7"},
        {"function f = (x) { x", "expected primary but found none @8"},
        {"function f = (x) { x ]", "expected primary but found none @8"},
    });
}

// The parser must cope with token arrays the lexer never makes.
TEST(Parser, HandBuiltTokenArrays)
{
    const Token one{TokenType::number, "1", ValueUnion(Number(1, 1)), 0, 1};
    const Token noLiteral{TokenType::number, "1", std::nullopt, 0, 1};
    const Token plus{TokenType::plus, "+", std::nullopt, 0, 3};
    const Token function{TokenType::function, "function", std::nullopt, 0, 8};
    const Token eof{TokenType::eof, "", std::nullopt, 0, 1};
    const Token close{TokenType::rightParen, ")", std::nullopt, 0, 2};
    EXPECT_EQ(errorsOf({noLiteral, eof}), "found a number or string but it had no literal @1");
    EXPECT_TRUE(Parser::parse(std::vector<Token>()).empty());
    EXPECT_TRUE(Parser::parse(std::shared_ptr<const std::vector<Token>>()).empty());
    EXPECT_EQ(Parser::parse({one}).size(), 1u);
    EXPECT_EQ(errorsOf({one, plus}), "expected primary but found none @2");
    EXPECT_EQ(errorsOf({plus}), "expected primary but found none @0");
    EXPECT_EQ(errorsOf({function}), "Identifier must follow 'function' keyword @1");
    // Nothing after the first eof is read.
    EXPECT_EQ(Parser::parse({one, eof, close, eof}).size(), 1u);
}

// The observer hears each statement once, in order, as it is finished, with
// the tokens read so far: through the newline that ends it, never beyond.
TEST(Parser, ObserverHearsEachStatementAsItEnds)
{
    const auto tokens = Lexer::lex("a = 1\n\nf(x: 2) + 3\nfunction g = (y) { y }\nb");
    std::vector<Statement> heard;
    std::vector<std::size_t> read;
    const auto statements = Parser::parse(tokens, [&](const Statement& statement, std::size_t tokensRead) {
        heard.push_back(statement);
        read.push_back(tokensRead);
    });
    EXPECT_EQ(heard, statements);
    ASSERT_EQ(read.size(), 4u);
    for (std::size_t index = 0; index < read.size(); ++index) {
        SCOPED_TRACE(index);
        // The last token read ends the statement: a newline, or the end.
        const auto& last = tokens.at(read[index] - 1);
        EXPECT_TRUE(last.type == TokenType::newline || index + 1 == read.size()) << last.description();
        EXPECT_EQ(tokens.at(read[index]).sourceLine, statements[index].token().sourceLine + (index + 1 < read.size()));
    }
    EXPECT_EQ(tokens.at(read.back()).type, TokenType::eof);

    // A document with an error is never heard past it.
    std::size_t calls = 0;
    EXPECT_THROW(Parser::parse(Lexer::lex("a\n)\nb"), [&](const Statement&, std::size_t) { ++calls; }),
                 MultiError<ParseError>);
    EXPECT_EQ(calls, 1u);
}

} // namespace
} // namespace engine::test
