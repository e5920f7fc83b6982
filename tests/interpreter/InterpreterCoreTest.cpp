// Binding, units and operator dispatch by operand kind.

#include "RunDocument.h"

#include "interpreter/StandardLibrary.h"

namespace engine::testing {
namespace {

// An error value, a callable, a table, a list and bork to combine in the
// dispatch tables; each definition line renders as its own output.
constexpr std::string_view kinds = "e = table_get(key: \"k\", from: table_new())\n"
                                   "t = table_new()\n"
                                   "l = [1]\n"
                                   "b = !\"x\"\n";
constexpr std::string_view kindsOutputs = "ERROR: missing key 'k' in table | table with 0 entries () | "
                                          "list with 1 entries | ¡bork!";

// Runs `kinds` followed by one expression and returns what the expression gave.
std::string withKinds(std::string_view expression)
{
    const auto described = runDocument(std::string(kinds) + std::string(expression));
    if (described.rfind(kindsOutputs, 0) == 0 && described.size() > kindsOutputs.size() + 3)
        return described.substr(kindsOutputs.size() + 3);
    return described;
}

struct KindsCase {
    std::string_view expression;
    std::string_view expected;
};

void expectWithKinds(std::initializer_list<KindsCase> rows)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expression);
        EXPECT_EQ(withKinds(row.expression), row.expected);
    }
}

TEST(InterpreterCore, EmptyDocumentHasNoOutputs)
{
    EXPECT_TRUE(Interpreter::interpret({}, 0).empty());
    expectDocuments({{"", ""}, {"\n\n# only a comment\n", ""}});
}

TEST(InterpreterCore, NamesAreBoundOncePerRun)
{
    expectDocuments({
        {"a = 2\na * 3", "2 | 6"},
        {"a = 2\na * 3\na = 5", "ERR cannot re-bind a"},
        {"x: 3\nx", "3 | 3"},
        {"a = b = 2\na + b", "2 | 4"},
        // The re-binding test comes before the value, whose error is not reported.
        {"a = 5 m\na = a + 1", "ERR cannot re-bind a"},
        // A failed assignment binds nothing.
        {"x = 1 + \"s\"\nx = 2\nx", "ERR Invalid operation between number and string"},
        {"x = 1 + \"s\"\nx = 2", "ERR Invalid operation between number and string"},
        // The value may bind the name itself; the outer binding then fails.
        {"x = (x = 1)", "ERR cannot re-bind x"},
        {"round = 1", "ERR cannot re-bind round"},
        {"function round = (x) { x }", "ERR cannot re-bind round"},
        {"function f = (x) { x }\nf = 2", "ERR cannot re-bind f"},
        {"f = 2\nfunction f = (x) { x }", "ERR cannot re-bind f"},
        // Names are exact: case matters.
        {"a = 1\nA = 2\na + A", "1 | 2 | 3"},
    });
    // A failing line fails the run but the lines after it still run: their
    // errors are reported too, in line order.
    expectDocuments({{"1 + \"a\"\nx = 1\nx = 2\n\"a\" - \"b\"",
                      "ERR Invalid operation between number and string | cannot re-bind x | "
                      "Invalid operation between string and string"}});
}

TEST(InterpreterCore, EveryBuiltInNameIsReserved)
{
    for (const auto& [name, value] : StandardLibrary::functions()) {
        SCOPED_TRACE(name);
        EXPECT_EQ(runDocument(name + " = 1"), "ERR cannot re-bind " + name);
        EXPECT_EQ(runDocument("function " + name + " = (x) { x }"), "ERR cannot re-bind " + name);
    }
}

TEST(InterpreterCore, UnboundNamesAreUnits)
{
    expectDocuments({
        {"kg", "1 kg"},
        {"3 * kg", "3 kg"},
        {"5 km / (2 h)", "2.5 km per h"},
        {"2 m * 3 m", "6 (m²)"},
        {"6 m / 3 m", "2"},
        {"x = 2 kg\nx * x / kg", "2 kg | 4 kg"},
        // Units are names; km and m are unrelated.
        {"1 km + 1 m", "ERR Cannot add two numbers with conflicting units: 'km' and 'm'"},
    });
}

TEST(InterpreterCore, UnaryDispatchByOperandKind)
{
    expectWithKinds({
        {"-3", "-3"},
        {"-(2 m)", "-2 m"},
        {"!3", "ERR Invalid operation: '!' with a number"},
        {"-\"a\"", "ERR Invalid operation: '-' with a string"},
        {"!\"true\"", "\"false\""},
        {"!\"false\"", "\"true\""},
        {"!\"yes\"", "¡bork!"},
        {"!\"True\"", "¡bork!"},
        {"!\"\"", "¡bork!"},
        {"-round", "¡bork!"},
        {"!round", "¡bork!"},
        {"-t", "¡bork!"},
        {"!t", "¡bork!"},
        {"-l", "¡bork!"},
        {"!l", "¡bork!"},
        {"-e", "ERROR: missing key 'k' in table"},
        {"!e", "ERROR: missing key 'k' in table"},
        {"-b", "¡bork!"},
        {"!b", "¡bork!"},
        {"!!\"true\"", "\"true\""},
    });
}

