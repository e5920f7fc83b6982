#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <numeric>
#include <string>
#include <vector>

#include "writer/ASTWriter.h"

namespace engine {

namespace {

// The digits 0 to 9 as superscripts and subscripts, in UTF-8.
constexpr std::array<std::string_view, 10> superscriptDigits = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
constexpr std::array<std::string_view, 10> subscriptDigits = {"₀", "₁", "₂", "₃", "₄", "₅", "₆", "₇", "₈", "₉"};

std::string replaceDigits(std::string_view text, const std::array<std::string_view, 10>& digits)
{
    std::string result;
    result.reserve(text.size() * 3);
    for (const char c : text) {
        if (c >= '0' && c <= '9')
            result += digits[static_cast<std::size_t>(c - '0')];
        else
            result += c;
    }
    return result;
}

// |value|, safe for every 64-bit value.
std::uint64_t magnitude(std::int64_t value)
{
    return value < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

std::string magnitudeText(std::int64_t value) { return std::to_string(magnitude(value)); }

// "%.15g": 15 significant digits, the shortest of fixed and exponent form.
constexpr int floatPrecision = 15;

// What "%.15g" prints in the C locale, whatever the process locale is: a
// desktop application takes its locale from the user, and a German one must
// still print 0.5, not 0,5.
std::string formatFloat(double value)
{
    // Sign, 15 digits, point, and an exponent of at most "e-308".
    std::array<char, 32> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::general, floatPrecision);
    return std::string(buffer.data(), result.ptr);
}

// Whether the decimal expansion of 1/denominator ends: no prime factor other
// than 2 and 5. Stripping those two is all the mixed format needs, so a large
// prime denominator costs nothing.
bool hasFiniteDecimalExpansion(std::uint64_t denominator)
{
    denominator >>= std::countr_zero(denominator);
    while (denominator % 5 == 0)
        denominator /= 5;
    return denominator == 1;
}

// Whole part and proper fraction, the sign in front of the whole:
// "1 1/3", "-1 1/3", "-1/3".
std::string writeWholeAndFraction(std::int64_t numerator, std::int64_t denominator)
{
    const auto divisor = static_cast<std::uint64_t>(denominator);
    const auto whole = magnitude(numerator) / divisor;
    const auto remainder = magnitude(numerator) % divisor;
    std::string text = numerator < 0 ? "-" : "";
    if (whole > 0)
        text += std::to_string(whole);
    if (remainder > 0) {
        if (whole > 0)
            text += " ";
        text += std::to_string(remainder) + "/" + std::to_string(divisor);
    }
    return text;
}

template <typename Piece>
std::string joined(const std::vector<Piece>& pieces, std::string_view separator)
{
    std::string text;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            text += separator;
        text += pieces[i];
    }
    return text;
}

std::vector<std::string> outerNames(const std::vector<ArgumentMapping>& mappings)
{
    std::vector<std::string> names;
    names.reserve(mappings.size());
    for (const auto& mapping : mappings)
        names.push_back(mapping.outerName);
    return names;
}

std::string writeCallable(const Callable& callable)
{
    if (const auto* external = callable.external())
        return external->name;
    const auto& function = *callable.userDefined();
    auto text = "func(" + joined(outerNames(function.argumentMappings), ":") + ")";
    switch (function.returnMapping.kind()) {
    case ReturnMapping::Kind::all: return text + "->(*)";
    case ReturnMapping::Kind::singleValue: return text;
    case ReturnMapping::Kind::list:
        return text + "->(" + joined(outerNames(function.returnMapping.mappings()), ":") + ")";
    }
    return text;
}

std::string writeTable(const Table& table)
{
    std::vector<std::string> keys;
    keys.reserve(table.size());
    for (const auto& entry : table.value())
        keys.push_back(ASTWriter::writeValue(entry.first, NumberFormat::mixed, true));
    return "table with " + std::to_string(table.size()) + " entries (" + joined(keys, ", ") + ")";
}

// Prime factorisation past trial division: deterministic Miller–Rabin and
// Pollard–Brent rho, so any 64-bit value factors in microseconds.
__extension__ using UnsignedWide = unsigned __int128;

std::uint64_t mulMod(std::uint64_t a, std::uint64_t b, std::uint64_t modulus)
{
    return static_cast<std::uint64_t>(UnsignedWide(a) * b % modulus);
}

std::uint64_t powMod(std::uint64_t base, std::uint64_t exponent, std::uint64_t modulus)
{
    std::uint64_t result = 1;
    base %= modulus;
    for (; exponent > 0; exponent >>= 1) {
        if (exponent & 1)
            result = mulMod(result, base, modulus);
        base = mulMod(base, base, modulus);
    }
    return result;
}

// These witnesses decide primality exactly for every n below 2^64.
constexpr std::array<std::uint64_t, 12> millerRabinWitnesses = {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37};

bool isPrime(std::uint64_t n)
{
    if (n < 2)
        return false;
    for (const auto p : millerRabinWitnesses)
        if (n % p == 0)
            return n == p;
    const auto shift = std::countr_zero(n - 1);
    const auto odd = (n - 1) >> shift;
    for (const auto witness : millerRabinWitnesses) {
        auto x = powMod(witness, odd, n);
        if (x == 1 || x == n - 1)
            continue;
        bool composite = true;
        for (int i = 1; i < shift && composite; ++i) {
            x = mulMod(x, x, n);
            composite = x != n - 1;
        }
        if (composite)
            return false;
    }
    return true;
}

// A nontrivial divisor of an odd composite n.
std::uint64_t pollardBrent(std::uint64_t n)
{
    // Products of this many differences share one gcd.
    constexpr std::uint64_t batch = 128;
    const auto distance = [](std::uint64_t a, std::uint64_t b) { return a > b ? a - b : b - a; };
    for (std::uint64_t c = 1;; ++c) {
        const auto step = [&](std::uint64_t x) { return (mulMod(x, x, n) + c) % n; };
        std::uint64_t y = 2, x = 2, saved = 2, divisor = 1, product = 1;
        for (std::uint64_t length = 1; divisor == 1; length *= 2) {
            x = y;
            for (std::uint64_t i = 0; i < length; ++i)
                y = step(y);
            for (std::uint64_t done = 0; done < length && divisor == 1; done += batch) {
                saved = y;
                for (std::uint64_t i = 0; i < std::min(batch, length - done); ++i) {
                    y = step(y);
                    product = mulMod(product, distance(x, y), n);
                }
                divisor = std::gcd(product, n);
            }
        }
        if (divisor == n) { // the batch overshot: retrace it one step at a time
            do {
                saved = step(saved);
                divisor = std::gcd(distance(x, saved), n);
            } while (divisor == 1);
        }
        if (divisor != n)
            return divisor;
    }
}

void factorLarge(std::uint64_t n, std::vector<std::int64_t>& factors)
{
    if (n == 1)
        return;
    if (isPrime(n)) {
        factors.push_back(static_cast<std::int64_t>(n));
        return;
    }
    const auto divisor = pollardBrent(n);
    factorLarge(divisor, factors);
    factorLarge(n / divisor, factors);
}

} // namespace

