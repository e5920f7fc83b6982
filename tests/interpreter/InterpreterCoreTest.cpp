// Binding and operator dispatch by operand kind; the golden documents hold
// the plain results.

#include "RunDocument.h"

#include "interpreter/StandardLibrary.h"

namespace engine::testing {
namespace {

TEST(InterpreterCore, NamesAreBoundOncePerRun)
{
    EXPECT_TRUE(Interpreter::interpret({}, 0).empty());
    expectDocuments({
        // Names are exact: case matters.
        {"a = 1\nA = 2\na + A", "1 | 2 | 3"},
        // The re-binding test comes before the value, whose error is not reported.
        {"a = 5 m\na = a + 1", "ERR cannot re-bind a"},
        // The value may bind the name itself; the outer binding then fails.
        {"x = (x = 1)", "ERR cannot re-bind x"},
        {"function f = (x) { x }\nf = 2", "ERR cannot re-bind f"},
        // The left operand's failure is reported; the right one never runs.
        {"(1 + \"a\") + (\"a\" - \"b\")", "ERR Invalid operation between number and string"},
        // The left operand's binding stays although the right one fails.
        {"(x = 2) + (1 + \"a\")\nx = 3", "ERR Invalid operation between number and string | cannot re-bind x"},
        {"[1, 1 + \"a\", 3]", "ERR Invalid operation between number and string"},
        // Error values, bork and callables are collected like any value.
        {"[table_get(key: 1, from: table_new()), !\"x\", round]", "list with 3 entries"},
    });
    for (const auto& [name, value] : StandardLibrary::functions()) {
        EXPECT_EQ(runDocument(name + " = 1"), "ERR cannot re-bind " + name);
        EXPECT_EQ(runDocument("function " + name + " = (x) { x }"), "ERR cannot re-bind " + name);
    }
}

// An error value, a callable (round), a table, a list and bork, meeting in
// the rows of the dispatch tables that the golden documents leave out.
TEST(InterpreterCore, DispatchByOperandKind)
{
    constexpr std::string_view kinds = "e = table_get(key: \"k\", from: table_new())\nt = table_new()\nl = [1]\n"
                                       "b = !\"x\"\n";
    constexpr std::string_view kindsOutputs = "ERROR: missing key 'k' in table | table with 0 entries () | "
                                              "list with 1 entries | ¡bork! | ";
    constexpr std::string_view bork = "¡bork!";
    constexpr std::string_view missing = "ERROR: missing key 'k' in table";
    constexpr std::string_view callables = "ERR Binary operations not allowed on callables";
    expectDocuments(
        {
            {"-round", bork}, {"!round", bork}, {"-b", bork}, {"!b", bork}, {"!t", bork}, {"l == 1", bork},
            {"b + 1", bork}, {"b + \"a\"", bork}, {"t + \"a\"", bork}, {"\"a\" + [1]", bork}, {"l + t", bork},
            {"1 * t", bork},
            // Bork on the right comes before the callable rule, and a callable
            // on either side before the rest.
            {"1 + b", bork}, {"round + b", bork},
            {"round + \"a\"", callables}, {"\"a\" + round", callables}, {"t + round", callables},
            {"round == round", callables},
            // Error values come before every other rule, and combine.
            {"\"a\" - e", missing}, {"e + round", missing}, {"round + e", missing}, {"b + e", missing},
            {"e + b", missing}, {"l * e", missing},
            {"e + e + e", "ERROR: missing key 'k' in table ; missing key 'k' in table ; missing key 'k' in table"},
        },
        kinds, kindsOutputs);
}

} // namespace
} // namespace engine::testing

namespace engine::testing {
namespace {

// An unbound name is one of that unit, every time it appears: numbers built
// for a name the run met before never carry a change made to another one.
TEST(InterpreterCore, UnboundNamesAreFreshUnitsEachTime)
{
    expectDocuments({
        {"a = 2 m\nb = m * m\nc = a / m\nm", "2 m | 1 (m²) | 2 | 1 m"},
        {"function f = (x) { x * s }\nf(x: s)\nf(x: 3)\ns", "func(x) | 1 (s²) | 3 s | 1 s"},
        {"x = kg / kg\nkg - kg\nkg", "1 | 0 kg | 1 kg"},
    });
    // Past the names the run keeps at hand, each name still stands for itself.
    std::string source;
    std::string expected;
    for (int index = 0; index < 40; ++index) {
        const auto unit = "u" + std::to_string(index % 20);
        source += unit + " * " + unit + "\n";
        expected += std::string(index == 0 ? "" : " | ") + "1 (" + unit + "²)";
    }
    EXPECT_EQ(runDocument(source), expected);
}

} // namespace
} // namespace engine::testing
