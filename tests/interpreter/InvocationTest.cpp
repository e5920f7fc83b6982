// Calling user functions and built-ins: labels, parameters, scopes, depth,
// errors from bodies, return mappings and table literals.

#include <limits>
#include <stdexcept>

#include "RunDocument.h"

namespace engine::testing {
namespace {

TEST(Invocation, ArgumentsBindByLabel)
{
    expectDocuments({
        {"function double = (x) { x * 2 }\ndouble(x: 4)", "func(x) | 8"},
        {"function f = (by amount) { amount * 3 }\nf(by: 2)", "func(by) | 6"},
        // The first argument may go unlabelled; it is labelled _.
        {"function f = (_ x) { x + 1 }\nf(2)", "func(_) | 3"},
        {"function f = (_ x, by) { x * by }\nf(2, by: 5)", "func(_:by) | 10"},
        // Labels in any order.
        {"function f = (a, b) { a - b }\nf(b: 1, a: 5)", "func(a:b) | 4"},
        // A repeated label: the later value wins.
        {"function f = (x) { x }\nf(x: 1, x: 2)", "func(x) | 2"},
        {"round(1.26, to: 1, to: 0)", "1"},
        // An omitted parameter is an unbound name, so a unit.
        {"function f = (x, y) { x * y }\nf(x: 2)", "func(x:y) | 2 y"},
        {"function f = (x) { x }\nf(z: 1)", "ERR unexpected assignment of 'z' while invoking function"},
        {"function f = (by amount) { amount }\nf(amount: 1)",
         "ERR unexpected assignment of 'amount' while invoking function"},
        {"function f = (x) { x }\nf(1)", "ERR unexpected assignment of '_' while invoking function"},
        // No arguments at all.
        {"function f = (x) { 7 }\nf()", "func(x) | 7"},
        // Arguments are evaluated in the caller, left to right, and bind nothing there.
        {"function f = (x) { x }\nf(x: 2)\nx", "func(x) | 2 | 1 x"},
        {"function f = (x, y) { x }\nf(x: 1 + \"a\", y: \"a\" - 1)",
         "ERR Invalid operation between number and string"},
    });
}

TEST(Invocation, OnlyCallablesCanBeInvoked)
{
    expectDocuments({
        {"3(x: 1)", "ERR cannot invoke a non-callable"},
        {"a = 2\na(x: 1)", "ERR cannot invoke a non-callable"},
        {"kg(1)", "ERR cannot invoke a non-callable"},
        {"\"f\"()", "ERR cannot invoke a non-callable"},
        {"[1](x: 1)", "ERR cannot invoke a non-callable"},
        // The arguments of a non-callable are never evaluated.
        {"x = 2\nx(y: 1 + \"s\")", "ERR cannot invoke a non-callable"},
        // Calls chain: the result of a call may be called.
        {"function g = (y) { y * 10 }\nfunction f = (x) { g }\nf(x: 1)(y: 2)", "func(y) | func(x) | 20"},
    });
}

TEST(Invocation, BodiesSeeCallablesButNotVariables)
{
    expectDocuments({
        // A top-level variable is a unit inside a body.
        {"v = 5\nfunction f = (x) { x * v }\nf(x: 2)", "5 | func(x) | 2 v"},
        // Functions defined earlier are visible, and so is the function itself.
        {"function g = (x) { x * 2 }\nfunction f = (x) { g(x: x) + 1 }\nf(x: 3)", "func(x) | func(x) | 7"},
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
        // Functions as values.
        {"function twice = (x) { x * 2 }\nfunction apply = (fn, v) { fn(x: v) }\napply(fn: twice, v: 4)",
         "func(x) | func(fn:v) | 8"},
        // A body binds in its own scope: the caller's names stay free.
        {"function f = (x) -> * { y = x\n z = 2 }\nf(x: 1)\ny = 3", "func(x)->(*) | table with 3 entries (x, y, z) | 3"},
        // Each call has a fresh scope.
        {"function f = (x) -> * { y = x\n z = 2 }\nf(x: 1)\nf(x: 2)",
         "func(x)->(*) | table with 3 entries (x, y, z) | table with 3 entries (x, y, z)"},
    });
}

TEST(Invocation, BodiesCannotRebind)
{
    expectDocuments({
        {"function f = (x) { x = 2 }\nf(x: 1)", "ERR cannot re-bind x"},
        {"function f = (x) { round = 2 }\nf(x: 1)", "ERR cannot re-bind round"},
        {"function g = (x) { x }\nfunction f = (x) { g = 2 }\nf(x: 1)", "ERR cannot re-bind g"},
        {"function f = (x) -> * { y = 1\n y = 2 }\nf(x: 1)", "ERR cannot re-bind y"},
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
    EXPECT_EQ(runDocument(callChain(10, "x")), definitions(10) + "7");
    EXPECT_EQ(runDocument(callChain(11, "x")), "ERR cannot exceed a stack depth of 10");
    // A built-in's call counts like any other.
    EXPECT_EQ(runDocument(callChain(9, "describe(x)")), definitions(9) + "\"7\"");
    EXPECT_EQ(runDocument(callChain(10, "describe(x)")), "ERR cannot exceed a stack depth of 10");
    // So does a table literal, which is a call.
    EXPECT_EQ(runDocument(callChain(9, "{a = x}")), definitions(9) + "table with 1 entries (a)");
    EXPECT_EQ(runDocument(callChain(10, "{a = x}")), "ERR cannot exceed a stack depth of 10");
    // A built-in calls `using` at its own depth, not one deeper.
    EXPECT_EQ(runDocument(callChain(9, "list_map(over: [x], using: describe)")), definitions(9) + "list with 1 entries");

    expectDocuments({
        // Unconditional recursion ends at the limit, as one error through every level.
        {"function f = (x) { f(x: x) }\nf(x: 1)", "ERR cannot exceed a stack depth of 10"},
        // The depth is restored after every call, failed or not.
        {"function f = (x) { f(x: x) }\nf(x: 1)\nf(x: 2)",
         "ERR cannot exceed a stack depth of 10 | cannot exceed a stack depth of 10"},
    });

    // The depth a run starts at counts.
    const auto statements = Parser::parse(Lexer::lex("describe(1)"));
    EXPECT_EQ(Interpreter::interpret(statements, 9).size(), 1u);
    EXPECT_THROW(Interpreter::interpret(statements, 10), MultiError<InterpretError>);
    EXPECT_THROW(Interpreter::interpret(statements, std::numeric_limits<std::int64_t>::max()),
                 MultiError<InterpretError>);
    // Without calls the depth plays no part.
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
    });
}

TEST(Invocation, ReturnMappings)
{
    expectDocuments({
        // A one-expression body returns its value.
        {"function f = (x) -> * { x * 2 }\nf(x: 3)", "func(x) | 6"},
        // `all`: every parameter and assigned variable, in first-binding order.
        {"function f = (x) -> * { y = x * 2\n z = \"s\" }\nr = f(x: 3)\ntable_get(key: \"y\", from: r)",
         "func(x)->(*) | table with 3 entries (x, y, z) | 6"},
        {"function f = (a, b) -> * { d = 1\n c = 2 }\nf(b: 1, a: 2)", "func(a:b)->(*) | table with 4 entries (b, a, d, c)"},
        // Callables, error values and bork are left out.
        {"function f = (x) -> * { g = round\n e = table_get(key: 1, from: table_new())\n b = !\"q\"\n n = [1] }\nf(x: 1)",
         "func(x)->(*) | table with 2 entries (x, n)"},
        {"function f = (x) -> (*) { g = round\n h = 2 }\nf()", "func(x)->(*) | table with 1 entries (h)"},
        // `list`: the named variables under their outer names, in first-binding order.
        {"function f = (x) -> (double d, half h) { d = x * 2\n h = x / 2 }\nr = f(x: 4)\n"
         "table_get(key: \"double\", from: r)\ntable_get(key: \"half\", from: r)",
         "func(x)->(double:half) | table with 2 entries (double, half) | 8 | 2"},
        {"function f = (x) -> (half h, double d) { d = x * 2\n h = x / 2 }\nf(x: 4)",
         "func(x)->(half:double) | table with 2 entries (double, half)"},
        {"function f = (x) -> (out x, y) { y = 1\n z = 2 }\nr = f(x: 5)\ntable_get(key: \"out\", from: r)",
         "func(x)->(out:y) | table with 2 entries (out, y) | 5"},
        // Two mappings with the same outer name: the one written later wins.
        {"function f = (x) -> (r a, r b) { a = 1\n b = 2 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 2"},
        {"function f = (x) -> (r a, r b) { b = 2\n a = 1 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 2"},
        {"function f = (x) -> (r b, r a) { b = 2\n a = 1 }\ntable_get(key: \"r\", from: f(x: 0))", "func(x)->(r:r) | 1"},
        // A mapped name the body never bound, or bound to a function.
        {"function f = (x) -> (y, z) { y = 1\n w = 2 }\nf(x: 1)",
         "ERR You specified input name(s) that don't exist."},
        {"function f = (x) -> (g, y) { g = round\n y = 1 }\nf(x: 1)",
         "ERR You specified input name(s) that don't exist."},
        // An omitted parameter is unbound, so it cannot be returned either.
        {"function f = (x) -> (x, y) { y = 1\n z = 2 }\nf()",
         "ERR You specified input name(s) that don't exist."},
    });
}

TEST(Invocation, TableLiterals)
{
    expectDocuments({
        {"{a = 1, b: 2}", "table with 2 entries (a, b)"},
        // Keys as written.
        {"{b = 1, a = 2, c = 3}", "table with 3 entries (b, a, c)"},
        {"{\n  a = 1\n  b = 2\n}", "table with 2 entries (a, b)"},
        // Entries see the entries before them.
        {"t = {a = 2, b = a * 3}\ntable_get(key: \"b\", from: t)", "table with 2 entries (a, b) | 6"},
        // but not the document's variables, only its functions.
        {"v = 3\ntable_get(key: \"a\", from: {a = v})", "3 | 1 v"},
        {"function f = (x) { x + 1 }\ntable_get(key: \"a\", from: {a = f(x: 1)})", "func(x) | 2"},
        // Expressions that bind nothing add nothing.
        {"{1 + 2, a = 1}", "table with 1 entries (a)"},
        {"{a = 1, a = 2}", "ERR cannot re-bind a"},
        {"{a = {b = 1}}", "table with 1 entries (a)"},
        {"{a = 1 + \"s\", b = \"s\" - 1}",
         "ERR Invalid operation between number and string | Invalid operation between string and number"},
    });
}

// Hand-built trees reach what the parser never produces.
Token token()
{
    Token result;
    result.type = TokenType::identifier;
    result.lexeme = "f";
    return result;
}

Expression expression(ExpressionKind kind) { return Expression{std::move(kind), token()}; }

ValueUnion callableValue(Callable callable) { return ValueUnion(std::move(callable)); }

TEST(Invocation, EmptyBodyReturnsBork)
{
    const auto empty = Callable::userDefinedFunction({}, ReturnMapping::singleValue(), {});
    const auto call = expression(ExpressionKind::invocation(expression(ExpressionKind::value(callableValue(empty))), {}));
    const auto outputs = Interpreter::interpret({Statement::expression(call)}, 0);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(outputs[0].value.kind(), ValueUnion::Kind::bork);
}

TEST(Invocation, UnlabelledArgumentsCarryBork)
{
    // An argument that is not an assignment gets the empty label and bork,
    // without being evaluated.
    const auto failing = expression(ExpressionKind::binary(BinaryOperation::add,
                                                           expression(ExpressionKind::value(Number(1, 1))),
                                                           expression(ExpressionKind::value(EString("s")))));
    const auto describeCall = expression(ExpressionKind::invocation(
        expression(ExpressionKind::reference("describe")),
        {expression(ExpressionKind::assignment("_", expression(ExpressionKind::value(Number(3, 1))))), failing}));
    const auto outputs = Interpreter::interpret({Statement::expression(describeCall)}, 0);
    ASSERT_EQ(outputs.size(), 1u);
    EXPECT_EQ(ASTWriter::writeValue(outputs[0].value, NumberFormat::mixed, true), "3");

    const auto user = Callable::userDefinedFunction({{"x", "x"}}, ReturnMapping::singleValue(),
                                                    {expression(ExpressionKind::reference("x"))});
    const auto userCall =
        expression(ExpressionKind::invocation(expression(ExpressionKind::value(callableValue(user))), {failing}));
    try {
        Interpreter::interpret({Statement::expression(userCall)}, 0);
        FAIL() << "an unexpected label must fail";
    } catch (const MultiError<InterpretError>& failure) {
        ASSERT_EQ(failure.errors.size(), 1u);
        EXPECT_EQ(failure.errors[0].message, "unexpected assignment of '' while invoking function");
    }
}

TEST(Invocation, UnexpectedErrorTypesAreReportedAndRecorded)
{
    const auto boom = Callable::externalFunction(
        ExternalFunction{"boom()", [](const FunctionArguments&, Interpreter&) -> ValueUnion {
                             throw std::runtime_error("wires crossed");
                         }});
    const auto call = expression(ExpressionKind::invocation(expression(ExpressionKind::value(callableValue(boom))), {}));
    const auto fine = expression(ExpressionKind::value(Number(2, 1)));
    ::testing::internal::CaptureStdout();
    try {
        Interpreter::interpret({Statement::expression(call), Statement::expression(fine)}, 0);
        ADD_FAILURE() << "the run must fail";
    } catch (const MultiError<InterpretError>& failure) {
        ASSERT_EQ(failure.errors.size(), 1u);
        EXPECT_EQ(failure.errors[0].message, "unhandled interpret error");
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "std::runtime_error: wires crossed\n");
}

} // namespace
} // namespace engine::testing
