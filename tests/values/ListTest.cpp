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

List numbers(const std::vector<std::int64_t>& values)
{
    std::vector<ValueUnion> elements;
    for (const auto value : values)
        elements.emplace_back(Number(value, 1));
    return List(std::move(elements));
}

// The numerators of a list of integers, or the thrown message.
std::string outcome(const List& list, const Number& count)
{
    try {
        const auto result = List::multiply(list, count);
        std::string text = "[";
        for (const auto& element : result.as<List>()->value())
            text += (text.size() > 1 ? " " : "") + std::to_string(element.as<Number>()->numerator);
        return text + "]";
    } catch (const InterpretError& error) {
        return "error: " + error.message;
    }
}

struct RepetitionCase {
    std::vector<std::int64_t> list;
    Number count;
    std::string expected;
};

TEST(List, Repetition)
{
    const Units m{{"m", 1}};
    const std::vector<RepetitionCase> cases = {
        {{1, 2}, {2, 1}, "[1 1 2 2]"},
        {{1, 2}, {0, 1}, "[]"},
        {{1, 2}, {1, 1}, "[1 2]"},
        {{1, 2, 3}, {3, 1}, "[1 1 1 2 2 2 3 3 3]"},
        {{}, {5, 1}, "[]"},
        {{}, {-3, 1}, "[]"},
        {{}, {M, 1}, "[]"},
        {{1}, {3, 2}, "error: Cannot multiply lists by a non-integer"},
        {{1}, {3, 2, m}, "error: Cannot multiply lists by a non-integer"},
        {{}, {1, 2}, "error: Cannot multiply lists by a non-integer"},
        {{1}, {3, 1, m}, "error: Cannot multiply lists by a number with a unit"},
        {{1}, {-3, 1, m}, "error: Cannot multiply lists by a number with a unit"},
        {{1}, {-1, 1}, "error: Cannot multiply lists by a negative number"},
        {{1, 2}, {500'001, 1}, "error: Result too large"},
        {{1}, {1'000'001, 1}, "error: Result too large"},
        {{1}, {M, 1}, "error: Result too large"},
        {{1, 2, 3}, {M / 2, 1}, "error: Result too large"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome(numbers(c.list), c.count), c.expected)
            << c.list.size() << " elements * " << c.count.numerator << "/" << c.count.denominator;
    }
}

TEST(List, RepetitionUpToTheLimit)
{
    const auto result = List::multiply(numbers({7, 8}), Number(500'000, 1));
    const auto& elements = result.as<List>()->value();
    ASSERT_EQ(elements.size(), List::maxElements);
    EXPECT_EQ(elements[499'999].as<Number>()->numerator, 7);
    EXPECT_EQ(elements[500'000].as<Number>()->numerator, 8);
}

TEST(List, EveryKindOfElementRepeatsInPlace)
{
    const Table table = Table().with(EString("key"), Number(1, 1));
    const List inner = numbers({1});
    const List list({table, ValueUnion::error("oops"), inner});
    const auto result = List::multiply(list, Number(2, 1));
    const auto& elements = result.as<List>()->value();
    ASSERT_EQ(elements.size(), 6u);
    const std::vector<ValueUnion::Kind> kinds = {ValueUnion::Kind::table, ValueUnion::Kind::table,
                                                 ValueUnion::Kind::error, ValueUnion::Kind::error,
                                                 ValueUnion::Kind::list,  ValueUnion::Kind::list};
    for (std::size_t i = 0; i < kinds.size(); ++i)
        EXPECT_EQ(elements[i].kind(), kinds[i]) << i;
    EXPECT_EQ(elements[1].as<Table>()->size(), 1u);
    EXPECT_EQ(elements[3].as<ErrorValue>()->message, "oops");
    EXPECT_EQ(result.as<List>()->depth(), list.depth());
}

} // namespace
} // namespace engine
