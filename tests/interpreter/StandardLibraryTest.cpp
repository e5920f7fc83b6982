// The eleven built-ins: what the golden documents leave out, chiefly the
// order of argument checks, element order and exact rounding.

#include "RunDocument.h"

#include "interpreter/StandardLibrary.h"

namespace engine::testing {
namespace {

TEST(StandardLibrary, ElevenBuiltInsWithTheirDisplayNames)
{
    expectDocuments({
        {"table_new", "table_new()"}, {"table_set", "table_set(key:of:to)"}, {"table_get", "table_get(key:from)"},
        {"magnitude", "magnitude(of)"}, {"match", "match(if:then:else)"}, {"list_map", "list_map(over:using)"},
        {"list_flatmap", "list_flatmap(over:using)"}, {"list_reduce", "list_reduce(over:from:using)"},
        {"map_values", "map_values(over:using:returning)"}, {"round", "round(_:to)"}, {"describe", "describe(_)"},
    });
    EXPECT_EQ(StandardLibrary::functions().size(), 11u);
}

TEST(StandardLibrary, TablesMatchAndDescribe)
{
    expectDocuments({
        // Number keys: equal values with equal units are the same key.
        {"t = table_set(key: (1/2) m, of: table_new(), to: \"half\")\ntable_get(key: (2/4) m, from: t)\n"
         "table_get(key: (1/2) s, from: t)",
         "table with 1 entries (0.5 m) | \"half\" | ERROR: missing key '1/2 s' in table"},
        // An unlabelled first argument is labelled _, not key; checks go in parameter order.
        {"table_set(1, of: table_new(), to: 1)", "ERR table_set must be provided with a 'key' arg"},
        {"table_set(key: 1)", "ERR table_set must be provided with a 'of' arg"},
        // Labels a built-in does not use are ignored.
        {"table_new(size: 3)", "table with 0 entries ()"},
        // Both branches are evaluated before the call.
        {"match(if: \"true\", then: 1, else: 1 + \"a\")", "ERR Invalid operation between number and string"},
        {"describe(5 km)", "\"5 km\""},
        {"describe(!\"x\")", "\"¡bork!\""},
    });
}

TEST(StandardLibrary, Lists)
{
    // The helpers show a list's elements in order.
    constexpr std::string_view helpers = "function square = (_ x) { x * x }\n"
                                         "function pair = (_ x) { [x, x] }\n"
                                         "function add = (accumulator, item) { accumulator + item }\n"
                                         "function show = (accumulator, item) { accumulator + describe(item) + \",\" }\n";
    constexpr std::string_view outputs = "func(_) | func(_) | func(accumulator:item) | func(accumulator:item) | ";
    expectDocuments(
        {
            {"list_reduce(over: list_map(over: [1, 2, 3], using: square), from: \"\", using: show)", "\"1,4,9,\""},
            {"list_reduce(over: list_flatmap(over: [1, 2], using: pair), from: \"\", using: show)", "\"1,1,2,2,\""},
            // A built-in as `using`.
            {"list_reduce(over: list_map(over: [1, 2.5, 1/3], using: describe), from: \"\", using: add)",
             "\"12.51/3\""},
            // Over an empty list `using` is never called, so never checked.
            {"list_map(over: [], using: list_map)", "list with 0 entries"},
            {"list_reduce(over: [1], from: 0, using: square)",
             "ERR unexpected assignment of 'accumulator' while invoking function"},
            // The first failing call aborts with the body's error.
            {"list_map(over: [2, \"a\", \"b\"], using: square)", "ERR Invalid operation between string and string"},
            {"list_reduce(over: [1])", "ERR list_map must be provided with a 'from' arg"},
            {"list_reduce(over: [1], from: 0)", "ERR list_map must be provided with a 'using' arg"},
            {"list_reduce(over: [1], from: 0, using: [add])", "ERR list_map's 'using' must be a Function"},
            // A flatmap's result is held to the same size limit as every list.
            {"function big = (_ x) { [x] * 600000 }\nlist_flatmap(over: [1, 2], using: big)", "ERR Result too large"},
            {"function big = (_ x) { [x] * 500000 }\nlist_flatmap(over: [1, 2], using: big)",
             "func(_) | list with 1000000 entries"},
        },
        helpers, outputs);
}

TEST(StandardLibrary, MapValues)
{
    constexpr std::string_view helpers = "function inc = (key, value) { value + 1 }\n"
                                         "function keyOf = (key, value) { key }\n"
                                         "function bad = (key, value) { 1 + \"s\" }\n"
                                         "t = {a = 1, b = 2.5}\n";
    constexpr std::string_view outputs = "func(key:value) | func(key:value) | func(key:value) | "
                                         "table with 2 entries (a, b) | ";
    expectDocuments(
        {
            {"m = map_values(over: t, using: inc)\ntable_get(key: \"b\", from: m)", "table with 2 entries (a, b) | 3.5"},
            // One line per entry, in the table's order, without keys; no trailing line feed.
            {"map_values(over: t, using: inc, returning: \"lines\")", "\"2\n3.5\""},
            {"map_values(over: {a = [1], b = table_new()}, using: keyOf, returning: \"lines\")", "\"a\nb\""},
            {"map_values(over: table_new(), using: inc, returning: \"lines\")", "\"\""},
            // A wrong `returning` kind fails before `using` is called; a wrong text after.
            {"map_values(over: t, using: bad, returning: 5)", "ERR map_value's 'returning' must be a String"},
            {"map_values(over: t, using: bad, returning: \"csv\")", "ERR Invalid operation between number and string"},
            {"map_values(over: t, using: describe)", "ERR describe must be provided with an '_' arg"},
        },
        helpers, outputs);
}

// Rounding is exact up to the edges of 64 bits; halves go away from zero.
// M = 2^63 − 1 is odd, and 3 does not divide it.
TEST(StandardLibrary, RoundIsExact)
{
    const std::string M = "9223372036854775807";
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"round(0.49, to: 0)", "0/1"},
        // Exactly -1.005, which a double holds as -1.00499999…
        {"round(-1.005, to: 2)", "-101/100"},
        {"round(12345678901234567, to: 0)", "12345678901234567/1"},
        {"round(1 / 3, to: 18)", "333333333333333333/1000000000000000000"},
        {"round(2 / 3, to: 18)", "666666666666666667/1000000000000000000"},
        {"round(" + M + ", to: 18)", M + "/1"},
        {"round(" + M + " km, to: 2)", M + "/1"},
        {"round(" + M + " / 2, to: 0)", "4611686018427387904/1"},
        {"round(-" + M + " / 2, to: 0)", "-4611686018427387904/1"},
        {"round(" + M + " / 3, to: 0)", "3074457345618258602/1"},
        // 1/M is about 1.08 × 10^-19: below half of the 18th digit.
        {"round(1 / " + M + ", to: 18)", "0/1"},
        {"round(9223372036854775806 / " + M + ", to: 18)", "1/1"},
        // 3074457345618258602.3 needs a numerator of 20 digits.
        {"round(" + M + " / 3, to: 1)", "ERR round's result is too large"},
        {"round(1, to: " + M + ")", "ERR round's result is too large"},
        // The unit is checked before the fraction.
        {"round(1.5, to: 1/2 m)", "ERR round's 'to' must be unitless"},
    };
    for (const auto& [source, expected] : rows)
        EXPECT_EQ(runDocument(source, NumberFormat::rational), expected) << source;
}

} // namespace
} // namespace engine::testing
