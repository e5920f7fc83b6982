// Calling user functions and built-ins: labels, scopes, depth, errors from
// bodies, return mappings and table literals. The golden documents hold the
// plain cases.

#include <limits>
#include <stdexcept>

#include "RunDocument.h"

namespace engine::testing {
namespace {

TEST(Invocation, ArgumentsAndScopes)
{
    expectDocuments({
        {"function f = (by amount) { amount }\nf(amount: 1)",
         "ERR unexpected assignment of 'amount' while invoking function"},
        // A repeated label: the later value wins, for built-ins too.
        {"round(1.26, to: 1, to: 0)", "1"},
        // Arguments are evaluated in the caller, left to right, and bind nothing there.
        {"function f = (x) { x }\nf(x: 2)\nx", "func(x) | 2 | 1 x"},
        {"function f = (x, y) { x }\nf(x: 1 + \"a\", y: \"a\" - 1)", "ERR Invalid operation between number and string"},
        // The arguments of a non-callable are never evaluated.
        {"x = 2\nx(y: 1 + \"s\")", "ERR cannot invoke a non-callable"},
        // The result of a call may be called.
        {"function g = (y) { y * 10 }\nfunction f = (x) { g }\nf(x: 1)(y: 2)", "func(y) | func(x) | 20"},
        // A parameter may shadow a built-in inside its body.
        {"function f = (round) { round * 2 }\nf(round: 3)", "func(round) | 6"},
        // A caller's variable named like a built-in does not hide the built-in from its callees.
        {"function g = (x) { describe(x) }\nfunction f = (describe) { g(x: describe) }\nf(describe: 5)",
         "func(x) | func(describe) | \"5\""},
        // A caller's parameter that holds a function is passed down to its callees.
        {"function inner = (y) { h(x: y) }\nfunction outer = (h) { inner(y: 3) }\n"
         "function triple = (x) { x * 3 }\nouter(h: triple)",
         "func(y) | func(h) | func(x) | 9"},
        {"function inner = (y) { h(x: y) }\ninner(y: 3)", "ERR cannot invoke a non-callable"},
        // A body binds in its own scope, fresh for each call: the caller's names stay free.
        {"function f = (x) -> * { y = x\n z = 2 }\nf(x: 1)\nf(x: 2)\ny = 3",
         "func(x)->(*) | table with 3 entries (x, y, z) | table with 3 entries (x, y, z) | 3"},
        {"function g = (x) { x }\nfunction f = (x) { g = 2 }\nf(x: 1)", "ERR cannot re-bind g"},
    });
}

// A body keeps its first few names in a flat list and moves them into a map
// when there are more; both must behave alike, also while a value read from
// the list is in use.
TEST(Invocation, BodiesWithManyNames)
{
    const std::string eight = "function f = (a, b, c, d, e, g, h, k) ";
    const std::string call = "\nf(a: 1, b: 2, c: 3, d: 4, e: 5, g: 6, h: 7, k: 8)";
    expectDocuments({
        // First-binding order survives the move, arguments first.
        {eight + "-> * { m = 9\n n = 10\n p = 11 }" + call,
         "func(a:b:c:d:e:g:h:k)->(*) | table with 11 entries (a, b, c, d, e, g, h, k, m, n, p)"},
        {eight + "-> * { m = 9\n n = 10\n p = a + m + n }\ntable_get(key: \"p\", from: " + call.substr(1) + ")",
         "func(a:b:c:d:e:g:h:k)->(*) | 20"},
        // Re-binding is refused on either side of the move.
        {eight + "{ m = 9\n k = 2 }" + call, "ERR cannot re-bind k"},
        {eight + "{ m = 9\n a = 2 }" + call, "ERR cannot re-bind a"},
        // The right operand binds the ninth name while the left one is a name.
        {eight + "{ k + (m = 100) }" + call, "func(a:b:c:d:e:g:h:k) | 108"},
        {eight + "{ (m = 100) + k }" + call, "func(a:b:c:d:e:g:h:k) | 108"},
        // The callee is a parameter, and its argument binds the ninth name.
        {"function twice = (x) { x * 2 }\n" + eight + "{ k(x: (m = 21)) }" +
             "\nf(a: 1, b: 2, c: 3, d: 4, e: 5, g: 6, h: 7, k: twice)",
         "func(x) | func(a:b:c:d:e:g:h:k) | 42"},
        // More arguments than a call keeps in its frame; a repeated label
        // keeps its first place and its later value.
        {"function f = (a, b, c, d, e) -> * { y = 0\n z = 0 }\nr = f(e: 5, d: 4, c: 3, b: 2, a: 1, e: 50)\n"
         "table_get(key: \"e\", from: r)",
         "func(a:b:c:d:e)->(*) | table with 7 entries (e, d, c, b, a, y, z) | 50"},
        {"function f = (a, b, c, d, e) { a - e }\nf(a: 1, b: 2, c: 3, d: 4, e: 5, z: 6)",
         "ERR unexpected assignment of 'z' while invoking function"},
    });
}

// Functions f1 … fn where each calls the one below and f1 calls `leaf`.
std::string callChain(int length, std::string_view leaf)
{
    std::string source = "function f1 = (x) { " + std::string(leaf) + " }\n";
    for (int level = 2; level <= length; ++level)
        source += "function f" + std::to_string(level) + " = (x) { f" + std::to_string(level - 1) + "(x: x) }\n";
    return source + "f" + std::to_string(length) + "(x: 7)";
}

std::string definitions(int count)
{
    std::string outputs;
    for (int level = 1; level <= count; ++level)
        outputs += "func(x) | ";
    return outputs;
}

TEST(Invocation, CallsNestTenDeep)
{
    const std::string tooDeep = "ERR cannot exceed a stack depth of 10";
    EXPECT_EQ(runDocument(callChain(10, "x")), definitions(10) + "7");
    EXPECT_EQ(runDocument(callChain(11, "x")), tooDeep);
    // A built-in's call counts like any other, and so does a table literal.
    EXPECT_EQ(runDocument(callChain(9, "describe(x)")), definitions(9) + "\"7\"");
    EXPECT_EQ(runDocument(callChain(10, "describe(x)")), tooDeep);
    EXPECT_EQ(runDocument(callChain(9, "{a = x}")), definitions(9) + "table with 1 entries (a)");
    EXPECT_EQ(runDocument(callChain(10, "{a = x}")), tooDeep);
    // The depth is restored after every call, failed or not.
    EXPECT_EQ(runDocument("function f = (x) { f(x: x) }\nf(x: 1)\nf(x: 2)"), tooDeep + " | " + tooDeep.substr(4));

    // The depth a run starts at counts; without calls it plays no part.
    const auto statements = Parser::parse(Lexer::lex("describe(1)"));
    EXPECT_EQ(Interpreter::interpret(statements, 9).size(), 1u);
    EXPECT_THROW(Interpreter::interpret(statements, 10), MultiError<InterpretError>);
    EXPECT_THROW(Interpreter::interpret(statements, std::numeric_limits<std::int64_t>::max()),
                 MultiError<InterpretError>);
    EXPECT_EQ(Interpreter::interpret(Parser::parse(Lexer::lex("1 + 2")), 10).size(), 1u);
}

TEST(Invocation, BodyErrorsLeaveTogetherAtTheInvokingStatement)
{
    expectDocuments({
        // Every body statement runs; both errors are recorded for the one call.
        {"function f = (x) -> * { a = 1 + \"s\"\n b = \"s\" - 1\n c = 3 }\n\"first\" - 1\nf(x: 1)\n1 + \"last\"",
         "ERR Invalid operation between string and number | Invalid operation between number and string | "
         "Invalid operation between string and number | Invalid operation between number and string"},
        // An error value in a body is a value, not an error.
        {"function f = (x) { table_get(key: x, from: table_new()) }\nf(x: 1)", "func(x) | ERROR: missing key '1/1' in table"},
        // Errors pass through nested bodies unchanged and in order.
        {"function g = (x) -> * { a = x - \"s\"\n b = \"s\" * \"s\" }\nfunction f = (x) -> * { c = g(x: x)\n d = 1 + \"s\" }\n"
         "f(x: 1)",
         "ERR Invalid operation between number and string | Invalid operation between string and string | "
         "Invalid operation between number and string"},
        {"{a = 1 + \"s\", b = \"s\" - 1}",
         "ERR Invalid operation between number and string | Invalid operation between string and number"},
    });
}

TEST(Invocation, ReturnMappingsAndTableLiterals)
{
    expectDocuments({
        // `all` leaves out callables, error values and bork.
        {"function f = (x) -> * { g = round\n e = table_get(key: 1, from: table_new())\n b = !\"q\"\n n = [1] }\nf(x: 1)",
         "func(x)->(*) | table with 2 entries (x, n)"},
        {"function f = (x) -> (*) { g = round\n h = 2 }\nf()", "func(x)->(*) | table with 1 entries (h)"},
        // `list`: the named variables under their outer names, in first-binding order.
        {"function f = (x) -> (half h, double d) { d = x * 2\n h = x / 2 }\nr = f(x: 4)\ntable_get(key: \"half\", from: r)",
         "func(x)->(half:double) | table with 2 entries (double, half) | 2"},
        {"function f = (x) -> (out x, y) { y = 1\n z = 2 }\nr = f(x: 5)\ntable_get(key: \"out\", from: r)",
         "func(x)->(out:y) | table with 2 entries (out, y) | 5"},
        // Two mappings with the same outer name: the one written later wins.
        {"function f = (x) -> (r a, r b) { a = 1\n b = 2 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 2"},
        {"function f = (x) -> (r a, r b) { b = 2\n a = 1 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 2"},
        {"function f = (x) -> (r b, r a) { b = 2\n a = 1 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 1"},
        // An omitted parameter is unbound, so it cannot be returned.
        {"function f = (x) -> (x, y) { y = 1\n z = 2 }\nf()", "ERR You specified input name(s) that don't exist."},
        // A table literal sees its earlier entries and the document's functions, not its variables.
        {"v = 3\nfunction f = (x) { x + 1 }\n{a = v, b = f(x: 1)}", "3 | func(x) | table with 2 entries (a, b)"},
        {"v = 3\ntable_get(key: \"a\", from: {a = v})", "3 | 1 v"},
        // Expressions that bind nothing add nothing.
        {"{1 + 2, a = 1}", "table with 1 entries (a)"},
        {"{a = 1, a = 2}", "ERR cannot re-bind a"},
    });
}

// Hand-built trees reach what the parser never produces.
Expression expression(ExpressionKind kind)
{
    static const Token token{TokenType::identifier, "f", {}, 0, 0};
    return Expression{std::move(kind), &token};
}

Expression callOf(Callable callable, std::vector<Expression> arguments = {})
{
    return expression(ExpressionKind::invocation(expression(ExpressionKind::value(ValueUnion(std::move(callable)))),
                                                 std::move(arguments)));
}

TEST(Invocation, WhatTheParserNeverBuilds)
{
    const auto number = [](std::int64_t n) { return expression(ExpressionKind::value(Number(n, 1))); };
    // An empty body returns bork.
    const auto empty = Callable::userDefinedFunction({}, ReturnMapping::singleValue(), {});
    EXPECT_EQ(describeRun({Statement::expression(callOf(empty))}), "¡bork!");
    // An argument that is not an assignment gets the empty label and bork,
    // without being evaluated.
    const auto failing = expression(ExpressionKind::binary(BinaryOperation::add, number(1),
                                                           expression(ExpressionKind::value(EString("s")))));
    const auto describe = expression(ExpressionKind::invocation(
        expression(ExpressionKind::reference("describe")),
        {expression(ExpressionKind::assignment("_", number(3))), failing}));
    EXPECT_EQ(describeRun({Statement::expression(describe)}), "\"3\"");
    const auto user = Callable::userDefinedFunction({{"x", "x"}}, ReturnMapping::singleValue(),
                                                    {expression(ExpressionKind::reference("x"))});
    EXPECT_EQ(describeRun({Statement::expression(callOf(user, {failing}))}),
              "ERR unexpected assignment of '' while invoking function");
}

TEST(Invocation, UnexpectedErrorTypesAreReportedAndRecorded)
{
    const auto boom = Callable::externalFunction(ExternalFunction{
        "boom()", [](const FunctionArguments&, Interpreter&) -> ValueUnion { throw std::runtime_error("wires crossed"); }});
    const auto two = expression(ExpressionKind::value(Number(2, 1)));
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(describeRun({Statement::expression(callOf(boom)), Statement::expression(two)}),
              "ERR unhandled interpret error");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "std::runtime_error: wires crossed\n");
}

} // namespace
} // namespace engine::testing
