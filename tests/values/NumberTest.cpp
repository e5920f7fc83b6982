#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "Outcome.h"
#include "values/InterpretError.h"
#include "values/Maths.h"
#include "values/Number.h"

namespace engine {
namespace {

constexpr std::int64_t M = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t minimum = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t twoTo62 = std::int64_t(1) << 62;

const std::string overflow = "error: Arithmetic overflow";
const std::string inconvertible = "error: Couldn't compare inconvertible units";
const std::string uncommon = "error: Modulo operator undefined for uncommon fractions";
const std::string moduloConflict = "error: Cannot modulo two numbers with conflicting units";

using Operation = ValueUnion (*)(const Number&, const Number&);

ValueUnion negate(const Number& operand, const Number&) { return operand.negate(); }

struct OperationCase {
    const char* name;
    Operation operation;
    Number left, right;
    std::string expected;
};

const Units m{{"m", 1}};
const Units s{{"s", 1}};

TEST(Number, ResultsAndMessages)
{
    const std::vector<OperationCase> cases = {
        {"units in another order add", Number::add, {1, 1, {{"m", 1}, {"s", 1}}}, {2, 1, {{"s", 1}, {"m", 1}}},
         "3 m s"},
        {"acceleration - speed", Number::subtract, {1, 1, {{"m", 1}, {"s", -2}}}, {1, 1, {{"m", 1}, {"s", -1}}},
         "error: Cannot subtract two numbers with conflicting units: 'm(per s²)' and 'm per s'"},
        {"kg per s / m s A²: the left units, then the new ones", Number::divide, {1, 1, {{"kg", 1}, {"s", -1}}},
         {1, 1, {{"m", 1}, {"s", 1}, {"A", 2}}}, "1 kg s^-2 m^-1 A^-2"},
        {"5 m / 0 s", Number::divide, {5, 1, m}, {0, 1, s}, "error: Division by zero"},
        {"9/4 % 3/4 reduces", Number::modulo, {9, 4}, {3, 4}, "0"},
        {"1/2 m % 1/3 s: denominators first", Number::modulo, {1, 2, m}, {1, 3, s}, uncommon},
        {"5 m % 0 s: units first", Number::modulo, {5, 1, m}, {0, 1, s}, moduloConflict},
        {"-M % -1", Number::modulo, {-M, 1}, {-1, 1}, "0"},
        {"negate -M/2", negate, {-M, 2}, {}, std::to_string(M) + "/2"},

        // The edges of the representable range.
        {"2^62/3 * 3/2: only the reduced result must fit", Number::multiply, {twoTo62, 3}, {3, 2},
         std::to_string(twoTo62 / 2)},
        {"M/2 + M/2", Number::add, {M, 2}, {M, 2}, std::to_string(M)},
        {"M/2 + 1/2: the sum is formed before it is reduced", Number::add, {M, 2}, {1, 2}, std::to_string(twoTo62)},
        {"M m + 1 m", Number::add, {M, 1, m}, {1, 1, m}, overflow},
        {"1/M - 1/(M-1)", Number::subtract, {1, M}, {1, M - 1}, overflow},
        {"M * M", Number::multiply, {M, 1}, {M, 1}, overflow},
        {"(M-1)/M * M/(M-1)", Number::multiply, {M - 1, M}, {M, M - 1}, "1"},
        {"-M * -1", Number::multiply, {-M, 1}, {-1, 1}, std::to_string(M)},
        {"2^62 * 2", Number::multiply, {twoTo62, 1}, {2, 1}, overflow},
        {"-2^62 * 2 is the excluded minimum", Number::multiply, {-twoTo62, 1}, {2, 1}, overflow},
        {"exponent M times one more", Number::multiply, {1, 1, {{"m", M}}}, {1, 1, m}, overflow},
        {"exponent -M divided by one more", Number::divide, {1, 1, {{"m", -M}}}, {1, 1, m}, overflow},
        {"exponent M times -M cancels", Number::multiply, {2, 1, {{"m", M}}}, {3, 1, {{"m", -M}}}, "6"},
        {"the excluded minimum as an operand", Number::add, {minimum, 1}, {0, 1}, overflow},

        // A plain number times one with units takes its units as they are.
        {"2 * 3 m s^-2 keeps the order", Number::multiply, {2, 1}, {3, 1, {{"m", 1}, {"s", -2}}}, "6 m s^-2"},
        {"2 * 3 with a zero exponent drops it", Number::multiply, {2, 1}, {3, 1, {{"m", 0}, {"s", 1}}}, "6 s"},
        {"1 * the excluded minimum exponent", Number::multiply, {1, 1}, {1, 1, {{"m", minimum}}}, overflow},
        {"2 / 4 m turns the exponent", Number::divide, {2, 1}, {4, 1, m}, "1/2 m^-1"},

        // Comparison: every operator but inequality refuses different units.
        {"2 == 2 m", Number::equality, {2, 1}, {2, 1, m}, inconvertible},
        {"2 m > 2", Number::greater, {2, 1, m}, {2, 1}, inconvertible},
        {"2 m >= 2 s", Number::greaterEqual, {2, 1, m}, {2, 1, s}, inconvertible},
        {"2 m <= 2 s", Number::lesserEqual, {2, 1, m}, {2, 1, s}, inconvertible},
        {"units in another order compare", Number::lesser, {1, 1, {{"m", 1}, {"s", 1}}}, {2, 1, {{"s", 1}, {"m", 1}}},
         "true"},
        {"M/(M-1) < (M-1)/(M-2)", Number::lesser, {M, M - 1}, {M - 1, M - 2}, "true"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(outcome([&] { return c.operation(c.left, c.right); }), c.expected) << c.name;
}

// Fractions whose parts fit in 64 bits reduce on a shorter path than wider
// ones: both sides of that edge, with results that fit and results that don't.
// reduceFraction hands its 64-bit parts to reduceWide.
TEST(Maths, ReducesOnBothSidesOfSixtyFourBits)
{
    __extension__ using Wide = __int128;
    const Wide twoTo64 = Wide(1) << 64;
    struct Case {
        const char* name;
        Wide numerator, denominator;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"(2^64 - 2)/2 is the largest value", twoTo64 - 2, 2, std::to_string(M)},
        {"-(2^64 - 2)/-2", -(twoTo64 - 2), -2, std::to_string(M)},
        {"(2^64 - 2)/-2", twoTo64 - 2, -2, std::to_string(-M)},
        {"2^64 - 1 does not fit", twoTo64 - 1, 1, overflow},
        {"2^63 is one past the largest whole number", twoTo64 / 2, 1, overflow},
        {"-M/1", -Wide(M), 1, std::to_string(-M)},
        {"M/-1", M, -1, std::to_string(-M)},
        {"1/(2^64 - 1) does not fit", 1, twoTo64 - 1, overflow},
        {"3/(2^64 - 1) reduces into range", 3, twoTo64 - 1, "1/" + std::to_string(std::uint64_t(-1) / 3)},
        {"2^64/4", twoTo64, 4, std::to_string(twoTo62)},
        {"2^64/2 is one past the largest", twoTo64, 2, overflow},
        {"-2^64/(2^64 * 3)", -twoTo64, twoTo64 * 3, "-1/3"},
        {"0/-2^64", 0, -twoTo64, "0"},
        {"0/-7", 0, -7, "0"},
        {"12/-18", 12, -18, "-2/3"},
        {"5/0", 5, 0, "error: Division by zero"},
        // The least 64-bit value is never a number, but it may be a part.
        {"the excluded minimum over 2", minimum, 2, std::to_string(-twoTo62)},
        {"2 over the excluded minimum", 2, minimum, "-1/" + std::to_string(twoTo62)},
        {"the excluded minimum over itself", minimum, minimum, "1"},
        {"the excluded minimum over 1", minimum, 1, overflow},
        {"1 over the excluded minimum", 1, minimum, overflow},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
            const auto [numerator, denominator] = Maths::reduceWide(c.numerator, c.denominator);
            return ValueUnion(Number(numerator, denominator));
        }),
                  c.expected)
            << c.name;
    }
}

