#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <locale>
#include <random>
#include <string>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "writer/ASTWriter.h"

namespace engine {
namespace {

constexpr std::int64_t M = std::numeric_limits<std::int64_t>::max();
// The largest prime below 2^63.
constexpr std::int64_t largestPrime = 9'223'372'036'854'775'783;

// The C library itself is the reference for "%.15g".
std::string printfText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

// Denominators of 2s and 5s are written from the exact fraction instead of
// the double; the text must still be what "%.15g" makes of the double, on
// both sides of every limit of that shortcut (15 significant digits, 2^53,
// 10^19 and the two exponent forms), and for any other denominator.
TEST(ValueWriter, FloatTextMatchesPrintf)
{
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    constexpr std::int64_t twoTo53 = std::int64_t(1) << 53;
    std::vector<std::pair<std::int64_t, std::int64_t>> fractions = {
        {0, 1},
        {0, 1024},
        {-7, 1},
        {999'999'999'999'999, 1},
        {-999'999'999'999'999, 1},
        {1'000'000'000'000'000, 1},
        {1'000'000'000'000'001, 1},
        {123'456'789'012'345'600, 1},
        {twoTo53 - 1, 1},
        {twoTo53, 1},
        {twoTo53 + 1, 1},
        {-twoTo53 - 1, 1},
        {M, 1},
        {-M, 1},
        {M, 1024},
        {1, 10'000},
        {1, 100'000},
        {-9, 100'000},
        {123'456'789'012'345, 100'000'000'000'000'000},
        {1'234'567'890'123'456, 1000},
        {999'999'999'999'999, 1000},
        {9'999'999'999'999'999, 10'000},
        {1, twoTo53},
        {3, twoTo53 * 2},
        {7, 2'384'185'791'015'625}, // 5^22
        {1, 1'000'000'000'000'000'000},
        {123, 524'288}, // 2^19: twenty decimals
        {1, 1048576},   // 2^20: one more than the shortcut takes
        {5, std::int64_t(1) << 62},
    };
    std::mt19937_64 random(19);
    const auto randomNumerator = [&] {
        return static_cast<std::int64_t>(random() >> (1 + random() % 63)) * (random() % 2 ? 1 : -1);
    };
    for (int i = 0; i < 20'000; ++i) {
        std::int64_t denominator = 1;
        for (auto twos = random() % 64; twos > 0 && denominator <= M / 2; --twos)
            denominator *= 2;
        for (auto fives = random() % 28; fives > 0 && denominator <= M / 5; --fives)
            denominator *= 5;
        fractions.emplace_back(randomNumerator(), denominator);
    }
    // Mixed text is decimal for these; for any other denominator it is not.
    const auto decimals = fractions.size();
    for (int i = 0; i < 5000; ++i)
        fractions.emplace_back(randomNumerator(), static_cast<std::int64_t>(random() >> (1 + random() % 63)) | 1);
    for (std::size_t i = 0; i < fractions.size(); ++i) {
        const auto [numerator, denominator] = fractions[i];
        const auto expected = printfText(static_cast<double>(numerator) / static_cast<double>(denominator));
        EXPECT_EQ(ASTWriter::writeNumber(numerator, denominator, NumberFormat::float_), expected)
            << numerator << "/" << denominator;
        if (i < decimals) {
            EXPECT_EQ(ASTWriter::writeNumber(numerator, denominator, NumberFormat::mixed), expected)
                << numerator << "/" << denominator;
        }
    }
}

// Up to a few units are ordered without the library's sort; both orders
// must be the stable one, highest exponent first.
TEST(ValueWriter, UnitOrderIsStableForShortAndLongUnitLists)
{
    std::mt19937_64 random(23);
    for (std::size_t count = 2; count <= 40; ++count) {
        std::vector<Units::Entry> entries;
        Units units;
        for (std::size_t i = 0; i < count; ++i) {
            const auto exponent = static_cast<std::int64_t>(random() % 7) - 3;
            entries.emplace_back("u" + std::to_string(i), exponent);
            units.set(entries.back().first, exponent);
        }
        std::stable_sort(entries.begin(), entries.end(),
                         [](const auto& left, const auto& right) { return left.second > right.second; });
        std::string expected;
        for (const auto& [name, exponent] : entries)
            expected += ASTWriter::writeUnit(name, exponent);
        EXPECT_EQ(ASTWriter::writeUnits(units), expected) << count << " units";
    }
}

// A number text that depended on the process locale would print 0,5 for a
// German user.
class CommaDecimalPoint : public std::numpunct<char> {
protected:
    char do_decimal_point() const override { return ','; }
};

// The texts that would show a comma if the locale leaked into them.
void expectPointDecimals()
{
    EXPECT_EQ(ASTWriter::writeNumber(1, 2, NumberFormat::float_), "0.5");
    EXPECT_EQ(ASTWriter::writeNumber(-123'456'789'012'345'678, 7, NumberFormat::float_), "-1.76366841446208e+16");
    EXPECT_EQ(ASTWriter::writeValue(Number(49, 5, {{"m", 1}, {"s", -2}}), NumberFormat::mixed, false), "9.8 m(per s²)");
}

TEST(ValueWriter, NumberTextIgnoresACommaStdLocale)
{
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new CommaDecimalPoint));
    expectPointDecimals();
    std::locale::global(previous);
}

TEST(ValueWriter, NumberTextIgnoresACommaCLocale)
{
#ifdef TARVINE_TEST_LOCALE_PATH
    // The build compiles a German locale here (tests/writer-locale.cmake);
    // no other test loads a named locale, so the path can stay.
    setenv("LOCPATH", TARVINE_TEST_LOCALE_PATH, 1);
#endif
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    bool active = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_ALL, name)) {
            active = printfText(0.5) == "0,5";
            break;
        }
    }
    if (active)
        expectPointDecimals();
    std::setlocale(LC_ALL, previous.c_str());
    if (!active)
        GTEST_SKIP() << "no comma-decimal locale available";
}

struct ValueCase {
    ValueUnion value;
    std::string expected;
    NumberFormat format = NumberFormat::mixed;
    bool raw = false;
};

// The plainer texts are pinned by the golden documents (numbers, units,
// functions, tables).
TEST(ValueWriter, ValueTexts)
{
    const Table keys = Table()
                           .with(EString("b"), Number(1, 1))
                           .with(Number(1, 2), EString("x"))
                           .with(Number(1, 3, {{"m", 1}}), EString("y"))
                           .with(EString("a"), Number(2, 1))
                           .with(EString("b"), Number(3, 1)); // replacing keeps the place
    using enum NumberFormat;
    const std::vector<ValueCase> cases = {
        {Number(2, 1), "2/1", rational},
        {Number(-M, M - 1), "-9223372036854775807/9223372036854775806", rational},
        // Decimals when the expansion ends, otherwise the whole part and a
        // proper fraction with the sign in front of the whole.
        {Number(3, 40), "0.075"},
        {Number(1, std::int64_t(1) << 62), "2.16840434497101e-19"},
        {Number(1, 6), "1/6"},
        {Number(-M, 3), "-3074457345618258602 1/3"},
        {Number(M, largestPrime), "1 24/9223372036854775783"},
        {Number(1, largestPrime), "1/9223372036854775783"},

        // Units by exponent, highest first; equal exponents in the order they came.
        {Number(5, 1, {{"s", -1}, {"m", 1}}), "5 m per s"},
        {Number(1, 1, {{"a", -1}, {"b", 2}, {"c", -1}, {"d", 2}}), "1 (b²)(d²) per a per c"},
        {Number(1, 1, {{"s", -12}, {"m", 10}}), "1 (m¹⁰)(per s¹²)"},
        {Number(1, 1, {{"m", -M}}), "1 (per m⁹²²³³⁷²⁰³⁶⁸⁵⁴⁷⁷⁵⁸⁰⁷)"},
        {Number(-4, 3, {{"m", 1}}), "-1 1/3 m"},
        {Number(5, 1, {{"m", 1}}), "5/1 m", rational},
        {Number(1, 3, {{"m", 1}}), "0.333333333333333 m", float_, true},

        {EString("a\"b"), "\"a\"b\""},
        {EString("abc"), "abc", mixed, true},
        {Callable::userDefinedFunction({}, ReturnMapping::list({}), {}), "func()->()"},
        // Table keys are always mixed and raw.
        {keys, "table with 4 entries (b, 0.5, 1/3 m, a)", rational},
        {ValueUnion::error("oops"), "ERROR: oops", rational, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ASTWriter::writeValue(c.value, c.format, c.raw), c.expected);
}

TEST(ValueWriter, NewUnitFormatterAndSubscripts)
{
    const std::vector<std::pair<Units, std::string>> cases = {
        {{}, ""},
        {{{"s", -1}}, "per s"},
        {{{"kg", 1}, {"m", 1}, {"s", -2}}, "kg×m per s²"},
        {{{"m", 2}, {"s", -1}, {"A", -1}}, "m² per s×A"},
    };
    for (const auto& [units, expected] : cases)
        EXPECT_EQ(ASTWriter::newUnitFormatter(Number(1, 1, units)), expected);
    EXPECT_EQ(asSubscript("H2O 0123456789"), "H₂O ₀₁₂₃₄₅₆₇₈₉");
}

// Known factorizations, then products of primes picked at random: the
// factors must come back sorted.
TEST(ValueWriter, PrimeFactors)
{
    using Factors = std::vector<std::int64_t>;
    const std::vector<std::pair<std::int64_t, Factors>> cases = {
        {-5, {}},
        {1, {}},
        {2, {2}},
        {1'000'000, {2, 2, 2, 2, 2, 2, 5, 5, 5, 5, 5, 5}},
        {M, {7, 7, 73, 127, 337, 92737, 649657}},
        {largestPrime, {largestPrime}},
        {2'305'843'009'213'693'951, {2'305'843'009'213'693'951}}, // 2^61 − 1
        {4'611'685'975'477'714'963, {2'147'483'629, 2'147'483'647}},
        {1'000'000'014'000'000'049, {1'000'000'007, 1'000'000'007}},
        {9'223'372'021'822'390'277, {2'147'483'647, 4'294'967'291}},
        {(std::int64_t(1) << 62), Factors(62, 2)},
    };
    for (const auto& [n, expected] : cases)
        EXPECT_EQ(ASTWriter::primeFactors(n), expected) << n;

    std::vector<std::int64_t> primes = {1'000'003,     998'244'353,   1'000'000'007,
                                        2'147'483'647, 4'294'967'291, 1'099'511'627'791,
                                        2'305'843'009'213'693'951,    largestPrime};
    for (std::int64_t candidate = 2; candidate < 5000; ++candidate) {
        bool prime = true;
        for (std::int64_t divisor = 2; divisor * divisor <= candidate && prime; ++divisor)
            prime = candidate % divisor != 0;
        if (prime)
            primes.push_back(candidate);
    }
    std::mt19937_64 random(11);
    for (int i = 0; i < 2000; ++i) {
        Factors chosen;
        std::int64_t product = 1;
        for (int attempts = 0; attempts < 8; ++attempts) {
            const auto prime = primes[random() % primes.size()];
            if (product > M / prime)
                continue;
            product *= prime;
            chosen.push_back(prime);
        }
        std::sort(chosen.begin(), chosen.end());
        EXPECT_EQ(ASTWriter::primeFactors(product), chosen) << product;
    }
}

} // namespace
} // namespace engine