std::string asSuperscript(std::string_view text) { return replaceDigits(text, superscriptDigits); }

std::string asSubscript(std::string_view text) { return replaceDigits(text, subscriptDigits); }

std::string ASTWriter::writeUnit(std::string_view name, std::int64_t exponent)
{
    if (exponent == 0)
        return {};
    if (exponent == 1)
        return std::string(name);
    if (exponent == -1)
        return " per " + std::string(name);
    const auto power = asSuperscript(magnitudeText(exponent));
    if (exponent > 0)
        return "(" + std::string(name) + power + ")";
    return "(per " + std::string(name) + power + ")";
}

std::string ASTWriter::writeUnits(const Units& units)
{
    if (units.empty())
        return {};
    // Highest exponent first; equal exponents keep their first-appearance order.
    std::vector<const Units::Entry*> entries;
    entries.reserve(units.size());
    for (const auto& entry : units)
        entries.push_back(&entry);
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Units::Entry* left, const Units::Entry* right) { return left->second > right->second; });
    std::string result;
    for (const auto* entry : entries)
        result += writeUnit(entry->first, entry->second);
    return result;
}

std::string ASTWriter::writeNumber(std::int64_t numerator, std::int64_t denominator, NumberFormat format)
{
    switch (format) {
    case NumberFormat::rational: return std::to_string(numerator) + "/" + std::to_string(denominator);
    case NumberFormat::float_: break;
    case NumberFormat::mixed:
        // A denominator a canonical number never has falls back to the decimal text.
        if (denominator > 0 && !hasFiniteDecimalExpansion(static_cast<std::uint64_t>(denominator)))
            return writeWholeAndFraction(numerator, denominator);
        break;
    }
    return formatFloat(static_cast<double>(numerator) / static_cast<double>(denominator));
}