// ---------------------------------------------------------------------------
// Randomized: every operation against an independent exact reference.

__extension__ using I128 = __int128;
__extension__ using U128 = unsigned __int128;

// Plain Euclid at full width, unlike the engine's mix of 64- and 128-bit steps.
U128 gcd(U128 a, U128 b)
{
    while (b != 0)
        a = std::exchange(b, a % b);
    return a;
}

U128 absolute(I128 value) { return value < 0 ? U128(-value) : U128(value); }

// The exact rational n/d (d ≠ 0) in lowest terms if it is representable.
std::optional<Number> representable(I128 n, I128 d)
{
    const I128 g = I128(gcd(absolute(n), absolute(d))) * (d < 0 ? -1 : 1);
    n /= g;
    d /= g;
    if (n > M || n < -M || d > M)
        return std::nullopt;
    return Number(static_cast<std::int64_t>(n), static_cast<std::int64_t>(d));
}

std::string expected(const std::optional<Number>& result) { return result ? describe(*result) : overflow; }

// Order by continued-fraction expansion, which never forms the cross products
// the engine compares. Denominators positive.
int referenceOrder(I128 a, I128 b, I128 c, I128 d)
{
    for (int sign = 1;; sign = -sign) {
        const I128 q1 = a / b - (a % b != 0 && a < 0 ? 1 : 0); // floor
        const I128 q2 = c / d - (c % d != 0 && c < 0 ? 1 : 0);
        if (q1 != q2)
            return q1 < q2 ? -sign : sign;
        const I128 r1 = a - q1 * b; // 0 <= r1 < b
        const I128 r2 = c - q2 * d;
        if (r1 == 0 || r2 == 0)
            return r1 == r2 ? 0 : (r1 == 0 ? -sign : sign);
        // r1/b against r2/d has the opposite order of b/r1 against d/r2.
        a = std::exchange(b, r1);
        c = std::exchange(d, r2);
    }
}

