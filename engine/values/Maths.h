#pragma once

#include <cstdint>

#include "values/Units.h"

namespace engine::Maths {

struct Fraction {
    std::int64_t numerator;
    std::int64_t denominator;
    bool operator==(const Fraction&) const = default;
};

// Lowest terms, the denominator positive and the sign on the numerator:
// −6/4 gives −3/2, 0/5 gives 0/1. Throws InterpretError "Division by zero" for
// a zero denominator and "Arithmetic overflow" when the result is not
// representable.
Fraction reduceFraction(std::int64_t numerator, std::int64_t denominator);

// Exactly the entries whose exponent is not 0, in their order.
Units removeZeroExponents(const Units& units);

// Every unit of either map with exponent left + sign × right (a missing unit
// counts as 0), in first-appearance order: the left map's units, then the
// right map's new ones. Entries may come out as 0. Throws "Arithmetic
// overflow" when an exponent leaves the representable range.
Units mergeUnits(const Units& left, const Units& right, int sign);

} // namespace engine::Maths
