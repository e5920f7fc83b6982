// The eleven built-ins: results, argument checks in order, every message.

#include "RunDocument.h"

#include "interpreter/StandardLibrary.h"

namespace engine::testing {
namespace {

TEST(StandardLibrary, ElevenBuiltInsWithTheirDisplayNames)
{
    expectDocuments({
        {"table_new", "table_new()"},
        {"table_set", "table_set(key:of:to)"},
        {"table_get", "table_get(key:from)"},
        {"magnitude", "magnitude(of)"},
        {"match", "match(if:then:else)"},
        {"list_map", "list_map(over:using)"},
        {"list_flatmap", "list_flatmap(over:using)"},
        {"list_reduce", "list_reduce(over:from:using)"},
        {"map_values", "map_values(over:using:returning)"},
        {"round", "round(_:to)"},
        {"describe", "describe(_)"},
    });
    EXPECT_EQ(StandardLibrary::functions().size(), 11u);
    // Built once: every call hands out the same table.
    EXPECT_EQ(&StandardLibrary::functions(), &StandardLibrary::functions());
}

TEST(StandardLibrary, Tables)
{
    expectDocuments({
        {"table_new()", "table with 0 entries ()"},
        // The table passed as `of` is never changed.
        {"t = table_new()\nu = table_set(key: \"a\", of: t, to: 1)\ntable_get(key: \"a\", from: u)\n"
         "table_get(key: \"b\", from: u)\nt",
         "table with 0 entries () | table with 1 entries (a) | 1 | ERROR: missing key 'b' in table | "
         "table with 0 entries ()"},
        // Setting an existing key replaces its value in place.
        {"t = {a = 1, b = 2}\nu = table_set(key: \"a\", of: t, to: 3)\ntable_get(key: \"a\", from: u)",
         "table with 2 entries (a, b) | table with 2 entries (a, b) | 3"},
        // Number keys: equal values with equal units are the same key.
        {"t = table_set(key: (1/2) m, of: table_new(), to: \"half\")\ntable_get(key: (2/4) m, from: t)\n"
         "table_get(key: (1/2) s, from: t)",
         "table with 1 entries (0.5 m) | \"half\" | ERROR: missing key '1/2 s' in table"},
        // The missing key is written as a raw rational.
        {"table_get(key: 2, from: table_new())", "ERROR: missing key '2/1' in table"},
        {"table_get(key: -3/2, from: table_new())", "ERROR: missing key '-3/2' in table"},
        // A list key is stored but never found again.
        {"k = [1]\nt = table_set(key: k, of: table_new(), to: 1)\ntable_get(key: k, from: t)",
         "list with 1 entries | table with 1 entries (list with 1 entries) | "
         "ERROR: missing key 'list with 1 entries' in table"},
        // The value may be of any kind.
        {"t = table_set(key: 1, of: table_new(), to: round)\ntable_get(key: 1, from: t)(1.4, to: 0)",
         "table with 1 entries (1) | 1"},
    });
}

TEST(StandardLibrary, TableArgumentChecks)
{
    expectDocuments({
        {"table_set()", "ERR table_set must be provided with a 'key' arg"},
        {"table_set(1, of: table_new(), to: 1)", "ERR table_set must be provided with a 'key' arg"},
        {"table_set(key: 1)", "ERR table_set must be provided with a 'of' arg"},
        {"table_set(key: 1, of: [1], to: 1)", "ERR table_set's 'of' arg must be a table"},
        {"table_set(key: 1, to: 2)", "ERR table_set must be provided with a 'of' arg"},
        {"table_set(key: 1, of: table_new())", "ERR table_set must be provided with a 'to' arg"},
        {"table_get()", "ERR table_get must be provided with a 'key' arg"},
        {"table_get(key: 1)", "ERR table_get must be provided with a 'from' arg"},
        {"table_get(key: 1, from: \"t\")", "ERR table_get's 'from' arg must be a table"},
        // Labels it does not use are ignored.
        {"table_new(size: 3)", "table with 0 entries ()"},
    });
}

TEST(StandardLibrary, MagnitudeAndMatch)
{
    expectDocuments({
        {"magnitude(of: 5 km / h)", "5"},
        {"magnitude(of: -3/4 m)", "-0.75"},
        {"magnitude(of: 2)", "2"},
        {"magnitude(of: \"a\")", "ERR magnitude's of must be a number"},
        {"magnitude()", "ERR magnitude's of must be a number"},
        {"magnitude(5)", "ERR magnitude's of must be a number"},

        {"match(if: \"true\", then: 1, else: 2)", "1"},
        {"match(if: 1 < 2, then: \"yes\", else: \"no\")", "\"yes\""},
        {"match(if: \"false\", then: 1, else: 2)", "2"},
        {"match(if: \"True\", then: 1, else: 2)", "2"},
        {"match(if: 1, then: 1, else: 2)", "2"},
        {"match(if: table_get(key: 1, from: table_new()), then: 1, else: 2)", "2"},
        // Both branches are evaluated before the call.
        {"match(if: \"true\", then: 1, else: 1 + \"a\")", "ERR Invalid operation between number and string"},
        {"match(then: 1, else: 2)", "ERR match must be provided with a 'if' arg"},
        {"match(if: \"true\", else: 2)", "ERR match must be provided with a 'then' arg"},
        {"match(if: \"true\", then: 1)", "ERR match must be provided with a 'else' arg"},
    });
}

// Helpers that the list tests share: they show a list's elements in order.
constexpr std::string_view listHelpers = "function square = (_ x) { x * x }\n"
                                         "function pair = (_ x) { [x, x] }\n"
                                         "function add = (accumulator, item) { accumulator + item }\n"
                                         "function show = (accumulator, item) { accumulator + describe(item) + \",\" }\n";
constexpr std::string_view listHelperOutputs = "func(_) | func(_) | func(accumulator:item) | func(accumulator:item) | ";

void expectWithListHelpers(std::initializer_list<DocumentCase> rows)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        const auto described = runDocument(std::string(listHelpers) + std::string(row.source));
        const auto expected = row.expected.rfind("ERR", 0) == 0 ? std::string(row.expected)
                                                                 : std::string(listHelperOutputs) + std::string(row.expected);
        EXPECT_EQ(described, expected);
    }
}