std::string ASTWriter::writeValue(const ValueUnion& value, NumberFormat numberFormat, bool raw)
{
    switch (value.kind()) {
    case ValueUnion::Kind::number: {
        const auto& number = *value.as<Number>();
        auto text = writeNumber(number.numerator, number.denominator, numberFormat);
        const auto units = writeUnits(number.units);
        if (!units.empty())
            text += " " + units;
        return text;
    }
    case ValueUnion::Kind::string: {
        const auto& text = value.as<EString>()->value;
        return raw ? text : "\"" + text + "\"";
    }
    case ValueUnion::Kind::callable: return writeCallable(*value.as<Callable>());
    case ValueUnion::Kind::table: return writeTable(*value.as<Table>());
    case ValueUnion::Kind::list: return "list with " + std::to_string(value.as<List>()->size()) + " entries";
    case ValueUnion::Kind::error: return "ERROR: " + value.as<ErrorValue>()->message;
    case ValueUnion::Kind::bork: return "¡bork!";
    }
    return {};
}

std::vector<std::int64_t> ASTWriter::primeFactors(std::int64_t of)
{
    std::vector<std::int64_t> factors;
    if (of < 2)
        return factors;
    auto rest = static_cast<std::uint64_t>(of);
    // Small divisors first: that settles most numbers without the heavy tools.
    constexpr std::uint64_t trialLimit = 1000;
    for (std::uint64_t divisor = 2; divisor <= trialLimit && divisor * divisor <= rest;
         divisor += divisor == 2 ? 1 : 2) {
        for (; rest % divisor == 0; rest /= divisor)
            factors.push_back(static_cast<std::int64_t>(divisor));
    }
    const auto firstLarge = factors.size();
    if (rest > 1 && rest < trialLimit * trialLimit)
        factors.push_back(static_cast<std::int64_t>(rest)); // no divisor up to its square root
    else
        factorLarge(rest, factors);
    std::sort(factors.begin() + static_cast<std::ptrdiff_t>(firstLarge), factors.end());
    return factors;
}

std::string ASTWriter::newUnitFormatter(const Number& number)
{
    std::vector<std::string> positive, negative;
    for (const auto& [name, exponent] : number.units) {
        if (exponent == 0)
            continue;
        const auto power = exponent == 1 || exponent == -1 ? std::string() : asSuperscript(magnitudeText(exponent));
        (exponent > 0 ? positive : negative).push_back(name + power);
    }
    const auto over = joined(positive, "×");
    const auto under = joined(negative, "×");
    if (under.empty())
        return over;
    if (over.empty())
        return "per " + under;
    return over + " per " + under;
}

} // namespace engine
