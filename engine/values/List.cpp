#include "values/List.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "values/InterpretError.h"
#include "values/ValueUnion.h"

namespace engine {

namespace {

constexpr std::string_view nonIntegerCount = "Cannot multiply lists by a non-integer";
constexpr std::string_view countWithUnit = "Cannot multiply lists by a number with a unit";
constexpr std::string_view negativeCount = "Cannot multiply lists by a negative number";

} // namespace

void List::checkResultSize(std::size_t elements)
{
    if (elements > maxElements)
        InterpretError::raise(resultTooLarge);
}

ValueUnion List::multiply(const List& list, const Number& count)
{
    if (count.denominator != 1)
        InterpretError::raise(nonIntegerCount);
    if (count.hasUnits())
        InterpretError::raise(countWithUnit);
    if (list.size() == 0)
        return List(); // whatever the count, even a negative one
    if (count.numerator < 0)
        InterpretError::raise(negativeCount);
    const auto times = static_cast<std::uint64_t>(count.numerator);
    // A product that would not fit is far past the limit anyway.
    checkResultSize(times > maxElements ? std::numeric_limits<std::size_t>::max() : list.size() * times);
    const auto repeat = static_cast<std::size_t>(times);
    std::vector<ValueUnion> elements;
    elements.reserve(list.size() * repeat);
    for (const auto& element : list.value())
        elements.insert(elements.end(), repeat, element);
    return List(std::move(elements));
}

} // namespace engine