TEST(StandardLibrary, ListMapAndReduce)
{
    expectWithListHelpers({
        {"list_reduce(over: list_map(over: [1, 2, 3], using: square), from: \"\", using: show)", "\"1,4,9,\""},
        {"list_reduce(over: [1, 2, 3], from: 0, using: add)", "6"},
        // A built-in as `using`.
        {"list_reduce(over: list_map(over: [1, 2.5, 1/3], using: describe), from: \"\", using: add)", "\"12.51/3\""},
        {"list_map(over: [], using: square)", "list with 0 entries"},
        {"list_reduce(over: [], from: 7, using: add)", "7"},
        // Over an empty list `using` is never called, so never checked.
        {"list_map(over: [], using: list_map)", "list with 0 entries"},
        {"list_map(over: [1], using: add)", "ERR unexpected assignment of '_' while invoking function"},
        {"list_reduce(over: [1], from: 0, using: square)",
         "ERR unexpected assignment of 'accumulator' while invoking function"},
        // The first failing call aborts with the body's error.
        {"list_map(over: [2, \"a\", 1 + \"b\"], using: square)", "ERR Invalid operation between number and string"},
        {"list_map(over: [2, \"a\"], using: square)", "ERR Invalid operation between string and string"},

        {"list_map()", "ERR list_map must be provided with an 'over' arg"},
        {"list_map(over: 1, using: square)", "ERR list_map's 'over' must be a List"},
        {"list_map(over: [1])", "ERR list_map must be provided with a 'using' arg"},
        {"list_map(over: [1], using: 1)", "ERR list_map's 'using' must be a Function"},
        {"list_reduce(from: 0, using: add)", "ERR list_map must be provided with an 'over' arg"},
        {"list_reduce(over: table_new(), from: 0, using: add)", "ERR list_map's 'over' must be a List"},
        {"list_reduce(over: [1], using: add)", "ERR list_map must be provided with a 'from' arg"},
        {"list_reduce(over: [1])", "ERR list_map must be provided with a 'from' arg"},
        {"list_reduce(over: [1], from: 0)", "ERR list_map must be provided with a 'using' arg"},
        {"list_reduce(over: [1], from: 0, using: [add])", "ERR list_map's 'using' must be a Function"},
    });
}

TEST(StandardLibrary, ListFlatmap)
{
    expectWithListHelpers({
        {"list_reduce(over: list_flatmap(over: [1, 2], using: pair), from: \"\", using: show)", "\"1,1,2,2,\""},
        {"list_flatmap(over: [], using: pair)", "list with 0 entries"},
        {"list_flatmap(over: [1, 2], using: square)", "ERR list_flatmap's 'using' should return a list"},
        {"list_flatmap()", "ERR list_flatmap must be provided with an 'over' arg"},
        {"list_flatmap(over: \"ab\", using: pair)", "ERR list_flatmap's 'over' must be a List"},
        {"list_flatmap(over: [1])", "ERR list_flatmap must be provided with a 'using' arg"},
        {"list_flatmap(over: [1], using: \"pair\")", "ERR list_flatmap's 'using' must be a Function"},
    });
    // Its result is held to the same size limit as every list.
    expectDocuments({
        {"function big = (_ x) { [x] * 600000 }\nlist_flatmap(over: [1, 2], using: big)", "ERR Result too large"},
        {"function big = (_ x) { [x] * 500000 }\nlist_flatmap(over: [1, 2], using: big)",
         "func(_) | list with 1000000 entries"},
    });
}

