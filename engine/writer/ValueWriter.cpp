#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <numeric>
#include <span>
#include <string>
#include <vector>

#include "writer/ASTWriter.h"

namespace engine {

namespace {

// The digits 0 to 9 as superscripts and subscripts, in UTF-8.
constexpr std::array<std::string_view, 10> superscriptDigits = {"⁰", "¹", "²", "³", "⁴", "⁵", "⁶", "⁷", "⁸", "⁹"};
constexpr std::array<std::string_view, 10> subscriptDigits = {"₀", "₁", "₂", "₃", "₄", "₅", "₆", "₇", "₈", "₉"};

void appendReplacingDigits(std::string& text, std::string_view digits, const std::array<std::string_view, 10>& forms)
{
    for (const char c : digits) {
        if (c >= '0' && c <= '9')
            text += forms[static_cast<std::size_t>(c - '0')];
        else
            text += c;
    }
}

// |value|, safe for every 64-bit value.
std::uint64_t magnitude(std::int64_t value)
{
    return value < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// A number's text is composed in a buffer on the stack and appended in one
// piece; the rest is appended to the result directly. Either way a result
// costs one allocation at most, instead of one per piece.
struct NumberText {
    // The longest text: "-", 19 digits, " ", 19 digits, "/", 19 digits.
    // Left uninitialised: only what is written is ever read.
    std::array<char, 64> buffer;
    char* end = buffer.data();

    void put(char c) { *end++ = c; }
    void put(std::string_view piece)
    {
        std::copy(piece.begin(), piece.end(), end);
        end += piece.size();
    }
    void put(std::uint64_t value) { end = std::to_chars(end, buffer.data() + buffer.size(), value).ptr; }
    void putSigned(std::int64_t value)
    {
        if (value < 0)
            put('-');
        put(magnitude(value));
    }
    void repeat(char c, std::size_t count)
    {
        std::fill_n(end, count, c);
        end += count;
    }
    void appendTo(std::string& text) const { text.append(buffer.data(), static_cast<std::size_t>(end - buffer.data())); }
};

void appendDecimal(std::string& text, std::uint64_t value)
{
    NumberText number;
    number.put(value);
    number.appendTo(text);
}

void appendSuperscript(std::string& text, std::uint64_t value)
{
    NumberText number;
    number.put(value);
    appendReplacingDigits(
        text, std::string_view(number.buffer.data(), static_cast<std::size_t>(number.end - number.buffer.data())),
        superscriptDigits);
}

// "%.15g": 15 significant digits, the shortest of fixed and exponent form.
constexpr int floatPrecision = 15;

// What "%.15g" prints in the C locale, whatever the process locale is: a
// desktop application takes its locale from the user, and a German one must
// still print 0.5, not 0,5.
void putFloat(NumberText& text, double value)
{
    // Sign, 15 digits, point, and an exponent of at most "e-308".
    text.end = std::to_chars(text.end, text.buffer.data() + text.buffer.size(), value, std::chars_format::general,
                             floatPrecision)
                   .ptr;
}

// The largest magnitude up to which every integer is a double exactly.
constexpr std::uint64_t exactInDouble = std::uint64_t(1) << 53;
// 10^19 is the largest power of ten in 64 bits.
constexpr int largestScale = 19;
constexpr std::array<std::uint64_t, largestScale + 1> powersOfTen = [] {
    std::array<std::uint64_t, largestScale + 1> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i)
        powers[i] = powers[i - 1] * 10;
    return powers;
}();

__extension__ using UnsignedWide = unsigned __int128;

// A denominator split into 2^twos × 5^fives × rest.
struct TwosAndFives {
    int twos = 0;
    int fives = 0;
    std::uint64_t rest = 1;

