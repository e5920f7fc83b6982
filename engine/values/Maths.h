#pragma once

#include <cstdint>
#include <string_view>

#include "values/Units.h"

namespace engine::Maths {

// Every product of two 64-bit values, and every sum of two such products of
// canonical numbers, fits in 128 bits; arithmetic is carried out at this width
// and narrowed only once the result is reduced.
__extension__ using Wide = __int128;

inline constexpr std::string_view arithmeticOverflow = "Arithmetic overflow";
inline constexpr std::string_view divisionByZero = "Division by zero";

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
// The same for 128-bit parts: only the reduced result has to fit within
// ±(2^63 − 1), so (2^62/3) × (3/2) is 2^61 although 3 × 2^62 does not fit.
Fraction reduceWide(Wide numerator, Wide denominator);

// The value itself; throws "Arithmetic overflow" outside ±(2^63 − 1).
std::int64_t narrow(Wide value);

// The exact order of two fractions with positive denominators: negative,
// zero or positive as left is below, equal to or above right. Never fails.
int compare(Fraction left, Fraction right);

// Exactly the entries whose exponent is not 0, in their order.
Units removeZeroExponents(Units units);

// Every unit of either map with exponent left + sign × right (a missing unit
// counts as 0), in first-appearance order: the left map's units, then the
// right map's new ones. Entries may come out as 0. Throws "Arithmetic
// overflow" when an exponent leaves the representable range.
Units mergeUnits(const Units& left, const Units& right, int sign);

// removeZeroExponents(mergeUnits(left, right, sign)), built in one pass: the
// units of a product or a quotient.
Units combineUnits(const Units& left, const Units& right, int sign);

} // namespace engine::Maths