// Canonical numbers of random size. Most pairs share a large factor, so
// intermediates overflow 64 bits while the reduced result often fits.
class RandomFractions {
public:
    explicit RandomFractions(std::uint64_t seed) : bits_(seed) {}

    std::pair<Number, Number> pair()
    {
        const auto g = positive(static_cast<std::int64_t>(bits_() >> (2 + bits_() % 40)));
        switch (bits_() % 4) {
        case 0: // products whose big factors cancel
            return {make(small(g), scaled(g)), make(scaled(g), positive(small(g)))};
        case 1: // sums over a large common denominator
            return {make(small(g), scaled(g)), make(small(g), scaled(g))};
        case 2: { // a common denominator, so modulo applies
            const auto denominator = bits_() % 2 ? 1 : positive(integer());
            return {Number(coprimeTo(denominator), denominator), Number(coprimeTo(denominator), denominator)};
        }
        default: return {make(integer(), positive(integer())), make(integer(), positive(integer()))};
        }
    }

private:
    // Up to 63 random bits with a random sign; never the excluded minimum.
    std::int64_t integer()
    {
        const auto width = static_cast<int>(bits_() % 64);
        const auto magnitude = width == 0 ? 0 : static_cast<std::int64_t>(bits_() >> (64 - width));
        return bits_() % 2 ? -magnitude : magnitude;
    }
    static std::int64_t positive(std::int64_t value) { return value == 0 ? 1 : (value < 0 ? -value : value); }
    std::int64_t scaled(std::int64_t g) { return g * positive(small(g)); }
    // A value small enough that g times it still fits.
    std::int64_t small(std::int64_t g)
    {
        return static_cast<std::int64_t>(bits_() % static_cast<std::uint64_t>(M / g)) * (bits_() % 2 ? -1 : 1);
    }
    static Number make(std::int64_t n, std::int64_t d) { return *representable(n, d); }
    // A numerator that leaves n/d in lowest terms.
    std::int64_t coprimeTo(std::int64_t d)
    {
        for (;;) {
            if (const auto n = integer(); gcd(absolute(n), U128(d)) == 1)
                return n;
        }
    }

    std::mt19937_64 bits_;
};

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
        SCOPED_TRACE(describe(left) + " and " + describe(right));

        const auto sum = representable(a * d + c * b, b * d);
        const auto product = representable(a * c, b * d);
        EXPECT_EQ(outcome([&] { return Number::add(left, right); }), expected(sum));
        EXPECT_EQ(outcome([&] { return Number::subtract(left, right); }),
                  expected(representable(a * d - c * b, b * d)));
        EXPECT_EQ(outcome([&] { return Number::multiply(left, right); }), expected(product));
        if (c != 0) {
            EXPECT_EQ(outcome([&] { return Number::divide(left, right); }), expected(representable(a * d, b * c)));
        }
        overflows += !sum + !product;
        fitsDespiteWideIntermediates += product && (absolute(a * c) > U128(M) || b * d > M);

        // Identities, wherever the intermediate result fits.
        if (sum) {
            EXPECT_EQ(outcome([&] { return Number::subtract(*sum, right); }), describe(left));
        }
        if (product && c != 0) {
            EXPECT_EQ(outcome([&] { return Number::divide(*product, right); }), describe(left));
        }

        const int order = referenceOrder(a, b, c, d);
        const std::vector<std::pair<Operation, bool>> comparisons = {
            {Number::equality, order == 0}, {Number::inequality, order != 0}, {Number::greater, order > 0},
            {Number::greaterEqual, order >= 0}, {Number::lesser, order < 0}, {Number::lesserEqual, order <= 0},
        };
        for (const auto& [compare, truth] : comparisons)
            EXPECT_EQ(outcome([&] { return compare(left, right); }), truth ? "true" : "false");

        // The remainder: sign of the dividend, smaller than the divisor, and
        // the dividend minus it a whole multiple of the divisor.
        if (b != d || c == 0) {
            EXPECT_EQ(outcome([&] { return Number::modulo(left, right); }),
                      b != d ? uncommon : "error: Modulo by zero");
            continue;
        }
        ++modulos;
        const auto r = *Number::modulo(left, right).as<Number>();
        ASSERT_EQ(I128(r.numerator) * b % r.denominator, 0);
        const I128 rest = I128(r.numerator) * b / r.denominator; // over the common denominator
        EXPECT_LT(absolute(rest), absolute(c));
        EXPECT_TRUE(rest == 0 || (rest < 0) == (a < 0));
        EXPECT_EQ((a - rest) % c, 0);
    }
    // The draws reach every region that matters.
    EXPECT_GT(overflows, pairs / 20);
    EXPECT_GT(fitsDespiteWideIntermediates, pairs / 20);
    EXPECT_GT(modulos, pairs / 20);
}

} // namespace
} // namespace engine

