#include "values/Maths.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <string>

#include "values/InterpretError.h"

namespace engine::Maths {

namespace {

__extension__ using UnsignedWide = unsigned __int128;

// The most negative 64-bit value is excluded, so negation is always safe.
constexpr std::int64_t largest = std::numeric_limits<std::int64_t>::max();

[[noreturn]] void throwOverflow() { throw InterpretError(std::string(arithmeticOverflow)); }

// |value| without overflow, even for the most negative 128-bit value.
UnsignedWide magnitude(Wide value)
{
    return value < 0 ? UnsignedWide(0) - UnsignedWide(value) : UnsignedWide(value);
}

// Euclid at full width only while an operand needs it; most numbers are
// small, and 64-bit division is far cheaper than 128-bit division.
UnsignedWide gcd(UnsignedWide a, UnsignedWide b)
{
    while (b != 0 && ((a >> 64) != 0 || (b >> 64) != 0)) {
        const UnsignedWide remainder = a % b;
        a = b;
        b = remainder;
    }
    if (b == 0)
        return a;
    return std::gcd(static_cast<std::uint64_t>(a), static_cast<std::uint64_t>(b));
}

// reduceWide for parts that fit in 64 bits, as most do: 64-bit division
// costs a fraction of 128-bit division.
Fraction reduceNarrow(std::uint64_t n, std::uint64_t d, bool negative)
{
    // Whole numbers, the commonest results, are in lowest terms already.
    if (d != 1) {
        const std::uint64_t divisor = std::gcd(n, d); // d ≠ 0, so divisor ≠ 0; 0/d gives 0/1
        n /= divisor;
        d /= divisor;
    }
    if (n > std::uint64_t(largest) || d > std::uint64_t(largest))
        throwOverflow();
    const auto reducedNumerator = static_cast<std::int64_t>(n);
    return {negative ? -reducedNumerator : reducedNumerator, static_cast<std::int64_t>(d)};
}

} // namespace

std::int64_t narrow(Wide value)
{
    if (value > largest || value < -largest)
        throwOverflow();
    return static_cast<std::int64_t>(value);
}

Fraction reduceWide(Wide numerator, Wide denominator)
{
    if (denominator == 0)
        throw InterpretError(std::string(divisionByZero));
    const bool negative = (numerator < 0) != (denominator < 0);
    UnsignedWide n = magnitude(numerator);
    UnsignedWide d = magnitude(denominator);
    if ((n >> 64) == 0 && (d >> 64) == 0)
        return reduceNarrow(static_cast<std::uint64_t>(n), static_cast<std::uint64_t>(d), negative);
    const UnsignedWide divisor = gcd(n, d); // d ≠ 0, so divisor ≠ 0; 0/d gives 0/1
    n /= divisor;
    d /= divisor;
    if (n > UnsignedWide(largest) || d > UnsignedWide(largest))
        throwOverflow();
    const auto reducedNumerator = static_cast<std::int64_t>(n);
    return {negative ? -reducedNumerator : reducedNumerator, static_cast<std::int64_t>(d)};
}

Fraction reduceFraction(std::int64_t numerator, std::int64_t denominator)
{
    return reduceWide(numerator, denominator);
}

int compare(Fraction left, Fraction right)
{
    const Wide x = Wide(left.numerator) * right.denominator;
    const Wide y = Wide(right.numerator) * left.denominator;
    return (x > y) - (x < y);
}

Units removeZeroExponents(Units units)
{
    // Operations rarely leave a zero, so the units themselves are the usual
    // answer.
    if (std::none_of(units.begin(), units.end(), [](const auto& unit) { return unit.second == 0; }))
        return units;
    return units.withoutZeroExponents();
}

Units mergeUnits(const Units& left, const Units& right, int sign)
{
    // A plain number times one with units takes the right's entries as they
    // are, shared, unless one of them would overflow below.
    if (left.empty() && sign == 1 && std::none_of(right.begin(), right.end(), [](const auto& unit) {
            return unit.second == std::numeric_limits<std::int64_t>::min();
        }))
        return right;
    // Shares the left's entries when the right adds none.
    Units result = left;
    if (!right.empty())
        result.reserve(left.size() + right.size());
    for (const auto& [name, exponent] : right)
        result.set(name, narrow(Wide(result.exponent(name)) + Wide(sign) * exponent));
    return result;
}

Units combineUnits(const Units& left, const Units& right, int sign)
{
    // One side's entries are shared as they are when the other adds nothing
    // to them: a plain number times or over one with units, the commonest case.
    const auto hasZero = [](const Units& units) {
        return std::any_of(units.begin(), units.end(), [](const auto& unit) { return unit.second == 0; });
    };
    if (right.empty())
        return hasZero(left) ? left.withoutZeroExponents() : left;
    if (left.empty() && sign == 1 && !hasZero(right)
        && std::none_of(right.begin(), right.end(),
                        [](const auto& unit) { return unit.second == std::numeric_limits<std::int64_t>::min(); }))
        return right;
    std::vector<Units::Entry> entries;
    entries.reserve(left.size() + right.size());
    // Only the exponents the right side changes are checked, as in mergeUnits.
    for (const auto& entry : left) {
        const auto found =
            std::find_if(right.begin(), right.end(), [&](const auto& unit) { return unit.first == entry.first; });
        const std::int64_t merged =
            found == right.end() ? entry.second : narrow(Wide(entry.second) + Wide(sign) * found->second);
        if (merged != 0)
            entries.emplace_back(entry.first, merged);
    }
    for (const auto& entry : right) {
        if (std::any_of(left.begin(), left.end(), [&](const auto& unit) { return unit.first == entry.first; }))
            continue;
        const std::int64_t merged = narrow(Wide(sign) * entry.second);
        if (merged != 0)
            entries.emplace_back(entry.first, merged);
    }
    return Units(std::move(entries));
}

} // namespace engine::Maths
