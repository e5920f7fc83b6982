#pragma once

#include <array>
#include <string>

#include "values/InterpretError.h"
#include "values/ValueUnion.h"

namespace engine {

// A value as one comparable text, with every field that matters: "7/2",
// "6 kg m^-1" (an integer without its denominator, units in stored order),
// a string's own text, "[1 2]" for a list, "<kind>" for the other kinds.
inline std::string describe(const ValueUnion& value)
{
    if (const auto* number = value.as<Number>()) {
        auto text = std::to_string(number->numerator);
        if (number->denominator != 1)
            text += "/" + std::to_string(number->denominator);
        for (const auto& [name, exponent] : number->units)
            text += " " + name + (exponent == 1 ? "" : "^" + std::to_string(exponent));
        return text;
    }
    if (const auto* string = value.as<EString>())
        return string->value;
    if (const auto* list = value.as<List>()) {
        std::string text = "[";
        for (const auto& element : list->value())
            text += (text.size() > 1 ? " " : "") + describe(element);
        return text + "]";
    }
    static const std::array<std::string, 7> kinds = {"number", "string", "callable", "table",
                                                     "list",   "error",  "bork"};
    return "<" + kinds.at(static_cast<std::size_t>(value.kind())) + ">";
}

// What an operation gave, or "error: " and the message it threw.
template <typename Operation>
std::string outcome(Operation&& operation)
{
    try {
        return describe(operation());
    } catch (const InterpretError& error) {
        return "error: " + error.message;
    }
}

} // namespace engine
