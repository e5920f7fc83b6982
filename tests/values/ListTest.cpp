#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "Outcome.h"
#include "values/Number.h"

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

struct RepetitionCase {
    List list;
    Number count;
    std::string expected;
};

TEST(List, Repetition)
{
    const Units m{{"m", 1}};
    const std::vector<RepetitionCase> cases = {
        {numbers({1, 2, 3}), {3, 1}, "[1 1 1 2 2 2 3 3 3]"},
        {numbers({1, 2}), {0, 1}, "[]"},
        {numbers({}), {-3, 1}, "[]"},
        {numbers({}), {M, 1}, "[]"},
        {List({Table(), ValueUnion::error("oops"), numbers({1})}), {2, 1},
         "[<table> <table> <error> <error> [1] [1]]"},
        {numbers({1}), {3, 2, m}, "error: Cannot multiply lists by a non-integer"},
        {numbers({}), {1, 2}, "error: Cannot multiply lists by a non-integer"},
        {numbers({1}), {-3, 1, m}, "error: Cannot multiply lists by a number with a unit"},
        {numbers({1, 2}), {500'001, 1}, "error: Result too large"},
        {numbers({1}), {M, 1}, "error: Result too large"},
        {numbers({1, 2, 3}), {M / 2, 1}, "error: Result too large"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] { return List::multiply(c.list, c.count); }), c.expected)
            << describe(c.list) << " * " << describe(c.count);
}

TEST(List, RepetitionUpToTheLimit)
{
    const auto result = List::multiply(numbers({7, 8}), Number(500'000, 1));
    const auto& elements = result.as<List>()->value();
    ASSERT_EQ(elements.size(), List::maxElements);
    EXPECT_EQ(describe(elements[499'999]), "7");
    EXPECT_EQ(describe(elements[500'000]), "8");
}

} // namespace
} // namespace engine
