// Strings and lists: repetition under one set of rules, the size limits,
// and the negation of truth strings.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Outcome.h"
#include "Repeat.h"
#include "values/Number.h"

namespace engine {
namespace {

constexpr std::int64_t M = std::numeric_limits<std::int64_t>::max();
const std::string tooLarge = "error: Result too large";

using test::repeat;

// One user-perceived character of 17 bytes: e and eight combining acute accents.
const std::string heavyCharacter = "e" + repeat("\u0301", 8);

List numbers(const std::vector<std::int64_t>& values)
{
    std::vector<ValueUnion> elements;
    for (const auto value : values)
        elements.emplace_back(Number(value, 1));
    return List(std::move(elements));
}

TEST(EString, Not)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"true", "false"}, {"false", "true"}, {"True", "<bork>"}, {" true", "<bork>"}, {"true\n", "<bork>"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(outcome([&] { return EString(text).not_(); }), expected) << text;
}

TEST(EString, ConcatenationStopsAtTheLimits)
{
    const EString half(std::string(500'000, 'a'));
    const EString more(std::string(500'001, 'b'));
    EXPECT_EQ(outcome([&] { return EString::add(half, half); }).size(), 1'000'000u);
    EXPECT_EQ(outcome([&] { return EString::add(half, more); }), tooLarge);
    // Fewer characters than the limit, but more bytes than 16 MiB.
    const EString heavy(repeat(heavyCharacter, 500'000));
    ASSERT_EQ(heavy.length(), 500'000u);
    EXPECT_EQ(outcome([&] { return EString::add(heavy, heavy); }), tooLarge);
    // Multi-byte characters count as one each: 600,000 two-byte characters
    // and 400,000 more make exactly the limit.
    const EString accented(repeat("é", 600'000));
    const EString rest(repeat("é", 400'000));
    EXPECT_EQ(outcome([&] { return EString::add(accented, rest); }).size(), 2'000'000u);
}

struct RepetitionCase {
    ValueUnion repeated;
    Number count;
    std::string expected;
};

TEST(Repetition, ResultsAndMessages)
{
    const Units m{{"m", 1}};
    const std::vector<RepetitionCase> cases = {
        {EString(""), {M, 1}, ""},
        {EString("é"), {3, 1}, "ééé"},
        // Bytes that are not UTF-8 repeat as they are.
        {EString("\xF0\x9F\x98"), {3, 1}, "\xF0\x9F\x98\xF0\x9F\x98\xF0\x9F\x98"},
        {EString("ab"), {3, 2, m}, "error: Cannot multiply strings by a non-integer"},
        {EString("ab"), {-1, 2}, "error: Cannot multiply strings by a non-integer"},
        {EString("ab"), {-3, 1, m}, "error: Cannot multiply strings by a number with a unit"},
        {EString(""), {-1, 1}, "error: Cannot multiply strings by a negative number"},
        {EString("ab"), {500'001, 1}, tooLarge},
        {EString("a"), {M, 1}, tooLarge},
        {EString("é"), {1'000'001, 1}, tooLarge},
        {EString(heavyCharacter), {1'000'000, 1}, tooLarge},
        {EString(heavyCharacter), {986'896, 1}, tooLarge}, // 16 MiB and 16 bytes

        // Each element repeats in place. An empty list takes any whole count.
        {numbers({1, 2, 3}), {3, 1}, "[1 1 1 2 2 2 3 3 3]"},
        {numbers({1, 2}), {0, 1}, "[]"},
        {numbers({}), {-3, 1}, "[]"},
        {numbers({}), {M, 1}, "[]"},
        {List({Table(), ValueUnion::error("oops"), numbers({1})}), {2, 1},
         "[<table> <table> <error> <error> [1] [1]]"},
        {numbers({1}), {3, 2, m}, "error: Cannot multiply lists by a non-integer"},
        {numbers({}), {1, 2}, "error: Cannot multiply lists by a non-integer"},
        {numbers({1}), {-3, 1, m}, "error: Cannot multiply lists by a number with a unit"},
        {numbers({1, 2}), {500'001, 1}, tooLarge},
        {numbers({1}), {M, 1}, tooLarge},
        {numbers({1, 2, 3}), {M / 2, 1}, tooLarge},
    };
    for (const auto& c : cases) {
        const auto* string = c.repeated.as<EString>();
        const auto repeat = [&] {
            return string ? EString::multiply(*string, c.count) : List::multiply(*c.repeated.as<List>(), c.count);
        };
        EXPECT_EQ(outcome(repeat), c.expected) << describe(c.repeated) << " * " << describe(c.count);
    }
}

TEST(Repetition, UpToTheLimits)
{
    // 7 bytes a time does not divide the doubling evenly; 17 × 986,895 bytes
    // is one short of 16 MiB.
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"ab", 500'000}, {"é", 1'000'000}, {"abcdefg", 12'345}, {heavyCharacter, 986'895}};
    for (const auto& [text, times] : cases) {
        const auto count = static_cast<std::int64_t>(times);
        EXPECT_EQ(outcome([&] { return EString::multiply(EString(text), Number(count, 1)); }), repeat(text, times));
    }
    const auto result = List::multiply(numbers({7, 8}), Number(500'000, 1));
    const auto& elements = result.as<List>()->value();
    ASSERT_EQ(elements.size(), List::maxElements);
    EXPECT_EQ(describe(elements[499'999]), "7");
    EXPECT_EQ(describe(elements[500'000]), "8");
}

} // namespace
} // namespace engine