    explicit TwosAndFives(std::uint64_t denominator)
        : twos(std::countr_zero(denominator))
        , rest(denominator >> twos)
    {
        for (; rest % 5 == 0; rest /= 5)
            ++fives;
    }
};

// The "%.15g" text of the double quotient n/d, worked out from the exact
// fraction, which is several times cheaper than formatting the double. It
// holds whenever n and d are doubles exactly, d is a product of 2s and 5s and
// n/d has at most 15 significant digits: the quotient is then within half a
// unit in the 16th digit of n/d, so "%.15g" rounds it back to exactly n/d.
// Returns false, having written nothing, for every other fraction.
bool putExactDecimal(NumberText& text, std::int64_t numerator, std::int64_t denominator)
{
    const auto size = magnitude(numerator);
    if (denominator <= 0 || static_cast<std::uint64_t>(denominator) > exactInDouble || size > exactInDouble)
        return false;
    const auto divisor = static_cast<std::uint64_t>(denominator);
    const TwosAndFives factors(divisor);
    const int scale = std::max(factors.twos, factors.fives);
    if (factors.rest != 1 || scale > largestScale)
        return false;
    if (divisor == 1 && size < powersOfTen[floatPrecision]) {
        // An integer of at most 15 digits is its own text.
        text.putSigned(numerator);
        return true;
    }
    if (size == 0) {
        text.put('0');
        return true;
    }
    // n/d = digits × 10^exponent, with digits free of trailing zeros.
    UnsignedWide wide = UnsignedWide(size) * (powersOfTen[static_cast<std::size_t>(scale)] / divisor);
    int exponent = -scale;
    for (; wide > ~std::uint64_t(0) && wide % 10 == 0; wide /= 10)
        ++exponent;
    if (wide >= powersOfTen[floatPrecision])
        return false;
    auto digits = static_cast<std::uint64_t>(wide);
    for (; digits % 10 == 0; digits /= 10)
        ++exponent;

    std::array<char, floatPrecision> buffer; // written before it is read
    const auto length = static_cast<std::size_t>(
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), digits).ptr - buffer.data());
    const std::string_view all(buffer.data(), length);
    // The decimal exponent of the leading digit, as "%e" would show it.
    const int leading = static_cast<int>(length) - 1 + exponent;
    if (numerator < 0)
        text.put('-');
    if (leading < -4 || leading >= floatPrecision) {
        text.put(all[0]);
        if (length > 1) {
            text.put('.');
            text.put(all.substr(1));
        }
        text.put(leading < 0 ? "e-" : "e+");
        const auto power = static_cast<std::uint64_t>(leading < 0 ? -leading : leading);
        if (power < 10)
            text.put('0');
        text.put(power);
    } else if (exponent >= 0) {
        text.put(all);
        text.repeat('0', static_cast<std::size_t>(exponent));
    } else if (leading >= 0) {
        const auto whole = static_cast<std::size_t>(leading + 1);
        text.put(all.substr(0, whole));
        text.put('.');
        text.put(all.substr(whole));
    } else {
        text.put("0.");
        text.repeat('0', static_cast<std::size_t>(-leading - 1));
        text.put(all);
    }
    return true;
}

void putQuotient(NumberText& text, std::int64_t numerator, std::int64_t denominator)
{
    if (!putExactDecimal(text, numerator, denominator))
        putFloat(text, static_cast<double>(numerator) / static_cast<double>(denominator));
}

// Whole part and proper fraction, the sign in front of the whole:
// "1 1/3", "-1 1/3", "-1/3".
void putWholeAndFraction(NumberText& text, std::int64_t numerator, std::int64_t denominator)
{
    const auto divisor = static_cast<std::uint64_t>(denominator);
    const auto whole = magnitude(numerator) / divisor;
    const auto remainder = magnitude(numerator) % divisor;
    if (numerator < 0)
        text.put('-');
    if (whole > 0)
        text.put(whole);
    if (remainder > 0) {
        if (whole > 0)
            text.put(' ');
        text.put(remainder);
        text.put('/');
        text.put(divisor);
    }
}

void appendNumber(std::string& text, std::int64_t numerator, std::int64_t denominator, NumberFormat format)
{
    NumberText number;
    switch (format) {
    case NumberFormat::rational:
        number.putSigned(numerator);
        number.put('/');
        number.putSigned(denominator);
        break;
    case NumberFormat::float_: putQuotient(number, numerator, denominator); break;
    case NumberFormat::mixed:
        // The decimal text when the expansion ends: no prime factor other
        // than 2 and 5, which is all that needs settling, so a large prime
        // denominator costs nothing. A denominator a canonical number never
        // has falls back to the decimal text too.
        if (denominator > 0 && TwosAndFives(static_cast<std::uint64_t>(denominator)).rest != 1)
            putWholeAndFraction(number, numerator, denominator);
        else
            putQuotient(number, numerator, denominator);
        break;
    }
    number.appendTo(text);
}

void appendUnit(std::string& text, std::string_view name, std::int64_t exponent)
{
    if (exponent == 0)
        return;
    if (exponent == 1) {
        text += name;
    } else if (exponent == -1) {
        text += " per ";
        text += name;
    } else {
        text += exponent > 0 ? "(" : "(per ";
        text += name;
        appendSuperscript(text, magnitude(exponent));
        text += ')';
    }
}

// Most numbers carry a unit or two: their order is settled on the stack.
constexpr std::size_t unitsSortedInPlace = 16;

