#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "values/InterpretError.h"
#include "values/Number.h"
#include "values/ValueUnion.h"

namespace engine {
namespace {

constexpr std::int64_t M = std::numeric_limits<std::int64_t>::max();
const std::string tooLarge = "Result too large";

// The text of a string result, "<bork>" for bork, or the thrown message.
template <typename Operation>
std::string outcome(Operation&& operation)
{
    try {
        const ValueUnion result = operation();
        if (const auto* string = result.as<EString>())
            return string->value;
        return result.kind() == ValueUnion::Kind::bork ? "<bork>" : "<other kind>";
    } catch (const InterpretError& error) {
        return "error: " + error.message;
    }
}

std::string repeated(std::string_view piece, std::size_t times)
{
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// One user-perceived character of 17 bytes: e and eight combining acute accents.
const std::string heavyCharacter = "e" + repeated("\u0301", 8);

TEST(EString, NotAndFromBool)
{
    EXPECT_EQ(outcome([] { return EString::fromBool(true); }), "true");
    EXPECT_EQ(outcome([] { return EString::fromBool(false); }), "false");

    const std::vector<std::pair<std::string, std::string>> cases = {
        {"true", "false"}, {"false", "true"}, {"yes", "<bork>"}, {"True", "<bork>"},
        {"1", "<bork>"},   {"", "<bork>"},    {" true", "<bork>"}, {"true\n", "<bork>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] { return EString(c.first).not_(); }), c.second) << c.first;
    // not() of not() of a truth value is that value.
    EXPECT_EQ(outcome([] { return EString::fromBool(true).as<EString>()->not_().as<EString>()->not_(); }), "true");
}

TEST(EString, Concatenation)
{
    const std::vector<std::vector<std::string>> cases = {
        {"", "x", "x"},
        {"x", "", "x"},
        {"", "", ""},
        {"ab", "cd", "abcd"},
        {"e", "\u0301", "e\u0301"},
        {"Grüße ", "🇩🇪", "Grüße 🇩🇪"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] { return EString::add(EString(c[0]), EString(c[1])); }), c[2]) << c[0] << c[1];
}

TEST(EString, ConcatenationStopsAtTheLimits)
{
    const EString half(std::string(500'000, 'a'));
    const EString more(std::string(500'001, 'b'));
    EXPECT_EQ(outcome([&] { return EString::add(half, half); }).size(), 1'000'000u);
    EXPECT_EQ(outcome([&] { return EString::add(half, more); }), "error: " + tooLarge);
    // Fewer characters than the limit, but more bytes than 16 MiB.
    const EString heavy(repeated(heavyCharacter, 500'000));
    ASSERT_EQ(heavy.length(), 500'000u);
    EXPECT_EQ(outcome([&] { return EString::add(heavy, heavy); }), "error: " + tooLarge);
    // Multi-byte characters count as one each: 600,000 two-byte characters
    // and 400,000 more make exactly the limit.
    const EString accented(repeated("é", 600'000));
    const EString rest(repeated("é", 400'000));
    EXPECT_EQ(outcome([&] { return EString::add(accented, rest); }).size(), 2'000'000u);
}

struct RepetitionCase {
    std::string text;
    Number count;
    std::string expected; // the text, or "error: " and the message
};

TEST(EString, Repetition)
{
    const Units m{{"m", 1}};
    const std::vector<RepetitionCase> cases = {
        {"ab", {3, 1}, "ababab"},
        {"ab", {0, 1}, ""},
        {"ab", {1, 1}, "ab"},
        {"", {5, 1}, ""},
        {"", {M, 1}, ""},
        {"é", {3, 1}, "ééé"},
        {"ab", {3, 2}, "error: Cannot multiply strings by a non-integer"},
        {"ab", {3, 2, m}, "error: Cannot multiply strings by a non-integer"},
        {"ab", {-1, 2}, "error: Cannot multiply strings by a non-integer"},
        {"ab", {3, 1, m}, "error: Cannot multiply strings by a number with a unit"},
        {"ab", {-3, 1, m}, "error: Cannot multiply strings by a number with a unit"},
        {"ab", {-1, 1}, "error: Cannot multiply strings by a negative number"},
        {"", {-1, 1}, "error: Cannot multiply strings by a negative number"},
        {"ab", {500'001, 1}, "error: " + tooLarge},
        {"a", {1'000'001, 1}, "error: " + tooLarge},
        {"a", {M, 1}, "error: " + tooLarge},
        {"é", {1'000'001, 1}, "error: " + tooLarge},
        {heavyCharacter, {1'000'000, 1}, "error: " + tooLarge},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] { return EString::multiply(EString(c.text), c.count); }), c.expected)
            << c.text << " * " << c.count.numerator << "/" << c.count.denominator;
}

TEST(EString, RepetitionUpToTheLimits)
{
    const auto pairs = outcome([] { return EString::multiply(EString("ab"), Number(500'000, 1)); });
    EXPECT_EQ(pairs, repeated("ab", 500'000));
    const auto accented = outcome([] { return EString::multiply(EString("é"), Number(1'000'000, 1)); });
    EXPECT_EQ(accented, repeated("é", 1'000'000));
    // 7 bytes a time does not divide the doubling evenly.
    const auto odd = outcome([] { return EString::multiply(EString("abcdefg"), Number(12'345, 1)); });
    EXPECT_EQ(odd, repeated("abcdefg", 12'345));
}

TEST(EString, EqualityIsCanonicalEquivalence)
{
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {
        {"a", "a", true},
        {"a", "b", false},
        {"", "", true},
        {"A", "a", false},
        {"\u00e9", "e\u0301", true}, // precomposed and combining forms
        {"\u00e9", "e", false},
        {"true", "true ", false},
    };
    for (const auto& [left, right, equal] : cases) {
        SCOPED_TRACE(left + " vs " + right);
        const EString leftString(left), rightString(right);
        EXPECT_EQ(outcome([&] { return EString::equality(leftString, rightString); }), equal ? "true" : "false");
        EXPECT_EQ(outcome([&] { return EString::inequality(leftString, rightString); }), equal ? "false" : "true");
    }
}

TEST(EString, LengthCountsUserPerceivedCharacters)
{
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0}, {"abc", 3}, {"e\u0301", 1}, {"🇩🇪", 1}, {"\r\n", 1}, {"Grüße", 5}, {heavyCharacter, 1},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(EString(text).length(), expected) << text;
}

} // namespace
} // namespace engine