TEST(InterpreterCore, BinaryDispatchWithNumberOnTheRight)
{
    expectWithKinds({
        // number with number: the Number operation named like the operator
        {"1/2 + 1/3", "5/6"},
        {"1/2 - 1/3", "1/6"},
        {"3/4 * 4/3", "1"},
        {"6 m / 2 s", "3 m per s"},
        {"7 % 3", "1"},
        {"2 > 1", "\"true\""},
        {"1/2 >= 1/2", "\"true\""},
        {"1/3 < 1/2", "\"true\""},
        {"1/2 <= 1/3", "\"false\""},
        {"1/2 == 2/4", "\"true\""},
        {"2 m != 3 s", "\"false\""},
        {"2 m == 2 s", "ERR Couldn't compare inconvertible units"},
        // string with number: only repetition
        {"\"ab\" * 3", "\"ababab\""},
        {"\"ab\" * 0", "\"\""},
        {"\"ab\" + 2", "ERR Invalid operation between string and number"},
        {"\"ab\" == 2", "ERR Invalid operation between string and number"},
        {"\"ab\" * (3/2)", "ERR Cannot multiply strings by a non-integer"},
        // callable with number
        {"round + 1", "ERR Binary operations not allowed on callables"},
        {"round * 2", "ERR Binary operations not allowed on callables"},
        // table with number
        {"t + 1", "¡bork!"},
        {"t * 2", "¡bork!"},
        // list with number: only repetition, each element in place
        {"[1, 2] * 2", "list with 4 entries"},
        {"[1, 2] * 0", "list with 0 entries"},
        {"l + 1", "¡bork!"},
        {"l == 1", "¡bork!"},
        {"l * 1 m", "ERR Cannot multiply lists by a number with a unit"},
        // error and bork on the left win
        {"e + 1", "ERROR: missing key 'k' in table"},
        {"b + 1", "¡bork!"},
        {"b * 0", "¡bork!"},
    });
}

TEST(InterpreterCore, BinaryDispatchWithStringOnTheRight)
{
    expectWithKinds({
        {"1 + \"a\"", "ERR Invalid operation between number and string"},
        {"1 == \"a\"", "ERR Invalid operation between number and string"},
        {"1 != \"a\"", "ERR Invalid operation between number and string"},
        {"\"ab\" + \"cd\"", "\"abcd\""},
        {"\"\" + \"x\"", "\"x\""},
        {"\"a\" == \"a\"", "\"true\""},
        {"\"a\" == \"b\"", "\"false\""},
        {"\"a\" != \"b\"", "\"true\""},
        // canonically equivalent texts are equal: precomposed é and e with a combining accent
        {"\"\u00e9\" == \"e\u0301\"", "\"true\""},
        {"\"a\" - \"b\"", "ERR Invalid operation between string and string"},
        {"\"a\" < \"b\"", "ERR Invalid operation between string and string"},
        {"\"a\" * \"b\"", "ERR Invalid operation between string and string"},
        {"round + \"a\"", "ERR Binary operations not allowed on callables"},
        {"t + \"a\"", "¡bork!"},
        {"l + \"a\"", "¡bork!"},
        {"e == \"a\"", "ERROR: missing key 'k' in table"},
        {"b + \"a\"", "¡bork!"},
    });
}

TEST(InterpreterCore, BinaryDispatchOfTheRemainingKinds)
{
    expectWithKinds({
        // bork on the right comes before the callable rule
        {"1 + b", "¡bork!"},
        {"round + b", "¡bork!"},
        {"l + b", "¡bork!"},
        // a callable on either side
        {"l + round", "ERR Binary operations not allowed on callables"},
        {"t + round", "ERR Binary operations not allowed on callables"},
        {"1 + round", "ERR Binary operations not allowed on callables"},
        {"\"a\" + round", "ERR Binary operations not allowed on callables"},
        {"round == round", "ERR Binary operations not allowed on callables"},
        // everything else
        {"[1] + [2]", "¡bork!"},
        {"1 + [1]", "¡bork!"},
        {"\"a\" + [1]", "¡bork!"},
        {"t + t", "¡bork!"},
        {"l + t", "¡bork!"},
        {"1 * t", "¡bork!"},
    });
}

TEST(InterpreterCore, ErrorValuesWinOverEveryOtherRule)
{
    expectWithKinds({
        {"1 + e", "ERROR: missing key 'k' in table"},
        {"\"a\" - e", "ERROR: missing key 'k' in table"},
        {"e + round", "ERROR: missing key 'k' in table"},
        {"round + e", "ERROR: missing key 'k' in table"},
        {"b + e", "ERROR: missing key 'k' in table"},
        {"e + b", "ERROR: missing key 'k' in table"},
        {"l * e", "ERROR: missing key 'k' in table"},
        {"e + table_get(key: 2, from: t)", "ERROR: missing key 'k' in table ; missing key '2/1' in table"},
        {"e + e + e", "ERROR: missing key 'k' in table ; missing key 'k' in table ; missing key 'k' in table"},
    });
    // An error value is a result, not a failure.
    expectDocuments({{"table_get(key: 1, from: table_new())\n2", "ERROR: missing key '1/1' in table | 2"}});
}

TEST(InterpreterCore, OperandsEvaluateLeftFirstAndFailFast)
{
    expectDocuments({
        // The left operand's failure is reported; the right one never runs.
        {"(1 + \"a\") + (\"a\" - \"b\")", "ERR Invalid operation between number and string"},
        // The left operand's binding stays although the right one fails.
        {"(x = 2) + (1 + \"a\")\nx = 3", "ERR Invalid operation between number and string | cannot re-bind x"},
    });
}

TEST(InterpreterCore, ListLiterals)
{
    expectDocuments({
        {"[]", "list with 0 entries"},
        {"[1, 2]", "list with 2 entries"},
        {"[1 2 3]", "list with 3 entries"},
        {"[1,, 2,]", "list with 2 entries"},
        // error values and bork are collected like any value
        {"[table_get(key: 1, from: table_new()), !\"x\", round]", "list with 3 entries"},
        {"[1, 1 + \"a\", 3]", "ERR Invalid operation between number and string"},
    });
}

} // namespace
} // namespace engine::testing
