#include "values/EString.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string_view>

#include <utf8proc.h>

#include "values/Graphemes.h"
#include "values/InterpretError.h"
#include "values/ValueUnion.h"

namespace engine {

namespace {

constexpr std::string_view nonIntegerCount = "Cannot multiply strings by a non-integer";
constexpr std::string_view countWithUnit = "Cannot multiply strings by a number with a unit";
constexpr std::string_view negativeCount = "Cannot multiply strings by a negative number";

// size × count, or the largest size_t when the product would not fit (it is
// then far past every limit anyway).
std::size_t saturatingProduct(std::size_t size, std::uint64_t count)
{
    if (size != 0 && count > std::numeric_limits<std::size_t>::max() / size)
        return std::numeric_limits<std::size_t>::max();
    return size * static_cast<std::size_t>(count);
}

// Counting characters walks the whole text, so it runs only when the byte
// count leaves the answer open: every character takes at least one byte.
template <typename CountCharacters>
void checkSize(std::size_t bytes, CountCharacters&& countCharacters)
{
    if (bytes > EString::maxBytes)
        InterpretError::raise(resultTooLarge);
    if (bytes > EString::maxCharacters)
        EString::checkResultSize(countCharacters(), bytes);
}

bool asciiOnly(const std::string& text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

std::string EString::normalized() const
{
    if (asciiOnly(value))
        return value; // ASCII is already in NFC
    utf8proc_uint8_t* result = nullptr;
    const auto length = utf8proc_map(reinterpret_cast<const utf8proc_uint8_t*>(value.data()),
                                     static_cast<utf8proc_ssize_t>(value.size()), &result,
                                     static_cast<utf8proc_option_t>(UTF8PROC_STABLE | UTF8PROC_COMPOSE));
    if (length < 0)
        return value; // not valid UTF-8: compare the bytes as they are
    std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> owned(result, &std::free);
    return std::string(reinterpret_cast<const char*>(result), static_cast<std::size_t>(length));
}

bool EString::operator==(const EString& other) const
{
    if (value == other.value)
        return true;
    if (asciiOnly(value) && asciiOnly(other.value))
        return false;
    return normalized() == other.normalized();
}

void EString::hash(Hasher& hasher) const
{
    if (asciiOnly(value))
        hasher.combine(std::string_view(value)); // already in NFC, so no copy
    else
        hasher.combine(std::string_view(normalized()));
}

ValueUnion EString::fromBool(bool value) { return value ? true_() : false_(); }

ValueUnion EString::not_() const
{
    if (value == "true")
        return false_();
    if (value == "false")
        return true_();
    return ValueUnion::bork();
}

bool EString::isAscii() const { return asciiOnly(value); }

std::size_t EString::length() const { return Graphemes::count(value); }

void EString::checkResultSize(std::size_t characters, std::size_t bytes)
{
    if (characters > maxCharacters || bytes > maxBytes)
        InterpretError::raise(resultTooLarge);
}

ValueUnion EString::add(const EString& left, const EString& right)
{
    const auto bytes = left.value.size() + right.value.size();
    checkSize(bytes, [&] { return left.length() + right.length(); });
    std::string text;
    text.reserve(bytes);
    text += left.value;
    text += right.value;
    return EString(std::move(text));
}

ValueUnion EString::multiply(const EString& string, const Number& count)
{
    if (count.denominator != 1)
        InterpretError::raise(nonIntegerCount);
    if (count.hasUnits())
        InterpretError::raise(countWithUnit);
    if (count.numerator < 0)
        InterpretError::raise(negativeCount);
    const auto times = static_cast<std::uint64_t>(count.numerator);
    const auto bytes = saturatingProduct(string.value.size(), times);
    checkSize(bytes, [&] { return saturatingProduct(string.length(), times); });
    if (bytes == 0)
        return EString();
    // Doubling copies whole blocks instead of appending the text `times` times.
    std::string text;
    text.reserve(bytes);
    text = string.value;
    while (text.size() <= bytes / 2)
        text.append(text.data(), text.size());
    text.append(text.data(), bytes - text.size());
    return EString(std::move(text));
}

ValueUnion EString::equality(const EString& left, const EString& right) { return fromBool(left == right); }

ValueUnion EString::inequality(const EString& left, const EString& right) { return fromBool(!(left == right)); }

} // namespace engine
