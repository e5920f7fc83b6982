// Documents that try to hang the app, exhaust its memory or its stack: each
// must end in a clear error or a correct result.

#include <algorithm>

#include "RunDocument.h"

namespace engine::testing {
namespace {

std::vector<std::string> runErrors(const std::string& source)
{
    try {
        Interpreter::interpret(Parser::parse(Lexer::lex(source)), 0);
    } catch (const MultiError<InterpretError>& failure) {
        std::vector<std::string> messages;
        for (const auto& error : failure.errors)
            messages.push_back(error.message);
        return messages;
    }
    return {};
}

TEST(PathologicalDocument, TooMuchWorkEndsInOneError)
{
    expectDocuments({
        // 10^12 calls.
        {"function inner = (_ x) { x }\n"
         "function outer = (_ x) { list_map(over: [1] * 1000000, using: inner) }\n"
         "list_map(over: [1] * 1000000, using: outer)\n"
         "1 + 1\n",
         "ERR Evaluation too long"},
        // A million copies of a million characters.
        {"s = \"x\" * 1000000\n[s] * 1000000", "ERR Evaluation too long"},
        // A million characters handed from call to call a million times.
        {"s = \"x\" * 1000000\nfunction keep = (accumulator, item) { accumulator }\n"
         "list_reduce(over: [1] * 1000000, from: s, using: keep)",
         "ERR Evaluation too long"},
        // A table copied a million times as it grows.
        {"function put = (accumulator, item) { table_set(key: [item], of: accumulator, to: item) }\n"
         "list_reduce(over: [1] * 1000000, from: table_new(), using: put)",
         "ERR Evaluation too long"},
    });
}

TEST(PathologicalDocument, BuiltValuesStayBounded)
{
    // Each of these lists holds 80 MB; a run may build only a few of them.
    std::string source;
    for (int line = 0; line < 20; ++line)
        source += "l" + std::to_string(line) + " = [" + std::to_string(line) + "] * 1000000\n";
    EXPECT_EQ(runErrors(source), std::vector<std::string>{"Evaluation too long"});

    // An error value that doubles on every line.
    source = "e0 = table_get(key: \"k\", from: table_new())\n";
    for (int line = 1; line <= 40; ++line)
        source += "e" + std::to_string(line) + " = e" + std::to_string(line - 1) + " + e" + std::to_string(line - 1) + "\n";
    EXPECT_EQ(runErrors(source), std::vector<std::string>{"Result too large"});
}

// Tables nest through their values and keys alike (lists: the hostile
// document listNestedAMillionDeep).
TEST(PathologicalDocument, DeepValuesEndInAClearError)
{
    expectDocuments({
        {"function wrap = (accumulator, item) { table_set(key: 1, of: table_new(), to: accumulator) }\n"
         "list_reduce(over: [1] * 1000000, from: 0, using: wrap)",
         "ERR Value nested too deeply"},
        {"function wrap = (accumulator, item) { table_set(key: accumulator, of: table_new(), to: 1) }\n"
         "list_reduce(over: [1] * 1000000, from: 0, using: wrap)",
         "ERR Value nested too deeply"},
    });
}

// An expression two levels deeper per `depth`, with a call at its bottom.
std::string deepBody(std::string_view call, int depth)
{
    std::string body;
    for (int level = 0; level < depth; ++level)
        body += "1 + (";
    body += call;
    body += std::string(static_cast<std::size_t>(depth), ')');
    return body;
}

TEST(PathologicalDocument, DeepRecursionStaysOnTheStack)
{
    // With the call, about the 256 levels the parser allows a statement.
    constexpr int depth = 125;
    EXPECT_EQ(runDocument("function f = (x) { " + deepBody("f(x: x)", depth) + " }\nf(x: 1)"),
              "ERR cannot exceed a stack depth of 10");
    EXPECT_EQ(runDocument("function f = (_ x) { " + deepBody("list_map(over: [x], using: f)", depth) +
                          " }\nf(1)"),
              "ERR cannot exceed a stack depth of 10");
    EXPECT_EQ(runDocument("function f = (x) { " + deepBody("{a = f(x: x)}", depth) + " }\nf(x: 1)"),
              "ERR cannot exceed a stack depth of 10");
}

TEST(PathologicalDocument, FanningOutCollectsEveryError)
{
    // Three calls per level, ten levels: 3^10 calls fail at the limit.
    const auto errors = runErrors("function f = (x) -> * { a = f(x: x)\n b = f(x: x)\n c = f(x: x) }\nf(x: 1)");
    EXPECT_EQ(errors.size(), 59049u);
    EXPECT_TRUE(std::all_of(errors.begin(), errors.end(),
                            [](const auto& message) { return message == "cannot exceed a stack depth of 10"; }));

    // Eight per level would be 8^10: the budget ends it, and says so once, last.
    const auto many = runErrors("function f = (x) -> * { a = f(x: x)\n b = f(x: x)\n c = f(x: x)\n d = f(x: x)\n"
                                " e = f(x: x)\n g = f(x: x)\n h = f(x: x)\n i = f(x: x) }\nf(x: 1)\n2");
    ASSERT_FALSE(many.empty());
    EXPECT_EQ(many.back(), "Evaluation too long");
    EXPECT_EQ(std::count(many.begin(), many.end(), "Evaluation too long"), 1);
    EXPECT_LT(many.size(), 1'000'000u);
}

// A long document of the kind people write: it must stay far from the budget.
TEST(PathologicalDocument, OrdinaryDocumentsNeverComeNearTheBudget)
{
    std::string source = "function area = (width, height) { width * height }\n"
                         "function total = (accumulator, item) { accumulator + item }\n";
    for (int line = 0; line < 2500; ++line) {
        const auto n = std::to_string(line);
        source += "w" + n + " = " + n + ".5 m\n";
        source += "a" + n + " = area(width: w" + n + ", height: 2 m)\n";
        source += "r" + n + " = round(a" + n + " / 3, to: 2)\n";
        source += "s" + n + " = list_reduce(over: [1, 2, 3, " + n + "], from: 0, using: total)\n";
    }
    EXPECT_EQ(runErrors(source), std::vector<std::string>{});
}

} // namespace
} // namespace engine::testing
