// Recursion through every built-in that calls back a user function: a user
// function that hands itself to the built-in, nested exactly to the call
// depth limit and one level past it. Each level is one invocation of the
// built-in; a nested list or table with one level fewer to go feeds it, and
// an empty one ends the recursion.

#include <string>

#include <gtest/gtest.h>

#include "hostile/HostileDocuments.h"
#include "interpreter/Interpreter.h"

namespace hostile {
namespace {

constexpr std::size_t limit = engine::Interpreter::maxStackDepth;

// A list that takes `invocations` nested calls of a list built-in to walk:
// one pair of brackets is the empty list, which needs one.
std::string lists(std::size_t invocations) { return nested("[", "", "]", invocations); }

// The same for map_values: tables holding the next under "a", around an
// empty table, each bound on a line of its own, since a table literal is a
// call itself (and its entries cannot see the lines' variables).
std::string tables(std::size_t invocations)
{
    std::string lines = "t0 = table_new()\n";
    for (std::size_t level = 1; level < invocations; ++level)
        lines += "t" + std::to_string(level) + " = table_set(key: \"a\", of: table_new(), to: t" +
                 std::to_string(level - 1) + ")\n";
    return lines + "t" + std::to_string(invocations - 1);
}

struct Recursion {
    std::string name;
    std::string function;
    std::string call;
    std::string (*argument)(std::size_t invocations);
    std::string resultAtTheLimit;
    // A document whose function hands the built-in a fresh value at every
    // level, so only the limit ends it.
    std::string endless;
};

TEST(HostileCallDepth, EveryBuiltInThatCallsBackHoldsTheLimit)
{
    const Recursion recursions[] = {
        {"list_map", "function f = (_ x) { list_map(over: x, using: f) }", "list_map(over: ARG, using: f)", lists,
         "list with 1 entries", "function g = (_ x) { list_map(over: [x], using: g) }\ng(1)"},
        // Flattening every level leaves nothing.
        {"list_flatmap", "function f = (_ x) { list_flatmap(over: x, using: f) }",
         "list_flatmap(over: ARG, using: f)", lists, "list with 0 entries",
         "function g = (_ x) { list_flatmap(over: [x], using: g) }\ng(1)"},
        // Counts the calls of f: one per level but the innermost, empty one.
        {"list_reduce",
         "function f = (accumulator, item) { list_reduce(over: item, from: accumulator + 1, using: f) }",
         "list_reduce(over: ARG, from: 0, using: f)", lists, std::to_string(limit - 1),
         "function g = (accumulator, item) { list_reduce(over: [item], from: accumulator, using: g) }\n"
         "g(accumulator: 0, item: 1)"},
        {"map_values", "function f = (key, value) { map_values(over: value, using: f) }",
         "map_values(over: ARG, using: f)", tables, "table with 1 entries (a)",
         "function g = (key, value) { map_values(over: {a = value}, using: g) }\ng(key: 1, value: 1)"},
    };
    tarvine::Bridge bridge;
    for (const auto& recursion : recursions) {
        SCOPED_TRACE(recursion.name);
        // The argument's lines, if any, then the function and the call.
        const auto document = [&](std::size_t invocations) {
            const auto argument = recursion.argument(invocations);
            const auto lastLine = argument.rfind('\n') + 1; // 0 when there is one line
            auto call = recursion.call;
            call.replace(call.find("ARG"), 3, argument.substr(lastLine));
            return argument.substr(0, lastLine) + recursion.function + "\n" + call;
        };
        EXPECT_EQ(outcomeOf(bridge, document(limit)), recursion.resultAtTheLimit);
        EXPECT_EQ(outcomeOf(bridge, document(limit + 1)), "ERR cannot exceed a stack depth of 10");
        // A value that never runs out ends at the same limit.
        EXPECT_EQ(outcomeOf(bridge, recursion.endless), "ERR cannot exceed a stack depth of 10");
    }
}

} // namespace
} // namespace hostile
