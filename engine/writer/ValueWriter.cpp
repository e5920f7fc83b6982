#include <algorithm>
#include <array>
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

// |value| as text, safe for every 64-bit value.
std::string magnitudeText(std::int64_t value)
{
    const auto magnitude = value < 0 ? std::uint64_t(0) - static_cast<std::uint64_t>(value)
                                     : static_cast<std::uint64_t>(value);
    return std::to_string(magnitude);
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

} // namespace engine
