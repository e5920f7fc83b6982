#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <gtest/gtest.h>

#include "EngineVersion.h"
#include "frontend/SyntaxTree.h"
#include "values/InterpretError.h"
#include "values/Maths.h"
#include "values/ValueUnion.h"
#include "values/With.h"

namespace engine {
namespace {

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

ValueUnion builtin(std::string name, int result)
{
    return Callable::externalFunction(
        {std::move(name), [result](const FunctionArguments&, Interpreter&) { return number(result); }});
}

struct StringPair {
    const char* name;
    std::string left;
    std::string right;
    bool equivalent;
};

void PrintTo(const StringPair& row, std::ostream* out) { *out << row.name; }

class StringEquivalence : public testing::TestWithParam<StringPair> {};

TEST_P(StringEquivalence, IsCanonicalAndHashAgrees)
{
    const auto& row = GetParam();
    const EString left(row.left);
    const EString right(row.right);
    EXPECT_EQ(left == right, row.equivalent);
    EXPECT_EQ(right == left, row.equivalent);
    EXPECT_EQ(hashOf(left) == hashOf(right), row.equivalent);
    EXPECT_EQ(string(row.left) == string(row.right), row.equivalent);
    EXPECT_EQ(hashOf(string(row.left)) == hashOf(string(row.right)), row.equivalent);
}

// Expected answers come from Unicode's canonical decompositions.
INSTANTIATE_TEST_SUITE_P(
    Pairs, StringEquivalence,
    testing::Values(StringPair{"sameAscii", "kg", "kg", true}, StringPair{"otherAscii", "kg", "Kg", false},
                    StringPair{"emptyStrings", "", "", true},
                    StringPair{"precomposedAndDecomposed", "caf\u00e9", "cafe\u0301", true},
                    StringPair{"angstromSign", "\u212b", "\u00c5", true},
                    StringPair{"angstromDecomposed", "\u212b", "A\u030a", true},
                    StringPair{"markOrder", "q\u0307\u0323", "q\u0323\u0307", true},
                    StringPair{"hangulSyllableAndJamo", "\ud55c", "\u1112\u1161\u11ab", true},
                    StringPair{"compatibilityOnly", "\ufb01", "fi", false},
                    StringPair{"fullWidth", "\uff41", "a", false},
                    StringPair{"accentMatters", "e", "\u00e9", false},
                    StringPair{"differentMarks", "e\u0301", "e\u0300", false},
                    StringPair{"strayBytesCompareAsBytes", "\xff", "\xff", true},
                    StringPair{"differentStrayBytes", "\xff", "\xfe", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EString, TruthValues)
{
    EXPECT_EQ(EString::true_().value, "true");
    EXPECT_EQ(EString::false_().value, "false");
}

// Which ValueUnion pairs are equal: only numbers with equal Numbers and
// strings with equivalent text.
struct ValuePair {
    const char* name;
    std::function<ValueUnion()> left;
    std::function<ValueUnion()> right;
    bool equal;
};

void PrintTo(const ValuePair& row, std::ostream* out) { *out << row.name; }

class ValueEquality : public testing::TestWithParam<ValuePair> {};

TEST_P(ValueEquality, IsNarrow)
{
    const auto left = GetParam().left();
    const auto right = GetParam().right();
    EXPECT_EQ(left == right, GetParam().equal);
    EXPECT_EQ(right == left, GetParam().equal);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, ValueEquality,
    testing::Values(
        ValuePair{"equalNumbers", [] { return number(1, 2); }, [] { return number(1, 2); }, true},
        ValuePair{"otherNumbers", [] { return number(1, 2); }, [] { return number(1, 3); }, false},
        ValuePair{"unitsIgnored", [] { return number(5, 1, {{"m", 1}}); }, [] { return number(5, 1, {{"s", 1}}); }, true},
        ValuePair{"numberAndString", [] { return number(1); }, [] { return string("1"); }, false},
        ValuePair{"equalStrings", [] { return string("a"); }, [] { return string("a"); }, true},
        ValuePair{"listWithItself", [] { return list({number(1)}); }, [] { return list({number(1)}); }, false},
        ValuePair{"emptyLists", [] { return list({}); }, [] { return list({}); }, false},
        ValuePair{"tables", [] { return ValueUnion(Table()); }, [] { return ValueUnion(Table()); }, false},
        ValuePair{"errorValues", [] { return ValueUnion::error("x"); }, [] { return ValueUnion::error("x"); }, false},
        ValuePair{"bork", [] { return ValueUnion::bork(); }, [] { return ValueUnion::bork(); }, false},
        ValuePair{"callables", [] { return builtin("f", 1); }, [] { return builtin("f", 1); }, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ValueUnion, ValuesNeverEqualThemselvesUnlessNumberOrString)
{
    for (const auto& value : {list({}), ValueUnion(Table()), ValueUnion::error("e"), ValueUnion::bork(), builtin("f", 1)})
        EXPECT_FALSE(value == value) << static_cast<int>(value.kind());
}

TEST(ValueUnion, HashStartsWithTheCaseIndex)
{
    const std::vector<std::pair<ValueUnion, std::uint64_t>> cases{
        {number(1), 0}, {string("s"), 1}, {builtin("f", 1), 2}, {Table(), 3}, {list({}), 4}, {ValueUnion::error("e"), 5},
        {ValueUnion::bork(), 6},
    };
    for (const auto& [value, index] : cases)
        EXPECT_EQ(static_cast<std::uint64_t>(value.kind()), index);
    // Bork feeds its case index and nothing further.
    EXPECT_EQ(hashOf(ValueUnion::bork()), Hasher::single([](Hasher& hasher) { hasher.combine(std::uint64_t{6}); }));
    EXPECT_EQ(hashOf(number(1, 2)), Hasher::single([](Hasher& hasher) {
                  hasher.combine(std::uint64_t{0});
                  Number(1, 2).hash(hasher);
              }));
    // An error value feeds its message, so different messages hash apart.
    EXPECT_NE(hashOf(ValueUnion::error("a")), hashOf(ValueUnion::error("b")));
    EXPECT_EQ(hashOf(ValueUnion::error("a")), hashOf(ValueUnion::error("a")));
}

TEST(Number, HashIncludesUnitsInAnyOrder)
{
    const auto metresPerSecond = number(5, 1, {{"m", 1}, {"s", -1}});
    const auto sameUnitsOtherOrder = number(5, 1, {{"s", -1}, {"m", 1}});
    EXPECT_EQ(hashOf(metresPerSecond), hashOf(sameUnitsOtherOrder));
    EXPECT_NE(hashOf(metresPerSecond), hashOf(number(5, 1, {{"m", 1}})));
    EXPECT_NE(hashOf(metresPerSecond), hashOf(number(5, 1, {{"m", 1}, {"s", 1}})));
    EXPECT_NE(hashOf(number(1, 2)), hashOf(number(2, 1)));
}

TEST(List, EqualityIsElementwise)
{
    EXPECT_EQ(List({number(1), number(2)}), List({number(1), number(2)}));
    EXPECT_NE(List({number(1), number(2)}), List({number(2), number(1)}));
    EXPECT_NE(List({number(1)}), List({number(1), number(1)}));
    EXPECT_EQ(List(), List());
    // Inner lists never compare equal.
    EXPECT_NE(List({list({number(1)})}), List({list({number(1)})}));
}

TEST(List, HashFeedsCountThenElementsInOrder)
{
    EXPECT_EQ(hashOf(List({number(1), string("a")})), hashOf(List({number(1), string("a")})));
    EXPECT_NE(hashOf(List({number(1), number(2)})), hashOf(List({number(2), number(1)})));
    // [[1], 2] and [[1, 2]] hold the same leaves; the counts tell them apart.
    EXPECT_NE(hashOf(List({list({number(1)}), number(2)})), hashOf(List({list({number(1), number(2)})})));
}

TEST(List, NestingIsBounded)
{
    ValueUnion value = number(1);
    for (std::uint32_t depth = 1; depth <= List::maxNestingDepth; ++depth)
        value = list({value});
    EXPECT_EQ(value.as<List>()->depth(), List::maxNestingDepth);
    try {
        List({value});
        FAIL() << "nested past the limit";
    } catch (const InterpretError& error) {
        EXPECT_EQ(error.message, "Value nested too deeply");
    }
}

Table tableOf(std::vector<std::pair<ValueUnion, ValueUnion>> entries)
{
    Table table;
    for (const auto& [key, value] : entries)
        table = table.with(key, value);
    return table;
}

std::vector<std::string> keyTexts(const Table& table)
{
    std::vector<std::string> texts;
    for (const auto& [key, value] : table.value()) {
        if (const auto* text = key.as<EString>())
            texts.push_back(text->value);
        else if (const auto* n = key.as<Number>())
            texts.push_back(std::to_string(n->numerator));
        else
            texts.push_back("?");
    }
    return texts;
}

TEST(Table, IteratesInInsertionOrder)
{
    const auto table = tableOf({{string("z"), number(1)}, {string("a"), number(2)}, {string("m"), number(3)}, {number(7), number(4)}});
    EXPECT_EQ(keyTexts(table), (std::vector<std::string>{"z", "a", "m", "7"}));
}

TEST(Table, ReplacingAValueKeepsItsPlace)
{
    const auto table = tableOf({{string("a"), number(1)}, {string("b"), number(2)}, {string("c"), number(3)}})
                           .with(string("a"), number(9));
    EXPECT_EQ(keyTexts(table), (std::vector<std::string>{"a", "b", "c"}));
    ASSERT_NE(table.find(string("a")), nullptr);
    EXPECT_EQ(*table.find(string("a")), number(9));
}

TEST(Table, WithLeavesTheOriginalUntouched)
{
    const auto original = tableOf({{string("a"), number(1)}});
    const auto changed = original.with(string("a"), number(2)).with(string("b"), number(3));
    EXPECT_EQ(original.size(), 1u);
    EXPECT_EQ(*original.find(string("a")), number(1));
    EXPECT_EQ(changed.size(), 2u);
}

TEST(Table, NumberOneAndStringOneAreTwoKeys)
{
    const auto table = tableOf({{number(1), string("number")}, {string("1"), string("string")}});
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(*table.find(number(1)), string("number"));
    EXPECT_EQ(*table.find(string("1")), string("string"));
}

TEST(Table, ListKeysAreStoredButNeverFound)
{
    const auto key = list({number(1)});
    const auto table = tableOf({{key, number(1)}, {key, number(2)}});
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table.find(key), nullptr);
    EXPECT_EQ(table.find(list({number(1)})), nullptr);
}

TEST(Table, OtherNeverEqualKeysAreStoredButNeverFound)
{
    for (const auto& key : {ValueUnion(Table()), ValueUnion::error("e"), ValueUnion::bork(), builtin("f", 1)}) {
        const auto table = tableOf({{key, number(1)}, {key, number(2)}});
        EXPECT_EQ(table.size(), 2u);
        EXPECT_EQ(table.find(key), nullptr);
    }
}

TEST(Table, NumberKeysMatchOnUnitsToo)
{
    const auto table = tableOf({{number(5, 1, {{"m", 1}, {"s", -1}}), string("speed")}, {number(5), string("plain")}});
    EXPECT_EQ(table.size(), 2u);
    ASSERT_NE(table.find(number(5, 1, {{"s", -1}, {"m", 1}})), nullptr);
    EXPECT_EQ(*table.find(number(5, 1, {{"s", -1}, {"m", 1}})), string("speed"));
    EXPECT_EQ(*table.find(number(5)), string("plain"));
    EXPECT_EQ(table.find(number(5, 1, {{"m", 1}})), nullptr);
}

TEST(Table, CanonicallyEquivalentStringKeysAreOneKey)
{
    const auto table = tableOf({{string("caf\u00e9"), number(1)}, {string("x"), number(2)}, {string("cafe\u0301"), number(3)}});
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(*table.find(string("cafe\u0301")), number(3));
    EXPECT_EQ(*table.find(string("caf\u00e9")), number(3));
    EXPECT_EQ(table.value().begin()->second, number(3)); // still first
}

TEST(Table, EqualityAndHashIgnoreOrder)
{
    const auto forward = tableOf({{string("a"), number(1)}, {string("b"), number(2)}});
    const auto backward = tableOf({{string("b"), number(2)}, {string("a"), number(1)}});
    EXPECT_EQ(forward, backward);
    EXPECT_EQ(hashOf(forward), hashOf(backward));

    const auto otherValue = tableOf({{string("a"), number(1)}, {string("b"), number(3)}});
    EXPECT_NE(forward, otherValue);
    EXPECT_NE(hashOf(forward), hashOf(otherValue));
    EXPECT_NE(forward, tableOf({{string("a"), number(1)}}));
    // Values that never compare equal make tables unequal.
    EXPECT_NE(tableOf({{string("a"), list({})}}), tableOf({{string("a"), list({})}}));
}

// Swapping keys and values across entries must change the hash, which a
// per-field sum would miss.
TEST(Table, HashPairsEachKeyWithItsValue)
{
    const auto table = tableOf({{string("a"), number(1)}, {string("b"), number(2)}});
    const auto swapped = tableOf({{string("a"), number(2)}, {string("b"), number(1)}});
    EXPECT_NE(hashOf(table), hashOf(swapped));
}

TEST(Callable, ExternalFunctionsCompareByName)
{
    const auto first = builtin("table_get(key:from)", 1);
    const auto second = builtin("table_get(key:from)", 2);
    const auto other = builtin("list_map(list:with)", 1);
    EXPECT_EQ(*first.as<Callable>(), *second.as<Callable>());
    EXPECT_EQ(hashOf(first), hashOf(second));
    EXPECT_NE(*first.as<Callable>(), *other.as<Callable>());
    EXPECT_NE(hashOf(first), hashOf(other));
}

TEST(Callable, UserFunctionsCompareStructurally)
{
    const Token xToken{TokenType::identifier, "x", std::nullopt, 0, 1};
    const auto build = [&](std::string inner) {
        return Callable::userDefinedFunction({{"by", inner}}, ReturnMapping::singleValue(),
                                             {Expression{ExpressionKind::reference("x"), xToken}});
    };
    EXPECT_EQ(build("x"), build("x"));
    EXPECT_EQ(hashOf(build("x")), hashOf(build("x")));
    EXPECT_NE(build("x"), build("y"));
    EXPECT_NE(hashOf(build("x")), hashOf(build("y")));
    EXPECT_NE(hashOf(ValueUnion(build("x"))), hashOf(builtin("x", 1)));
}

TEST(Get, ArrayIndexOutOfRangeGivesNothing)
{
    const std::vector<int> three{10, 20, 30};
    const std::vector<std::pair<std::int64_t, std::optional<int>>> cases{
        {-1, std::nullopt}, {0, 10}, {2, 30}, {3, std::nullopt}, {std::numeric_limits<std::int64_t>::min(), std::nullopt},
        {std::numeric_limits<std::int64_t>::max(), std::nullopt},
    };
    for (const auto& [index, expected] : cases)
        EXPECT_EQ(get(three, index), expected) << index;
    EXPECT_EQ(get(std::vector<int>{}, 0), std::nullopt);
}

TEST(Get, MapLookupsGiveTheValueOrNothing)
{
    const std::unordered_map<std::string, int> map{{"a", 1}};
    EXPECT_EQ(get(map, std::string("a")), 1);
    EXPECT_EQ(get(map, std::string("b")), std::nullopt);

    tsl::ordered_map<int, std::string> ordered;
    ordered[2] = "two";
    EXPECT_EQ(get(ordered, 2), "two");
    EXPECT_EQ(get(ordered, 3), std::nullopt);

    const auto table = tableOf({{string("k"), number(4)}});
    const auto found = get(table.value(), string("k"));
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(*found, number(4));
    EXPECT_FALSE(get(table.value(), string("missing")).has_value());
}

TEST(With, ModifiesACopyAndPipes)
{
    const std::vector<int> original{1, 2};
    const auto changed = with(original, [](std::vector<int>& copy) { copy.push_back(3); });
    EXPECT_EQ(original.size(), 2u);
    EXPECT_EQ(changed, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(pipe(21, [](int value) { return value * 2; }), 42);
    EXPECT_TRUE(equals(number(1, 2), number(1, 2)));
    EXPECT_FALSE(equals(ValueUnion::bork(), ValueUnion::bork()));
    EXPECT_THROW(with(original, [](std::vector<int>&) { throw InterpretError("stop"); }), InterpretError);
}

struct FractionCase {
    std::int64_t numerator;
    std::int64_t denominator;
    Maths::Fraction reduced;
};

TEST(Maths, ReduceFractionGivesLowestTermsWithTheSignOnTop)
{
    const std::vector<FractionCase> cases{
        {-6, 4, {-3, 2}}, {6, -4, {-3, 2}}, {-6, -4, {3, 2}}, {0, 5, {0, 1}}, {0, -5, {0, 1}}, {12, 1, {12, 1}},
        {9223372036854775807, 9223372036854775807, {1, 1}},
        {4611686018427387904, -9223372036854775807 - 1, {-1, 2}}, // 2^62 over −2^63
    };
    for (const auto& [numerator, denominator, reduced] : cases) {
        EXPECT_EQ(Maths::reduceFraction(numerator, denominator), reduced) << numerator << "/" << denominator;
    }
}

TEST(Maths, RemoveZeroExponentsKeepsTheRestInOrder)
{
    const auto units = Maths::removeZeroExponents(Units{{"kg", 1}, {"m", 0}, {"s", -2}});
    std::vector<Units::Entry> entries(units.begin(), units.end());
    EXPECT_EQ(entries, (std::vector<Units::Entry>{{"kg", 1}, {"s", -2}}));
    EXPECT_TRUE(Maths::removeZeroExponents(Units{{"m", 0}}).empty());
}

TEST(EngineVersion, SymbolsHoldTheVersion)
{
    EXPECT_EQ(EngineVersionNumber, 1.0);
    EXPECT_STREQ(reinterpret_cast<const char*>(EngineVersionString), "@(#)PROGRAM:Engine  PROJECT:Tarvine-1\n");
}

} // namespace
} // namespace engine
