#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Outcome.h"
#include "frontend/SyntaxTree.h"
#include "values/With.h"

namespace engine {
namespace {

constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t maximum = std::numeric_limits<std::int64_t>::max();

template <typename T>
std::uint64_t hashOf(const T& value)
{
    return Hasher::single([&](Hasher& hasher) { value.hash(hasher); });
}

ValueUnion number(std::int64_t numerator, std::int64_t denominator = 1, Units units = {})
{
    return Number(numerator, denominator, std::move(units));
}

ValueUnion string(std::string text) { return EString(std::move(text)); }

ValueUnion list(std::vector<ValueUnion> elements) { return List(std::move(elements)); }

Callable builtin(std::string name, int result)
{
    return Callable::externalFunction(
        {std::move(name), [result](const FunctionArguments&, Interpreter&) { return number(result); }});
}

Table tableOf(std::vector<std::pair<ValueUnion, ValueUnion>> entries)
{
    Table table;
    for (const auto& [key, value] : entries)
        table = table.with(key, value);
    return table;
}

// Expected answers come from Unicode's canonical decompositions.
TEST(EString, EqualityIsCanonicalEquivalenceAndTheHashAgrees)
{
    const std::vector<std::tuple<const char*, std::string, std::string, bool>> cases = {
        {"sameAscii", "kg", "kg", true},
        {"otherAscii", "kg", "Kg", false},
        {"trailingSpace", "true", "true ", false},
        {"emptyStrings", "", "", true},
        {"precomposedAndDecomposed", "caf\u00e9", "cafe\u0301", true},
        {"angstromSign", "\u212b", "\u00c5", true},
        {"angstromDecomposed", "\u212b", "A\u030a", true},
        {"markOrder", "q\u0307\u0323", "q\u0323\u0307", true},
        {"hangulSyllableAndJamo", "\ud55c", "\u1112\u1161\u11ab", true},
        {"compatibilityOnly", "\ufb01", "fi", false},
        {"fullWidth", "\uff41", "a", false},
        {"accentMatters", "e", "\u00e9", false},
        {"differentMarks", "e\u0301", "e\u0300", false},
        {"strayBytesCompareAsBytes", "\xff", "\xff", true},
        {"differentStrayBytes", "\xff", "\xfe", false},
    };
    for (const auto& [name, left, right, equivalent] : cases) {
        SCOPED_TRACE(name);
        const EString leftString(left), rightString(right);
        EXPECT_EQ(leftString == rightString, equivalent);
        EXPECT_EQ(rightString == leftString, equivalent);
        EXPECT_EQ(hashOf(leftString) == hashOf(rightString), equivalent);
        EXPECT_EQ(string(left) == string(right), equivalent);
        EXPECT_EQ(hashOf(string(left)) == hashOf(string(right)), equivalent);
        EXPECT_EQ(outcome([&] { return EString::equality(leftString, rightString); }), equivalent ? "true" : "false");
        EXPECT_EQ(outcome([&] { return EString::inequality(leftString, rightString); }), equivalent ? "false" : "true");
    }
}

template <typename T>
struct Pair {
    const char* name;
    T left, right;
    bool equal, sameHash;
};

template <typename T>
void expectPairs(const std::vector<Pair<T>>& pairs)
{
    for (const auto& [name, left, right, equal, sameHash] : pairs) {
        EXPECT_EQ(left == right, equal) << name;
        EXPECT_EQ(right == left, equal) << name;
        EXPECT_EQ(hashOf(left) == hashOf(right), sameHash) << name;
    }
}

TEST(ValueModel, EqualityAndHashOfEachKind)
{
    const Units speed{{"m", 1}, {"s", -1}};
    expectPairs<Number>({
        {"unitsInAnotherOrder", {5, 1, speed}, {5, 1, {{"s", -1}, {"m", 1}}}, true, true},
        {"equalityIgnoresUnitsTheHashDoesNot", {5, 1, speed}, {5, 1, {{"m", 1}}}, true, false},
        {"exponentSign", {5, 1, speed}, {5, 1, {{"m", 1}, {"s", 1}}}, true, false},
        {"numeratorAndDenominator", {1, 2}, {2, 1}, false, false},
    });
    expectPairs<List>({
        {"elementwise", List({number(1), string("a")}), List({number(1), string("a")}), true, true},
        {"order", List({number(1), number(2)}), List({number(2), number(1)}), false, false},
        {"length", List({number(1)}), List({number(1), number(1)}), false, false},
        {"empty", List(), List(), true, true},
        {"innerListsNeverEqual", List({list({number(1)})}), List({list({number(1)})}), false, true},
        {"countsSeparateTheLeaves", List({list({number(1)}), number(2)}), List({list({number(1), number(2)})}),
         false, false},
    });
    const auto ab = tableOf({{string("a"), number(1)}, {string("b"), number(2)}});
    expectPairs<Table>({
        {"orderIgnored", ab, tableOf({{string("b"), number(2)}, {string("a"), number(1)}}), true, true},
        {"otherValue", ab, tableOf({{string("a"), number(1)}, {string("b"), number(3)}}), false, false},
        {"fewerEntries", ab, tableOf({{string("a"), number(1)}}), false, false},
        // A per-field sum would miss values swapped across keys.
        {"valuesSwapped", ab, tableOf({{string("a"), number(2)}, {string("b"), number(1)}}), false, false},
        {"valuesNeverEqual", tableOf({{string("a"), list({})}}), tableOf({{string("a"), list({})}}), false, true},
    });
    const Token xToken{TokenType::identifier, "x", std::nullopt, 0, 1};
    const auto function = [&](std::string inner) {
        return Callable::userDefinedFunction({{"by", inner}}, ReturnMapping::singleValue(),
                                             {Expression{ExpressionKind::reference("x"), &xToken}});
    };
    expectPairs<Callable>({
        {"builtinsByName", builtin("table_get(key:from)", 1), builtin("table_get(key:from)", 2), true, true},
        {"otherBuiltins", builtin("table_get(key:from)", 1), builtin("list_map(list:with)", 1), false, false},
        {"functionsStructurally", function("x"), function("x"), true, true},
        {"otherInnerName", function("x"), function("y"), false, false},
        {"functionAndBuiltin", function("x"), builtin("x", 1), false, false},
    });
    // As values, only numbers and strings ever compare equal. An error value
    // feeds its message to the hash.
    const auto aList = list({number(1)});
    expectPairs<ValueUnion>({
        {"otherNumbers", number(1, 2), number(1, 3), false, false},
        {"unitsIgnored", number(5, 1, {{"m", 1}}), number(5, 1, {{"s", 1}}), true, false},
        {"numberAndString", number(1), string("1"), false, false},
        {"aListAndItself", aList, aList, false, true},
        {"emptyLists", list({}), list({}), false, true},
        {"tables", Table(), Table(), false, true},
        {"errorValues", ValueUnion::error("x"), ValueUnion::error("x"), false, true},
        {"errorMessages", ValueUnion::error("a"), ValueUnion::error("b"), false, false},
        {"bork", ValueUnion::bork(), ValueUnion::bork(), false, true},
        {"callables", builtin("f", 1), builtin("f", 1), false, true},
    });
}

TEST(List, NestingIsBounded)
{
    ValueUnion value = number(1);
    for (std::uint32_t depth = 1; depth <= List::maxNestingDepth; ++depth)
        value = list({value});
    EXPECT_EQ(value.as<List>()->depth(), List::maxNestingDepth);
    EXPECT_EQ(outcome([&] { return list({value}); }), "error: Value nested too deeply");
    EXPECT_EQ(outcome([&] { return Table().with(string("k"), value); }), "error: Value nested too deeply");
}

// Keys keep their first place; numbers match on value and units, strings on
// canonical equivalence, and keys of every other kind are stored but never
// found.
TEST(Table, KeysAndInsertionOrder)
{
    const auto original = tableOf({{string("z"), number(1)}, {string("caf\u00e9"), number(2)}});
    const auto aList = list({number(1)});
    const auto bork = ValueUnion::bork();
    auto table = original.with(number(1), number(3))
                     .with(string("1"), number(4))
                     .with(number(5, 1, {{"m", 1}, {"s", -1}}), number(5))
                     .with(number(5), number(6));
    std::int64_t next = 7;
    for (const auto& key : {aList, ValueUnion(Table()), ValueUnion::error("e"), bork, ValueUnion(builtin("f", 1))}) {
        table = table.with(key, number(next)).with(key, number(next + 1));
        next += 2;
    }
    table = table.with(string("cafe\u0301"), number(17)).with(string("z"), number(18));
    // The Kelvin sign's normal form is the ASCII letter K.
    table = table.with(string("K"), number(19)).with(string("\u212a"), number(20));

    std::string values;
    for (const auto& entry : table.value())
        values += describe(entry.second) + " ";
    EXPECT_EQ(values, "18 17 3 4 5 6 7 8 9 10 11 12 13 14 15 16 20 ");

    const std::vector<std::pair<ValueUnion, std::string>> lookups = {
        {string("z"), "18"},
        {string("cafe\u0301"), "17"},
        {string("caf\u00e9"), "17"},
        {string("K"), "20"},
        {string("\u212a"), "20"},
        {number(1), "3"},
        {string("1"), "4"},
        {number(5, 1, {{"s", -1}, {"m", 1}}), "5"},
        {number(5), "6"},
        {number(5, 1, {{"m", 1}}), "none"},
        {aList, "none"},
        {list({number(1)}), "none"},
        {bork, "none"},
    };
    for (const auto& [key, expected] : lookups) {
        const auto* found = table.find(key);
        EXPECT_EQ(found ? describe(*found) : "none", expected) << describe(key);
    }
    // `with` leaves the original untouched.
    EXPECT_EQ(original.size(), 2u);
    EXPECT_EQ(describe(*original.find(string("z"))), "1");
}

TEST(With, GetGivesTheValueOrNothing)
{
    const std::vector<int> three{10, 20, 30};
    const std::vector<std::pair<std::int64_t, std::optional<int>>> indices{
        {-1, std::nullopt}, {0, 10}, {2, 30}, {3, std::nullopt}, {minimum, std::nullopt}, {maximum, std::nullopt},
    };
    for (const auto& [index, expected] : indices)
        EXPECT_EQ(get(three, index), expected) << index;
    const auto table = tableOf({{string("k"), number(4)}});
    EXPECT_EQ(describe(get(table.value(), string("k")).value()), "4");
    EXPECT_FALSE(get(table.value(), string("missing")).has_value());
}

} // namespace
} // namespace engine
