#include "values/Number.h"

#include <algorithm>
#include <limits>
#include <string>
#include <string_view>

#include "values/InterpretError.h"
#include "values/Maths.h"
#include "values/ValueUnion.h"
#include "writer/ASTWriter.h"

namespace engine {

namespace {

using Maths::Wide;

constexpr std::string_view addConflict = "Cannot add two numbers with conflicting units: '";
constexpr std::string_view subtractConflict = "Cannot subtract two numbers with conflicting units: '";
constexpr std::string_view inconvertibleUnits = "Couldn't compare inconvertible units";
constexpr std::string_view uncommonFractions = "Modulo operator undefined for uncommon fractions";
constexpr std::string_view moduloConflict = "Cannot modulo two numbers with conflicting units";
constexpr std::string_view moduloByZero = "Modulo by zero";

// Canonical numbers never hold the most negative 64-bit value; refusing it
// here keeps every 128-bit sum of products in range even for a number built
// by hand.
void checkOperand(const Number& number)
{
    constexpr auto excluded = std::numeric_limits<std::int64_t>::min();
    if (number.numerator == excluded || number.denominator == excluded)
        InterpretError::raise(Maths::arithmeticOverflow);
}

Number make(Wide numerator, Wide denominator, Units units)
{
    const auto [n, d] = Maths::reduceWide(numerator, denominator);
    return Number(n, d, std::move(units));
}

void checkSameUnits(const Number& left, const Number& right, std::string_view prefix)
{
    if (left.units == right.units)
        return;
    std::string message(prefix);
    message += ASTWriter::writeUnits(left.units);
    message += "' and '";
    message += ASTWriter::writeUnits(right.units);
    message += "'";
    throw InterpretError(std::move(message));
}

ValueUnion sum(const Number& left, const Number& right, int sign, std::string_view conflict)
{
    checkSameUnits(left, right, conflict);
    checkOperand(left);
    checkOperand(right);
    const Wide numerator =
        Wide(left.numerator) * right.denominator + Wide(sign) * (Wide(right.numerator) * left.denominator);
    return make(numerator, Wide(left.denominator) * right.denominator, Maths::removeZeroExponents(left.units));
}

// The order of two numbers with the same units.
int order(const Number& left, const Number& right)
{
    if (!(left.units == right.units))
        InterpretError::raise(inconvertibleUnits);
    return Maths::compare({left.numerator, left.denominator}, {right.numerator, right.denominator});
}

ValueUnion truth(bool value) { return EString::fromBool(value); }

} // namespace

ValueUnion Number::negate() const
{
    return make(-Wide(numerator), denominator, Maths::removeZeroExponents(units));
}

ValueUnion Number::add(const Number& left, const Number& right) { return sum(left, right, 1, addConflict); }

ValueUnion Number::subtract(const Number& left, const Number& right)
{
    return sum(left, right, -1, subtractConflict);
}

ValueUnion Number::multiply(const Number& left, const Number& right)
{
    auto units = Maths::combineUnits(left.units, right.units, 1);
    return make(Wide(left.numerator) * right.numerator, Wide(left.denominator) * right.denominator,
                std::move(units));
}

ValueUnion Number::divide(const Number& left, const Number& right)
{
    if (right.numerator == 0)
        InterpretError::raise(Maths::divisionByZero);
    auto units = Maths::combineUnits(left.units, right.units, -1);
    return make(Wide(left.numerator) * right.denominator, Wide(left.denominator) * right.numerator,
                std::move(units));
}

ValueUnion Number::modulo(const Number& left, const Number& right)
{
    if (left.denominator != right.denominator)
        InterpretError::raise(uncommonFractions);
    if (!(left.units == right.units))
        InterpretError::raise(moduloConflict);
    if (right.numerator == 0)
        InterpretError::raise(moduloByZero);
    // At full width, the most negative value modulo −1 is 0 rather than a trap.
    const Wide remainder = Wide(left.numerator) % Wide(right.numerator);
    return make(remainder, left.denominator, Maths::removeZeroExponents(left.units));
}

ValueUnion Number::equality(const Number& left, const Number& right) { return truth(order(left, right) == 0); }

ValueUnion Number::inequality(const Number& left, const Number& right)
{
    if (!(left.units == right.units))
        return truth(false);
    return truth(Maths::compare({left.numerator, left.denominator}, {right.numerator, right.denominator}) != 0);
}

ValueUnion Number::greater(const Number& left, const Number& right) { return truth(order(left, right) > 0); }

ValueUnion Number::greaterEqual(const Number& left, const Number& right) { return truth(order(left, right) >= 0); }

ValueUnion Number::lesser(const Number& left, const Number& right) { return truth(order(left, right) < 0); }

ValueUnion Number::lesserEqual(const Number& left, const Number& right) { return truth(order(left, right) <= 0); }

} // namespace engine
