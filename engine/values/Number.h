#pragma once

#include <algorithm>
#include <cstdint>

#include "values/Hasher.h"
#include "values/Units.h"

namespace engine {

class ValueUnion;

// An exact rational number with units. Every number an operation builds is
// canonical: reduced, the sign on the numerator, zero as 0/1, no unit with
// exponent 0. Numerator, denominator and every exponent stay within
// ±(2^63 − 1); an operation whose true result does not fit throws
// InterpretError "Arithmetic overflow" rather than wrapping.
class Number {
public:
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
    Units units;

    Number() = default;
    // Memberwise: stores the fields as given, without reducing them.
    Number(std::int64_t numerator, std::int64_t denominator, Units units = {})
        : numerator(numerator), denominator(denominator), units(std::move(units))
    {
    }

    // Numerator and denominator; units are not compared (the language's own
    // comparison operators are the ones that reject different units).
    bool operator==(const Number& other) const
    {
        return numerator == other.numerator && denominator == other.denominator;
    }
    // Numerator, denominator, then the units.
    void hash(Hasher& hasher) const
    {
        hasher.combineSigned(numerator);
        hasher.combineSigned(denominator);
        units.hash(hasher);
    }
    // Whether any unit has a nonzero exponent.
    bool hasUnits() const
    {
        return std::any_of(units.begin(), units.end(), [](const auto& unit) { return unit.second != 0; });
    }

    ValueUnion negate() const;
    static ValueUnion add(const Number& left, const Number& right);
    static ValueUnion subtract(const Number& left, const Number& right);
    static ValueUnion multiply(const Number& left, const Number& right);
    static ValueUnion divide(const Number& left, const Number& right);

    static ValueUnion modulo(const Number& left, const Number& right);
    static ValueUnion equality(const Number& left, const Number& right);
    static ValueUnion inequality(const Number& left, const Number& right);
    static ValueUnion greater(const Number& left, const Number& right);
    static ValueUnion greaterEqual(const Number& left, const Number& right);
    static ValueUnion lesser(const Number& left, const Number& right);
    static ValueUnion lesserEqual(const Number& left, const Number& right);
};

} // namespace engine