namespace engine {
namespace {

// Copies share their units until one changes, and a change never shows in
// another copy.
TEST(Units, CopiesChangeAlone)
{
    Units original{{"kg", 1}};
    Units copy = original;
    copy.set("m", 2);
    copy.set("kg", 3);
    EXPECT_EQ(original.size(), 1U);
    EXPECT_EQ(original.exponent("kg"), 1);
    EXPECT_EQ(original.exponent("m"), 0);
    EXPECT_EQ(copy.exponent("kg"), 3);
    EXPECT_EQ(copy.exponent("m"), 2);

    Units untouched = original;
    original.set("kg", -1);
    EXPECT_EQ(untouched.exponent("kg"), 1);
    EXPECT_FALSE(untouched == original);

    // Dropping zero exponents keeps the others in their order, and leaves
    // the original as it was.
    Units mixed{{"kg", 1}, {"m", 0}, {"s", -2}, {"A", 0}};
    const Units kept = mixed.withoutZeroExponents();
    ASSERT_EQ(kept.size(), 2U);
    EXPECT_EQ(kept.begin()->first, "kg");
    EXPECT_EQ(std::next(kept.begin())->first, "s");
    EXPECT_EQ(kept.exponent("s"), -2);
    EXPECT_EQ(mixed.size(), 4U);
    EXPECT_TRUE((Units{{"m", 0}}.withoutZeroExponents().empty()));
}

// The units of a product built in one pass agree, order included, with
// merging and then dropping zeros; both fail alike on an exponent overflow.
TEST(Units, CombiningAgreesWithMergeThenDropZeros)
{
    using Entries = std::vector<Units::Entry>;
    const auto run = [](auto&& combine) -> std::optional<Entries> {
        try {
            const Units units = combine();
            return Entries(units.begin(), units.end());
        } catch (const InterpretError& error) {
            EXPECT_EQ(error.message, "Arithmetic overflow");
            return std::nullopt;
        }
    };
    const std::vector<Units> samples{
        Units{},
        Units{{"m", 1}},
        Units{{"m", -1}},
        Units{{"kg", 1}, {"m", 2}, {"s", -2}},
        Units{{"s", 2}, {"m", -2}},
        Units{{"m", 0}, {"kg", 1}},
        Units{{"A", M}},
        Units{{"A", -M}, {"m", 1}},
        Units{{"A", minimum}},
        Units{{"kg", -1}, {"s", 2}, {"m", -2}},
    };
    for (const auto& left : samples) {
        for (const auto& right : samples) {
            for (const int sign : {1, -1}) {
                const auto general =
                    run([&] { return Maths::removeZeroExponents(Maths::mergeUnits(left, right, sign)); });
                const auto combined = run([&] { return Maths::combineUnits(left, right, sign); });
                EXPECT_EQ(general, combined) << "sign " << sign;
                if (combined) {
                    EXPECT_TRUE(std::none_of(combined->begin(), combined->end(),
                                             [](const auto& unit) { return unit.second == 0; }));
                }
            }
        }
    }
    // A quotient of equal units has none left at all.
    EXPECT_TRUE(Maths::combineUnits(Units{{"kg", 1}, {"m", 2}}, Units{{"m", 2}, {"kg", 1}}, -1).empty());
}

} // namespace
} // namespace engine
