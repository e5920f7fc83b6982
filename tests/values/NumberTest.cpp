#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "values/InterpretError.h"
#include "values/Maths.h"
#include "values/Number.h"
#include "values/ValueUnion.h"

namespace engine {
namespace {

constexpr std::int64_t M = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t twoTo62 = std::int64_t(1) << 62;

const std::string overflow = "Arithmetic overflow";

// What an operation gave: a number, a truth string, or a thrown message.
struct Outcome {
    std::optional<Number> number;
    std::string text;
    std::string error;
};

Outcome run(const std::function<ValueUnion()>& operation)
{
    try {
        const auto result = operation();
        if (const auto* number = result.as<Number>())
            return {*number, {}, {}};
        if (const auto* string = result.as<EString>())
            return {std::nullopt, string->value, {}};
        return {std::nullopt, "<other kind>", {}};
    } catch (const InterpretError& error) {
        return {std::nullopt, {}, error.message};
    }
}

std::vector<Units::Entry> entriesOf(const Units& units) { return {units.begin(), units.end()}; }

// ---------------------------------------------------------------------------
// Canonical form

struct ReduceCase {
    std::int64_t numerator, denominator;
    std::int64_t expectedNumerator, expectedDenominator;
    std::string error;
};

TEST(Maths, ReduceFraction)
{
    const std::vector<ReduceCase> cases = {
        {-6, 4, -3, 2, ""},
        {6, -4, -3, 2, ""},
        {-6, -4, 3, 2, ""},
        {0, 5, 0, 1, ""},
        {0, -5, 0, 1, ""},
        {7, 1, 7, 1, ""},
        {M, -1, -M, 1, ""},
        {minimum, 2, -twoTo62, 1, ""},
        {minimum, minimum, 1, 1, ""},
        {2, minimum, -1, twoTo62, ""},
        {minimum, 1, 0, 0, overflow},
        {1, minimum, 0, 0, overflow},
        {5, 0, 0, 0, "Division by zero"},
        {0, 0, 0, 0, "Division by zero"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.numerator) + "/" + std::to_string(c.denominator));
        try {
            const auto result = Maths::reduceFraction(c.numerator, c.denominator);
            EXPECT_EQ(c.error, "");
            EXPECT_EQ(result, (Maths::Fraction{c.expectedNumerator, c.expectedDenominator}));
        } catch (const InterpretError& error) {
            EXPECT_EQ(error.message, c.error);
        }
    }
}

TEST(Maths, ReduceWideNarrowsOnlyTheReducedResult)
{
    const Maths::Wide big = Maths::Wide(twoTo62) * 3; // does not fit 64 bits
    EXPECT_EQ(Maths::reduceWide(big, 6), (Maths::Fraction{twoTo62 / 2, 1}));
    EXPECT_EQ(Maths::reduceWide(-big, big * 5), (Maths::Fraction{-1, 5}));
    EXPECT_THROW(Maths::reduceWide(big, 7), InterpretError);
    EXPECT_THROW(Maths::reduceWide(7, big), InterpretError);
}

TEST(Maths, MergeUnitsKeepsFirstAppearanceOrder)
{
    const Units left{{"kg", 1}, {"s", -1}};
    const Units right{{"m", 1}, {"s", 1}, {"A", 2}};
    const auto merged = Maths::mergeUnits(left, right, 1);
    EXPECT_EQ(entriesOf(merged), (std::vector<Units::Entry>{{"kg", 1}, {"s", 0}, {"m", 1}, {"A", 2}}));
    EXPECT_EQ(entriesOf(Maths::removeZeroExponents(merged)),
              (std::vector<Units::Entry>{{"kg", 1}, {"m", 1}, {"A", 2}}));
    EXPECT_EQ(entriesOf(Maths::mergeUnits(left, right, -1)),
              (std::vector<Units::Entry>{{"kg", 1}, {"s", -2}, {"m", -1}, {"A", -2}}));
}

// ---------------------------------------------------------------------------
// Arithmetic: results and messages

enum class Op { add, subtract, multiply, divide, modulo, negate };

ValueUnion apply(Op op, const Number& left, const Number& right)
{
    switch (op) {
    case Op::add: return Number::add(left, right);
    case Op::subtract: return Number::subtract(left, right);
    case Op::multiply: return Number::multiply(left, right);
    case Op::divide: return Number::divide(left, right);
    case Op::modulo: return Number::modulo(left, right);
    case Op::negate: return left.negate();
    }
    return {};
}

struct ArithmeticCase {
    const char* name;
    Op op;
    Number left, right;
    Number expected; // numerator, denominator and units in their expected order
    std::string error;
};

const Units m{{"m", 1}};
const Units s{{"s", 1}};
const Number none;

TEST(Number, ArithmeticResultsAndMessages)
{
    const std::vector<ArithmeticCase> cases = {
        {"1/2 + 1/3", Op::add, {1, 2}, {1, 3}, {5, 6}, ""},
        {"1/2 - 1/2", Op::subtract, {1, 2}, {1, 2}, {0, 1}, ""},
        {"2 m - 2 m keeps the units", Op::subtract, {2, 1, m}, {2, 1, m}, {0, 1, m}, ""},
        {"-1/3 + 1/6", Op::add, {-1, 3}, {1, 6}, {-1, 6}, ""},
        {"3/4 * 4/3", Op::multiply, {3, 4}, {4, 3}, {1, 1}, ""},
        {"-1/2 * -2", Op::multiply, {-1, 2}, {-2, 1}, {1, 1}, ""},
        {"0 * -5", Op::multiply, {0, 1}, {-5, 1}, {0, 1}, ""},
        {"2 m * 3 m", Op::multiply, {2, 1, m}, {3, 1, m}, {6, 1, {{"m", 2}}}, ""},
        {"2 m * 3 s", Op::multiply, {2, 1, m}, {3, 1, s}, {6, 1, {{"m", 1}, {"s", 1}}}, ""},
        {"3 kg * 2 m", Op::multiply, {3, 1, {{"kg", 1}}}, {2, 1, m}, {6, 1, {{"kg", 1}, {"m", 1}}}, ""},
        {"2 m * 3 kg", Op::multiply, {2, 1, m}, {3, 1, {{"kg", 1}}}, {6, 1, {{"m", 1}, {"kg", 1}}}, ""},
        {"2 m * 1/2 per m", Op::multiply, {2, 1, m}, {1, 2, {{"m", -1}}}, {1, 1}, ""},
        {"6 m / 2 s", Op::divide, {6, 1, m}, {2, 1, s}, {3, 1, {{"m", 1}, {"s", -1}}}, ""},
        {"6 m / 3 m", Op::divide, {6, 1, m}, {3, 1, m}, {2, 1}, ""},
        {"1 / -2", Op::divide, {1, 1}, {-2, 1}, {-1, 2}, ""},
        {"0 / 5", Op::divide, {0, 1}, {5, 1}, {0, 1}, ""},
        {"5 / 0", Op::divide, {5, 1}, {0, 1}, {}, "Division by zero"},
        {"0 / 0", Op::divide, {0, 1}, {0, 1}, {}, "Division by zero"},
        {"5 m / 0 s", Op::divide, {5, 1, m}, {0, 1, s}, {}, "Division by zero"},
        {"7 % 3", Op::modulo, {7, 1}, {3, 1}, {1, 1}, ""},
        {"7/2 % 3/2", Op::modulo, {7, 2}, {3, 2}, {1, 2}, ""},
        {"5 m % 3 m", Op::modulo, {5, 1, m}, {3, 1, m}, {2, 1, m}, ""},
        {"-7 % 3", Op::modulo, {-7, 1}, {3, 1}, {-1, 1}, ""},
        {"7 % -3", Op::modulo, {7, 1}, {-3, 1}, {1, 1}, ""},
        {"6 % 3", Op::modulo, {6, 1}, {3, 1}, {0, 1}, ""},
        {"6 m % 3 m", Op::modulo, {6, 1, m}, {3, 1, m}, {0, 1, m}, ""},
        {"9/4 % 3/4 reduces", Op::modulo, {9, 4}, {3, 4}, {0, 1}, ""},
        {"1/2 % 1/3", Op::modulo, {1, 2}, {1, 3}, {}, "Modulo operator undefined for uncommon fractions"},
        {"1/2 m % 1/3 s: denominators first", Op::modulo, {1, 2, m}, {1, 3, s}, {},
         "Modulo operator undefined for uncommon fractions"},
        {"5 m % 3 s", Op::modulo, {5, 1, m}, {3, 1, s}, {}, "Cannot modulo two numbers with conflicting units"},
        {"5 m % 3", Op::modulo, {5, 1, m}, {3, 1}, {}, "Cannot modulo two numbers with conflicting units"},
        {"5 % 0", Op::modulo, {5, 1}, {0, 1}, {}, "Modulo by zero"},
        {"5 m % 0 s: units first", Op::modulo, {5, 1, m}, {0, 1, s}, {},
         "Cannot modulo two numbers with conflicting units"},
        {"-M % -1", Op::modulo, {-M, 1}, {-1, 1}, {0, 1}, ""},
        {"-M % M", Op::modulo, {-M, 1}, {M, 1}, {0, 1}, ""},
        {"negate 0", Op::negate, {0, 1}, none, {0, 1}, ""},
        {"negate 3 m", Op::negate, {3, 1, m}, none, {-3, 1, m}, ""},
        {"negate -M/2", Op::negate, {-M, 2}, none, {M, 2}, ""},
        {"2 m + 3 s", Op::add, {2, 1, m}, {3, 1, s}, {},
         "Cannot add two numbers with conflicting units: 'm' and 's'"},
        {"2 + 3 m", Op::add, {2, 1}, {3, 1, m}, {}, "Cannot add two numbers with conflicting units: '' and 'm'"},
        {"2 m + 2", Op::add, {2, 1, m}, {2, 1}, {}, "Cannot add two numbers with conflicting units: 'm' and ''"},
        {"2 m - 3 s", Op::subtract, {2, 1, m}, {3, 1, s}, {},
         "Cannot subtract two numbers with conflicting units: 'm' and 's'"},
        {"acceleration - speed", Op::subtract, {1, 1, {{"m", 1}, {"s", -2}}}, {1, 1, {{"m", 1}, {"s", -1}}}, {},
         "Cannot subtract two numbers with conflicting units: 'm(per s²)' and 'm per s'"},
        {"units in another order add", Op::add, {1, 1, {{"m", 1}, {"s", 1}}}, {2, 1, {{"s", 1}, {"m", 1}}},
         {3, 1, {{"m", 1}, {"s", 1}}}, ""},

        // The edges of the representable range.
        {"2^62/3 * 3/2: only the reduced result must fit", Op::multiply, {twoTo62, 3}, {3, 2}, {twoTo62 / 2, 1}, ""},
        {"M/2 + M/2", Op::add, {M, 2}, {M, 2}, {M, 1}, ""},
        {"1/M + 1/M", Op::add, {1, M}, {1, M}, {2, M}, ""},
        {"M + 0", Op::add, {M, 1}, {0, 1}, {M, 1}, ""},
        {"M + 1", Op::add, {M, 1}, {1, 1}, {}, overflow},
        {"-M - 1 would be the excluded minimum", Op::subtract, {-M, 1}, {1, 1}, {}, overflow},
        {"-M + M", Op::add, {-M, 1}, {M, 1}, {0, 1}, ""},
        {"1/M - 1/(M-1)", Op::subtract, {1, M}, {1, M - 1}, {}, overflow},
        {"M * M", Op::multiply, {M, 1}, {M, 1}, {}, overflow},
        {"M * 1/M", Op::multiply, {M, 1}, {1, M}, {1, 1}, ""},
        {"M/2 * 2/M", Op::multiply, {M, 2}, {2, M}, {1, 1}, ""},
        {"(M-1)/M * M/(M-1)", Op::multiply, {M - 1, M}, {M, M - 1}, {1, 1}, ""},
        {"-M * -1", Op::multiply, {-M, 1}, {-1, 1}, {M, 1}, ""},
        {"2^62 * 2", Op::multiply, {twoTo62, 1}, {2, 1}, {}, overflow},
        {"-2^62 * 2 is the excluded minimum", Op::multiply, {-twoTo62, 1}, {2, 1}, {}, overflow},
        {"M / M", Op::divide, {M, 1}, {M, 1}, {1, 1}, ""},
        {"1/M / M", Op::divide, {1, M}, {M, 1}, {}, overflow},
        {"M/3 / M/6", Op::divide, {M, 3}, {M, 6}, {2, 1}, ""},
        {"exponent M times one more", Op::multiply, {1, 1, {{"m", M}}}, {1, 1, m}, {}, overflow},
        {"exponent -M divided by one more", Op::divide, {1, 1, {{"m", -M}}}, {1, 1, m}, {}, overflow},
        {"exponent M times -M cancels", Op::multiply, {2, 1, {{"m", M}}}, {3, 1, {{"m", -M}}}, {6, 1}, ""},
        {"the excluded minimum as an operand", Op::add, {minimum, 1}, {0, 1}, {}, overflow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = run([&] { return apply(c.op, c.left, c.right); });
        EXPECT_EQ(outcome.error, c.error);
        if (!c.error.empty())
            continue;
        ASSERT_TRUE(outcome.number);
        EXPECT_EQ(outcome.number->numerator, c.expected.numerator);
        EXPECT_EQ(outcome.number->denominator, c.expected.denominator);
        EXPECT_EQ(entriesOf(outcome.number->units), entriesOf(c.expected.units));
    }
}

TEST(Number, OperandsAreNeverChanged)
{
    const Number left(2, 1, m);
    const Number right(3, 1, s);
    EXPECT_THROW(Number::add(left, right), InterpretError);
    (void)Number::multiply(left, right);
    EXPECT_EQ(entriesOf(left.units), entriesOf(m));
    EXPECT_EQ(entriesOf(right.units), entriesOf(s));
}

// ---------------------------------------------------------------------------
// Comparison

enum class Cmp { equality, inequality, greater, greaterEqual, lesser, lesserEqual };

ValueUnion compare(Cmp op, const Number& left, const Number& right)
{
    switch (op) {
    case Cmp::equality: return Number::equality(left, right);
    case Cmp::inequality: return Number::inequality(left, right);
    case Cmp::greater: return Number::greater(left, right);
    case Cmp::greaterEqual: return Number::greaterEqual(left, right);
    case Cmp::lesser: return Number::lesser(left, right);
    case Cmp::lesserEqual: return Number::lesserEqual(left, right);
    }
    return {};
}

struct ComparisonCase {
    const char* name;
    Cmp op;
    Number left, right;
    std::string expected; // "true", "false" or the message
};

TEST(Number, ComparisonResultsAndMessages)
{
    const auto half = Maths::reduceFraction(2, 4);
    const std::string inconvertible = "Couldn't compare inconvertible units";
    const std::vector<ComparisonCase> cases = {
        {"1/2 == 2/4", Cmp::equality, {1, 2}, {half.numerator, half.denominator}, "true"},
        {"2 m == 2 m", Cmp::equality, {2, 1, m}, {2, 1, m}, "true"},
        {"2 m == 3 m", Cmp::equality, {2, 1, m}, {3, 1, m}, "false"},
        {"2 m == 2 s", Cmp::equality, {2, 1, m}, {2, 1, s}, inconvertible},
        {"2 m != 2 s", Cmp::inequality, {2, 1, m}, {2, 1, s}, "false"},
        {"2 m != 3 s", Cmp::inequality, {2, 1, m}, {3, 1, s}, "false"},
        {"2 m != 3 m", Cmp::inequality, {2, 1, m}, {3, 1, m}, "true"},
        {"2 m != 2 m", Cmp::inequality, {2, 1, m}, {2, 1, m}, "false"},
        {"-1 < 0", Cmp::lesser, {-1, 1}, {0, 1}, "true"},
        {"1/3 < 1/2", Cmp::lesser, {1, 3}, {1, 2}, "true"},
        {"1/2 <= 1/2", Cmp::lesserEqual, {1, 2}, {1, 2}, "true"},
        {"1/2 > 1/2", Cmp::greater, {1, 2}, {1, 2}, "false"},
        {"1/2 >= 1/2", Cmp::greaterEqual, {1, 2}, {1, 2}, "true"},
        {"-1/2 > -2/3", Cmp::greater, {-1, 2}, {-2, 3}, "true"},
        {"2 < 2 m", Cmp::lesser, {2, 1}, {2, 1, m}, inconvertible},
        {"2 m > 2", Cmp::greater, {2, 1, m}, {2, 1}, inconvertible},
        {"2 m >= 2 s", Cmp::greaterEqual, {2, 1, m}, {2, 1, s}, inconvertible},
        {"2 m <= 2 s", Cmp::lesserEqual, {2, 1, m}, {2, 1, s}, inconvertible},
        {"2 == 2 m", Cmp::equality, {2, 1}, {2, 1, m}, inconvertible},
        {"2 != 2 m", Cmp::inequality, {2, 1}, {2, 1, m}, "false"},
        {"units in another order compare", Cmp::lesser, {1, 1, {{"m", 1}, {"s", 1}}}, {2, 1, {{"s", 1}, {"m", 1}}},
         "true"},
        // Cross products far outside 64 bits.
        {"M/(M-1) < (M-1)/(M-2)", Cmp::lesser, {M, M - 1}, {M - 1, M - 2}, "true"},
        {"(M-1)/M > (M-2)/(M-1)", Cmp::greater, {M - 1, M}, {M - 2, M - 1}, "true"},
        {"1/M < 1/(M-1)", Cmp::lesser, {1, M}, {1, M - 1}, "true"},
        {"-M < -(M-1)", Cmp::lesser, {-M, 1}, {-(M - 1), 1}, "true"},
        {"-M/(M-1) >= -M/(M-1)", Cmp::greaterEqual, {-M, M - 1}, {-M, M - 1}, "true"},
        {"M > -M", Cmp::greater, {M, 1}, {-M, 1}, "true"},
        {"(M-1)/M != (M-2)/(M-1)", Cmp::inequality, {M - 1, M}, {M - 2, M - 1}, "true"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto outcome = run([&] { return compare(c.op, c.left, c.right); });
        EXPECT_EQ(outcome.error.empty() ? outcome.text : outcome.error, c.expected);
    }
}

// ---------------------------------------------------------------------------
// Randomized: every operation against an independent exact reference.

__extension__ using I128 = __int128;
__extension__ using U128 = unsigned __int128;

int trailingZeros(U128 value)
{
    const auto low = static_cast<std::uint64_t>(value);
    return low != 0 ? __builtin_ctzll(low) : 64 + __builtin_ctzll(static_cast<std::uint64_t>(value >> 64));
}

// Stein's binary algorithm, deliberately unlike the engine's Euclid.
U128 binaryGcd(U128 a, U128 b)
{
    if (a == 0)
        return b;
    if (b == 0)
        return a;
    const int shift = trailingZeros(a | b);
    a >>= trailingZeros(a);
    while (b != 0) {
        b >>= trailingZeros(b);
        if (a > b)
            std::swap(a, b);
        b -= a;
    }
    return a << shift;
}

U128 absolute(I128 value) { return value < 0 ? U128(-value) : U128(value); }

// The exact rational n/d (d ≠ 0) in lowest terms if it is representable.
std::optional<Maths::Fraction> representable(I128 n, I128 d)
{
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const U128 g = binaryGcd(absolute(n), U128(d));
    n /= I128(g);
    d /= I128(g);
    if (n > M || n < -M || d > M)
        return std::nullopt;
    return Maths::Fraction{static_cast<std::int64_t>(n), static_cast<std::int64_t>(d)};
}

// Order by continued-fraction expansion, which never forms the cross products
// the engine compares. Denominators positive.
int referenceOrder(I128 a, I128 b, I128 c, I128 d)
{
    int sign = 1;
    for (;;) {
        const I128 q1 = a / b - (a % b != 0 && a < 0 ? 1 : 0); // floor
        const I128 q2 = c / d - (c % d != 0 && c < 0 ? 1 : 0);
        if (q1 != q2)
            return q1 < q2 ? -sign : sign;
        const I128 r1 = a - q1 * b; // 0 <= r1 < b
        const I128 r2 = c - q2 * d;
        if (r1 == 0 || r2 == 0)
            return r1 == r2 ? 0 : (r1 == 0 ? -sign : sign);
        // r1/b against r2/d has the opposite order of b/r1 against d/r2.
        a = b;
        b = r1;
        c = d;
        d = r2;
        sign = -sign;
    }
}

class RandomFractions {
public:
    explicit RandomFractions(std::uint64_t seed) : engine_(seed) {}

    // A canonical number of random size; every few draws shares a large
    // factor with its partner, so intermediates overflow 64 bits while the
    // reduced result often fits.
    std::pair<Number, Number> pair()
    {
        switch (engine_() % 4) {
        case 0: { // products whose big factors cancel
            const auto g = factor();
            return {make(small(g), scaled(g)), make(scaled(g), positive(small(g)))};
        }
        case 1: { // sums over a large common denominator
            const auto g = factor();
            return {make(small(g), scaled(g)), make(small(g), scaled(g))};
        }
        case 2: { // a common denominator, so modulo applies
            const auto denominator = engine_() % 2 ? 1 : positive(integer());
            return {Number(coprimeTo(denominator), denominator), Number(coprimeTo(denominator), denominator)};
        }
        default:
            return {make(integer(), positive(integer())), make(integer(), positive(integer()))};
        }
    }

private:
    // Up to 63 random bits with a random sign; never the excluded minimum.
    std::int64_t integer()
    {
        const auto bits = static_cast<int>(engine_() % 64);
        const auto magnitude = bits == 0 ? 0 : static_cast<std::int64_t>(engine_() >> (64 - bits));
        return engine_() % 2 ? -magnitude : magnitude;
    }
    static std::int64_t positive(std::int64_t value) { return value == 0 ? 1 : (value < 0 ? -value : value); }
    std::int64_t factor() { return positive(static_cast<std::int64_t>(engine_() >> (2 + engine_() % 40))); }
    std::int64_t scaled(std::int64_t g) { return g * positive(small(g)); }
    // A value small enough that g times it still fits.
    std::int64_t small(std::int64_t g)
    {
        const auto room = M / g;
        return static_cast<std::int64_t>(engine_() % static_cast<std::uint64_t>(room)) * (engine_() % 2 ? -1 : 1);
    }
    static Number make(std::int64_t n, std::int64_t d)
    {
        const auto reduced = *representable(n, d);
        return {reduced.numerator, reduced.denominator};
    }
    // A numerator that leaves n/d in lowest terms.
    std::int64_t coprimeTo(std::int64_t d)
    {
        for (;;) {
            const auto n = integer();
            if (binaryGcd(absolute(n), U128(d)) == 1)
                return n;
        }
    }

    std::mt19937_64 engine_;
};

void expectOutcome(const Outcome& outcome, const std::optional<Maths::Fraction>& expected, const char* what)
{
    SCOPED_TRACE(what);
    if (!expected) {
        EXPECT_EQ(outcome.error, overflow);
        return;
    }
    ASSERT_TRUE(outcome.number) << outcome.error;
    EXPECT_EQ(outcome.number->numerator, expected->numerator);
    EXPECT_EQ(outcome.number->denominator, expected->denominator);
}

TEST(Number, RandomFractionsAgreeWithExactReference)
{
    RandomFractions random(20240611);
    constexpr int pairs = 10000;
    int overflows = 0, fitsDespiteWideIntermediates = 0, modulos = 0;
    for (int i = 0; i < pairs; ++i) {
        const auto operands = random.pair();
        const Number& left = operands.first;
        const Number& right = operands.second;
        const I128 a = left.numerator, b = left.denominator, c = right.numerator, d = right.denominator;
        SCOPED_TRACE(std::to_string(left.numerator) + "/" + std::to_string(left.denominator) + " and " +
                     std::to_string(right.numerator) + "/" + std::to_string(right.denominator));

        const auto sum = representable(a * d + c * b, b * d);
        expectOutcome(run([&] { return Number::add(left, right); }), sum, "add");
        expectOutcome(run([&] { return Number::subtract(left, right); }), representable(a * d - c * b, b * d),
                      "subtract");
        const auto product = representable(a * c, b * d);
        expectOutcome(run([&] { return Number::multiply(left, right); }), product, "multiply");
        if (c != 0)
            expectOutcome(run([&] { return Number::divide(left, right); }), representable(a * d, b * c), "divide");
        overflows += !sum + !product;
        const I128 wide = static_cast<I128>(M);
        fitsDespiteWideIntermediates += (product && (a * c > wide || a * c < -wide || b * d > wide)) ? 1 : 0;

        // Identities, wherever the intermediate result fits.
        if (sum) {
            const Number total(sum->numerator, sum->denominator);
            const auto back = run([&] { return Number::subtract(total, right); });
            ASSERT_TRUE(back.number);
            EXPECT_EQ(*back.number, left);
        }
        if (product && c != 0) {
            const Number total(product->numerator, product->denominator);
            const auto back = run([&] { return Number::divide(total, right); });
            ASSERT_TRUE(back.number);
            EXPECT_EQ(*back.number, left);
        }

        const int order = referenceOrder(a, b, c, d);
        const auto truth = [](bool value) { return std::string(value ? "true" : "false"); };
        EXPECT_EQ(run([&] { return Number::equality(left, right); }).text, truth(order == 0));
        EXPECT_EQ(run([&] { return Number::inequality(left, right); }).text, truth(order != 0));
        EXPECT_EQ(run([&] { return Number::greater(left, right); }).text, truth(order > 0));
        EXPECT_EQ(run([&] { return Number::greaterEqual(left, right); }).text, truth(order >= 0));
        EXPECT_EQ(run([&] { return Number::lesser(left, right); }).text, truth(order < 0));
        EXPECT_EQ(run([&] { return Number::lesserEqual(left, right); }).text, truth(order <= 0));

        // The remainder: sign of the dividend, smaller than the divisor, and
        // the dividend minus it a whole multiple of the divisor.
        const auto remainder = run([&] { return Number::modulo(left, right); });
        if (b != d) {
            EXPECT_EQ(remainder.error, "Modulo operator undefined for uncommon fractions");
        } else if (c == 0) {
            EXPECT_EQ(remainder.error, "Modulo by zero");
        } else {
            ++modulos;
            ASSERT_TRUE(remainder.number) << remainder.error;
            const auto r = representable(remainder.number->numerator, remainder.number->denominator);
            const I128 scaledRemainder = I128(r->numerator) * b / r->denominator; // back over b
            EXPECT_EQ(I128(r->numerator) * b % r->denominator, 0);
            EXPECT_LT(absolute(scaledRemainder), absolute(c));
            EXPECT_TRUE(scaledRemainder == 0 || (scaledRemainder < 0) == (a < 0));
            EXPECT_EQ((a - scaledRemainder) % c, 0);
        }
    }
    // The draws reach every region that matters.
    EXPECT_GT(overflows, pairs / 20);
    EXPECT_GT(fitsDespiteWideIntermediates, pairs / 20);
    EXPECT_GT(modulos, pairs / 20);
}

} // namespace
} // namespace engine
