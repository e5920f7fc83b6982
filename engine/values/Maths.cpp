#include "values/Maths.h"

#include <limits>
#include <string>

#include "values/InterpretError.h"

namespace engine::Maths {

namespace {

__extension__ using Int128 = __int128;

const std::string arithmeticOverflow = "Arithmetic overflow";
const std::string divisionByZero = "Division by zero";

// The most negative 64-bit value is excluded, so negation is always safe.
constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

std::int64_t checked(Int128 value)
{
    if (value > largest || value < -largest)
        throw InterpretError(arithmeticOverflow);
    return static_cast<std::int64_t>(value);
}

Int128 gcd(Int128 a, Int128 b)
{
    while (b != 0) {
        const Int128 remainder = a % b;
        a = b;
        b = remainder;
    }
    return a;
}

} // namespace

Fraction reduceFraction(std::int64_t numerator, std::int64_t denominator)
{
    if (denominator == 0)
        throw InterpretError(divisionByZero);
    Int128 n = numerator;
    Int128 d = denominator;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const Int128 divisor = gcd(n < 0 ? -n : n, d);
    return {checked(n / divisor), checked(d / divisor)};
}

Units removeZeroExponents(const Units& units)
{
    Units result;
    for (const auto& [name, exponent] : units)
        if (exponent != 0)
            result.set(name, exponent);
    return result;
}

Units mergeUnits(const Units& left, const Units& right, int sign)
{
    Units result = left;
    for (const auto& [name, exponent] : right)
        result.set(name, checked(Int128(result.exponent(name)) + Int128(sign) * exponent));
    return result;
}

} // namespace engine::Maths