TEST(StandardLibrary, MapValues)
{
    constexpr std::string_view helpers = "function inc = (key, value) { value + 1 }\n"
                                         "function keyOf = (key, value) { key }\n"
                                         "function bad = (key, value) { 1 + \"s\" }\n"
                                         "t = {a = 1, b = 2.5}\n";
    constexpr std::string_view outputs = "func(key:value) | func(key:value) | func(key:value) | "
                                         "table with 2 entries (a, b) | ";
    const std::initializer_list<DocumentCase> rows = {
        {"m = map_values(over: t, using: inc)\ntable_get(key: \"b\", from: m)", "table with 2 entries (a, b) | 3.5"},
        {"map_values(over: t, using: inc, returning: \"table\")", "table with 2 entries (a, b)"},
        // One line per entry, in the table's order, without keys; no trailing line feed.
        {"map_values(over: t, using: inc, returning: \"lines\")", "\"2\n3.5\""},
        {"map_values(over: t, using: keyOf, returning: \"lines\")", "\"a\nb\""},
        {"map_values(over: {a = [1], b = table_new()}, using: keyOf, returning: \"lines\")", "\"a\nb\""},
        {"map_values(over: table_new(), using: inc, returning: \"lines\")", "\"\""},
        // A wrong `returning` kind fails before `using` is called; a wrong text after.
        {"map_values(over: t, using: bad, returning: 5)", "ERR map_value's 'returning' must be a String"},
        {"map_values(over: t, using: bad, returning: \"csv\")", "ERR Invalid operation between number and string"},
        {"map_values(over: t, using: inc, returning: \"csv\")",
         "ERR map_value's 'returning' must be either \"table\" or \"lines\""},
        {"map_values(using: inc)", "ERR map_values must be provided with an 'over' arg"},
        {"map_values(over: [1], using: inc)", "ERR map_values's 'table' must be a Table"},
        {"map_values(over: t)", "ERR map_values must be provided with a 'using' arg"},
        {"map_values(over: t, using: t)", "ERR map_values's 'using' must be a Function"},
        {"map_values(over: t, using: describe)", "ERR describe must be provided with an '_' arg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        const auto expected = row.expected.rfind("ERR", 0) == 0 ? std::string(row.expected)
                                                                 : std::string(outputs) + std::string(row.expected);
        EXPECT_EQ(runDocument(std::string(helpers) + std::string(row.source)), expected);
    }
}

TEST(StandardLibrary, RoundIsExact)
{
    expectDocuments({
        {"round(2/3, to: 2)", "0.67"},
        {"round(2/3, to: 2) == 67/100", "\"true\""},
        {"round(-2.5, to: 0)", "-3"},
        {"round(2.5, to: 0)", "3"},
        {"round(0.5, to: 0)", "1"},
        {"round(-0.5, to: 0)", "-1"},
        {"round(0.49, to: 0)", "0"},
        {"round(1.234 km, to: 1)", "1.2"},
        {"round(1.26 km, to: 1)", "1.3"},
        // Exactly 2.675, which a double holds as 2.67499999…
        {"round(2.675, to: 2)", "2.68"},
        {"round(1.005, to: 2)", "1.01"},
        {"round(-1.005, to: 2)", "-1.01"},
        {"round(7, to: 3)", "7"},
        {"round(12345678901234567, to: 0) == 12345678901234567", "\"true\""},
        {"round(9223372036854775807, to: 18) == 9223372036854775807", "\"true\""},
        {"round(1/3, to: 18) == 333333333333333333 / 1000000000000000000", "\"true\""},
        {"round(2/3, to: 18) == 666666666666666667 / 1000000000000000000", "\"true\""},
        {"round(1/3, to: 19)", "ERR round's result is too large"},
        {"round(9223372036854775807 / 3, to: 18)", "ERR round's result is too large"},

        {"round()", "ERR round must be provided with an '_' arg"},
        {"round(to: 1)", "ERR round must be provided with an '_' arg"},
        {"round(\"1.5\", to: 1)", "ERR round's '_' must be a Number"},
        {"round(1.5)", "ERR round must be provided with an 'to' arg"},
        {"round(1.5, to: \"1\")", "ERR round's 'to' must be a Number"},
        {"round(1.5, to: 1 m)", "ERR round's 'to' must be unitless"},
        {"round(1.5, to: 1/2 m)", "ERR round's 'to' must be unitless"},
        {"round(1.5, to: 1/2)", "ERR round's 'to' must be an integer"},
        {"round(1.5, to: -1)", "ERR round's 'to' must be positive or 0"},
    });
}

TEST(StandardLibrary, Describe)
{
    expectDocuments({
        {"describe(1/3)", "\"1/3\""},
        {"describe(4/3)", "\"1 1/3\""},
        {"describe(5 km)", "\"5 km\""},
        // Raw: the text itself, without quotes.
        {"describe(\"a\")", "\"a\""},
        {"describe([1, 2])", "\"list with 2 entries\""},
        {"describe({a = 1})", "\"table with 1 entries (a)\""},
        {"describe(round)", "\"round(_:to)\""},
        {"describe(!\"x\")", "\"¡bork!\""},
        {"describe(table_get(key: \"k\", from: table_new()))", "\"ERROR: missing key 'k' in table\""},
        {"describe()", "ERR describe must be provided with an '_' arg"},
        {"describe(of: 1)", "ERR describe must be provided with an '_' arg"},
    });
}

} // namespace
} // namespace engine::testing