void appendUnits(std::string& text, const Units& units)
{
    using Entry = Units::Entry;
    const auto count = units.size();
    if (count == 1) {
        appendUnit(text, units.begin()->first, units.begin()->second);
        return;
    }
    // Highest exponent first; equal exponents keep their first-appearance
    // order. Insertion sort is stable and needs no buffer; a long list
    // takes the library's sort.
    const auto higher = [](const Entry* left, const Entry* right) { return left->second > right->second; };
    std::array<const Entry*, unitsSortedInPlace> few{};
    std::vector<const Entry*> many;
    std::span<const Entry*> entries;
    if (count <= unitsSortedInPlace) {
        std::size_t i = 0;
        for (const auto& entry : units) {
            auto j = i++;
            for (; j > 0 && higher(&entry, few[j - 1]); --j)
                few[j] = few[j - 1];
            few[j] = &entry;
        }
        entries = std::span(few.data(), count);
    } else {
        many.reserve(count);
        for (const auto& entry : units)
            many.push_back(&entry);
        std::stable_sort(many.begin(), many.end(), higher);
        entries = many;
    }
    for (const auto* entry : entries)
        appendUnit(text, entry->first, entry->second);
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

void appendOuterNames(std::string& text, const std::vector<ArgumentMapping>& mappings)
{
    for (std::size_t i = 0; i < mappings.size(); ++i) {
        if (i > 0)
            text += ':';
        text += mappings[i].outerName;
    }
}

void appendCallable(std::string& text, const Callable& callable)
{
    if (const auto* external = callable.external()) {
        text += external->name;
        return;
    }
    const auto& function = *callable.userDefined();
    text += "func(";
    appendOuterNames(text, function.argumentMappings);
    text += ')';
    switch (function.returnMapping.kind()) {
    case ReturnMapping::Kind::all: text += "->(*)"; return;
    case ReturnMapping::Kind::singleValue: return;
    case ReturnMapping::Kind::list:
        text += "->(";
        appendOuterNames(text, function.returnMapping.mappings());
        text += ')';
        return;
    }
}

void appendTable(std::string& text, const Table& table)
{
    text += "table with ";
    appendDecimal(text, static_cast<std::uint64_t>(table.size()));
    text += " entries (";
    bool first = true;
    for (const auto& entry : table.value()) {
        if (!first)
            text += ", ";
        first = false;
        ASTWriter::appendValue(text, entry.first, NumberFormat::mixed, true);
    }
    text += ')';
}

// Prime factorisation past trial division: deterministic Miller–Rabin and
// Pollard–Brent rho, so any 64-bit value factors in microseconds.

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

std::string asSuperscript(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 3);
    appendReplacingDigits(result, text, superscriptDigits);
    return result;
}

std::string asSubscript(std::string_view text)
{
    std::string result;
    result.reserve(text.size() * 3);
    appendReplacingDigits(result, text, subscriptDigits);
    return result;
}

std::string ASTWriter::writeUnit(std::string_view name, std::int64_t exponent)
{
    std::string text;
    appendUnit(text, name, exponent);
    return text;
}

std::string ASTWriter::writeUnits(const Units& units)
{
    std::string text;
    appendUnits(text, units);
    return text;
}

std::string ASTWriter::writeNumber(std::int64_t numerator, std::int64_t denominator, NumberFormat format)
{
    std::string text;
    appendNumber(text, numerator, denominator, format);
    return text;
}

std::string ASTWriter::writeValue(const ValueUnion& value, NumberFormat numberFormat, bool raw)
{
    std::string text;
    appendValue(text, value, numberFormat, raw);
    return text;
}

void ASTWriter::appendValue(std::string& text, const ValueUnion& value, NumberFormat numberFormat, bool raw)
{
    switch (value.kind()) {
    case ValueUnion::Kind::number: {
        const auto& number = *value.as<Number>();
        appendNumber(text, number.numerator, number.denominator, numberFormat);
        // The units text starts after one space, unless it is empty.
        if (!number.units.empty()) {
            const auto before = text.size();
            text += ' ';
            appendUnits(text, number.units);
            if (text.size() == before + 1)
                text.resize(before);
        }
        return;
    }
    case ValueUnion::Kind::string: {
        const auto& string = value.as<EString>()->value;
        if (raw) {
            text += string;
        } else {
            text += '"';
            text += string;
            text += '"';
        }
        return;
    }
    case ValueUnion::Kind::callable: appendCallable(text, *value.as<Callable>()); return;
    case ValueUnion::Kind::table: appendTable(text, *value.as<Table>()); return;
    case ValueUnion::Kind::list:
        text += "list with ";
        appendDecimal(text, static_cast<std::uint64_t>(value.as<List>()->size()));
        text += " entries";
        return;
    case ValueUnion::Kind::error:
        text += "ERROR: ";
        text += value.as<ErrorValue>()->message;
        return;
    case ValueUnion::Kind::bork: text += "¡bork!"; return;
    }
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
        auto piece = name;
        if (exponent != 1 && exponent != -1)
            appendSuperscript(piece, magnitude(exponent));
        (exponent > 0 ? positive : negative).push_back(std::move(piece));
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
