#include <gtest/gtest.h>

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

std::string mixed(const ValueUnion& value) { return ASTWriter::writeValue(value, NumberFormat::mixed, false); }

// ---------------------------------------------------------------------------
// Numbers

struct NumberCase {
    std::int64_t numerator, denominator;
    NumberFormat format;
    std::string expected;
};

TEST(ValueWriter, NumberTexts)
{
    using enum NumberFormat;
    const std::vector<NumberCase> cases = {
        {2, 1, rational, "2/1"},
        {-3, 2, rational, "-3/2"},
        {0, 1, rational, "0/1"},
        {-M, M - 1, rational, "-9223372036854775807/9223372036854775806"},
        {1, 2, float_, "0.5"},
        {1, 3, float_, "0.333333333333333"},
        {2, 3, float_, "0.666666666666667"},
        {10'000'000'000'000'000, 1, float_, "1e+16"},
        {1'000'000'000'000'000, 1, float_, "1e+15"},
        {-1, 8, float_, "-0.125"},
        {1, 100'000, float_, "1e-05"},
        {1, 10'000, float_, "0.0001"},
        {M, 1, float_, "9.22337203685478e+18"},
        {123'456'789'012'345'678, 1, float_, "1.23456789012346e+17"},
        {0, 1, float_, "0"},
        {22, 7, float_, "3.14285714285714"},
        {1, 2, mixed, "0.5"},
        {2, 3, mixed, "2/3"},
        {5, 3, mixed, "1 2/3"},
        {0, 1, mixed, "0"},
        {7, 4, mixed, "1.75"},
        {5, 1, mixed, "5"},
        {-1, 8, mixed, "-0.125"},
        {3, 40, mixed, "0.075"},
        {1, 1024, mixed, "0.0009765625"},
        {4, 3, mixed, "1 1/3"},
        {1, 3, mixed, "1/3"},
        {22, 7, mixed, "3 1/7"},
        {1, 6, mixed, "1/6"},
        {49, 5, mixed, "9.8"},
        {-4, 3, mixed, "-1 1/3"},
        {-1, 3, mixed, "-1/3"},
        {-22, 7, mixed, "-3 1/7"},
        {-M, 3, mixed, "-3074457345618258602 1/3"},
        {M, largestPrime, mixed, "1 24/9223372036854775783"},
        {1, largestPrime, mixed, "1/9223372036854775783"},
        {1, std::int64_t(1) << 62, mixed, "2.16840434497101e-19"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ASTWriter::writeNumber(c.numerator, c.denominator, c.format), c.expected)
            << c.numerator << "/" << c.denominator << " format " << static_cast<int>(c.format);
    }
}

// The C library itself is the reference for "%.15g".
std::string printfText(double value)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    return buffer;
}

TEST(ValueWriter, FloatTextMatchesPrintf)
{
    ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    std::mt19937_64 random(7);
    for (int i = 0; i < 5000; ++i) {
        const auto numerator = static_cast<std::int64_t>(random() >> (1 + random() % 63)) * (random() % 2 ? 1 : -1);
        const auto denominator = static_cast<std::int64_t>(random() >> (1 + random() % 63)) | 1;
        const auto expected = printfText(static_cast<double>(numerator) / static_cast<double>(denominator));
        EXPECT_EQ(ASTWriter::writeNumber(numerator, denominator, NumberFormat::float_), expected)
            << numerator << "/" << denominator;
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
    EXPECT_EQ(ASTWriter::writeNumber(7, 4, NumberFormat::mixed), "1.75");
    EXPECT_EQ(ASTWriter::writeNumber(-123'456'789'012'345'678, 7, NumberFormat::float_), "-1.76366841446208e+16");
    EXPECT_EQ(mixed(Number(49, 5, {{"m", 1}, {"s", -2}})), "9.8 m(per s²)");
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
    // The build compiles a German locale here (tests/writer-locale.cmake).
    const char* previousPath = std::getenv("LOCPATH");
    const std::string savedPath = previousPath ? previousPath : "";
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
#ifdef TARVINE_TEST_LOCALE_PATH
    if (previousPath)
        setenv("LOCPATH", savedPath.c_str(), 1);
    else
        unsetenv("LOCPATH");
#endif
    if (!active)
        GTEST_SKIP() << "no comma-decimal locale available";
}

// ---------------------------------------------------------------------------
// Units

struct UnitsCase {
    Units units;
    std::string expected;
};

TEST(ValueWriter, UnitsTexts)
{
    const std::vector<UnitsCase> cases = {
        {{}, ""},
        {{{"m", 1}}, "m"},
        {{{"m", 1}, {"s", -1}}, "m per s"},
        {{{"s", -1}, {"m", 1}}, "m per s"},
        {{{"m", 2}}, "(m²)"},
        {{{"m", 1}, {"s", -2}}, "m(per s²)"},
        {{{"Hz", -1}}, " per Hz"},
        {{{"kg", 1}, {"m", 1}}, "kgm"},
        {{{"m", 1}, {"kg", 1}}, "mkg"},
        {{{"a", -1}, {"b", 2}, {"c", -1}, {"d", 2}}, "(b²)(d²) per a per c"},
        {{{"m", 10}}, "(m¹⁰)"},
        {{{"s", -12}, {"kg", 3}}, "(kg³)(per s¹²)"},
        {{{"m", M}}, "(m⁹²²³³⁷²⁰³⁶⁸⁵⁴⁷⁷⁵⁸⁰⁷)"},
        {{{"m", -M}}, "(per m⁹²²³³⁷²⁰³⁶⁸⁵⁴⁷⁷⁵⁸⁰⁷)"},
        {{{"z", 1}, {"y", 1}, {"x", 2}, {"w", 1}}, "(x²)zyw"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ASTWriter::writeUnits(c.units), c.expected);
}

TEST(ValueWriter, SingleUnit)
{
    EXPECT_EQ(ASTWriter::writeUnit("m", 0), "");
    EXPECT_EQ(ASTWriter::writeUnit("m", 1), "m");
    EXPECT_EQ(ASTWriter::writeUnit("m", 3), "(m³)");
    EXPECT_EQ(ASTWriter::writeUnit("m", -1), " per m");
    EXPECT_EQ(ASTWriter::writeUnit("m", -4), "(per m⁴)");
}

TEST(ValueWriter, NumbersWithUnits)
{
    const std::vector<std::pair<Number, std::string>> cases = {
        {{5, 1, {{"m", 1}, {"s", -1}}}, "5 m per s"},
        {{3, 1, {{"m", 2}}}, "3 (m²)"},
        {{49, 5, {{"m", 1}, {"s", -2}}}, "9.8 m(per s²)"},
        {{2, 1, {{"Hz", -1}}}, "2  per Hz"},
        {{6, 1, {{"kg", 1}, {"m", 1}}}, "6 kgm"},
        {{6, 1, {{"m", 1}, {"kg", 1}}}, "6 mkg"},
        {{-4, 3, {{"m", 1}}}, "-1 1/3 m"},
        {{5, 1}, "5"},
    };
    for (const auto& [number, expected] : cases)
        EXPECT_EQ(mixed(number), expected);
    EXPECT_EQ(ASTWriter::writeValue(Number(5, 1, {{"m", 1}}), NumberFormat::rational, false), "5/1 m");
    EXPECT_EQ(ASTWriter::writeValue(Number(1, 3, {{"m", 1}}), NumberFormat::float_, true), "0.333333333333333 m");
}

TEST(ValueWriter, ProductsRenderInFirstAppearanceOrder)
{
    const Number kg(3, 1, {{"kg", 1}});
    const Number m(2, 1, {{"m", 1}});
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(mixed(Number::multiply(kg, m)), "6 kgm");
        EXPECT_EQ(mixed(Number::multiply(m, kg)), "6 mkg");
    }
}

TEST(ValueWriter, NewUnitFormatter)
{
    const std::vector<UnitsCase> cases = {
        {{}, ""},
        {{{"m", 1}}, "m"},
        {{{"s", -1}}, "per s"},
        {{{"kg", 1}, {"m", 1}, {"s", -2}}, "kg×m per s²"},
        {{{"m", 2}, {"s", -1}, {"A", -1}}, "m² per s×A"},
        {{{"s", -3}, {"Hz", -1}}, "per s³×Hz"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ASTWriter::newUnitFormatter(Number(1, 1, c.units)), c.expected);
}

TEST(ValueWriter, SuperscriptAndSubscript)
{
    EXPECT_EQ(asSuperscript("0123456789"), "⁰¹²³⁴⁵⁶⁷⁸⁹");
    EXPECT_EQ(asSubscript("0123456789"), "₀₁₂₃₄₅₆₇₈₉");
    EXPECT_EQ(asSuperscript("x10-2é"), "x¹⁰-²é");
    EXPECT_EQ(asSubscript("H2O"), "H₂O");
    EXPECT_EQ(asSuperscript(""), "");
}

// ---------------------------------------------------------------------------
// Every other kind of value

ValueUnion userFunction(std::vector<std::string> arguments, ReturnMapping returns)
{
    std::vector<ArgumentMapping> mappings;
    for (auto& name : arguments)
        mappings.push_back({name, name + "_inner"});
    return Callable::userDefinedFunction(std::move(mappings), std::move(returns), {});
}

TEST(ValueWriter, OtherValues)
{
    ExternalFunction builtin{"table_get(key:from)", {}};
    Table keys = Table()
                     .with(EString("b"), Number(1, 1))
                     .with(Number(1, 2), EString("x"))
                     .with(Number(1, 3, {{"m", 1}}), EString("y"))
                     .with(EString("a"), Number(2, 1))
                     .with(EString("b"), Number(3, 1)); // replacing keeps the place
    const std::vector<std::pair<ValueUnion, std::string>> cases = {
        {EString("abc"), "\"abc\""},
        {EString("a\"b"), "\"a\"b\""},
        {EString(""), "\"\""},
        {Callable::externalFunction(builtin), "table_get(key:from)"},
        {userFunction({"x", "y"}, ReturnMapping::all()), "func(x:y)->(*)"},
        {userFunction({"x", "y"}, ReturnMapping::singleValue()), "func(x:y)"},
        {userFunction({}, ReturnMapping::singleValue()), "func()"},
        {userFunction({"x"}, ReturnMapping::list({{"sum", "s"}, {"count", "n"}})), "func(x)->(sum:count)"},
        {userFunction({}, ReturnMapping::list({})), "func()->()"},
        {Table(), "table with 0 entries ()"},
        {keys, "table with 4 entries (b, 0.5, 1/3 m, a)"},
        {Table().with(List({Number(1, 1)}), Number(1, 1)), "table with 1 entries (list with 1 entries)"},
        {List(), "list with 0 entries"},
        {List({Number(1, 1), EString("x")}), "list with 2 entries"},
        {ValueUnion::error("oops"), "ERROR: oops"},
        {ValueUnion::bork(), "\u00a1bork!"},
    };
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(mixed(value), expected);

    // raw changes only a top-level string; table keys are always mixed and raw.
    EXPECT_EQ(ASTWriter::writeValue(EString("abc"), NumberFormat::mixed, true), "abc");
    EXPECT_EQ(ASTWriter::writeValue(keys, NumberFormat::rational, false), "table with 4 entries (b, 0.5, 1/3 m, a)");
    EXPECT_EQ(ASTWriter::writeValue(ValueUnion::error("oops"), NumberFormat::rational, true), "ERROR: oops");
}

// ---------------------------------------------------------------------------
// Prime factors

TEST(ValueWriter, PrimeFactorsOfKnownNumbers)
{
    using Factors = std::vector<std::int64_t>;
    const std::vector<std::pair<std::int64_t, Factors>> cases = {
        {-5, {}},
        {0, {}},
        {1, {}},
        {2, {2}},
        {7, {7}},
        {12, {2, 2, 3}},
        {1'000'000, {2, 2, 2, 2, 2, 2, 5, 5, 5, 5, 5, 5}},
        {997 * 997, {997, 997}},
        {1009 * 1013, {1009, 1013}},
        {600'851'475'143, {71, 839, 1471, 6857}},
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
}

// Products of primes picked at random: the factors must come back sorted.
TEST(ValueWriter, PrimeFactorsOfRandomProducts)
{
    std::vector<std::int64_t> primes;
    for (std::int64_t candidate = 2; candidate < 5000; ++candidate) {
        bool prime = true;
        for (std::int64_t divisor = 2; divisor * divisor <= candidate && prime; ++divisor)
            prime = candidate % divisor != 0;
        if (prime)
            primes.push_back(candidate);
    }
    // Known large primes.
    const std::vector<std::int64_t> largePrimes = {1'000'003,     998'244'353,       1'000'000'007,
                                                   2'147'483'647, 4'294'967'291,     1'099'511'627'791,
                                                   2'305'843'009'213'693'951, largestPrime};
    primes.insert(primes.end(), largePrimes.begin(), largePrimes.end());

    std::mt19937_64 random(11);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::int64_t> chosen;
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
