#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/SyntaxTree.h"
#include "values/Number.h"
#include "values/Units.h"
#include "values/ValueUnion.h"
#include "writer/NumberFormat.h"

namespace engine {

// Turns engine data into text: values as the user sees them, syntax trees as
// compact prefix text for inspection.
struct ASTWriter {
    // The text of a value. `raw` leaves a top-level string unquoted.
    static std::string writeValue(const ValueUnion& value, NumberFormat numberFormat, bool raw);
    // The same text, appended to `text`: a caller that gathers many results
    // in one string saves a string per result.
    static void appendValue(std::string& text, const ValueUnion& value, NumberFormat numberFormat, bool raw);
    // Units by exponent, highest first; "m per s", "(m²)", "(per s²)".
    static std::string writeUnits(const Units& units);
    // The prime factors in ascending order, with multiplicity; below 2, none.
    static std::vector<std::int64_t> primeFactors(std::int64_t of);
    // An alternative units text, "kg×m per s²"; nothing calls it.
    static std::string newUnitFormatter(const Number& number);

    // The digits part of a number.
    static std::string writeNumber(std::int64_t numerator, std::int64_t denominator, NumberFormat format);
    // One unit with its exponent.
    static std::string writeUnit(std::string_view name, std::int64_t exponent);

    // Prefix text of an expression: "(+ 1/1 (× 2/1 3/1))".
    static std::string writeExpression(const Expression& expression);
    static std::string write(const Statement& statement);
    // Prints every statement, one per line, to standard output.
    static void writeAll(const std::vector<Statement>& statements);
    // The 0-based source line of the statement's token, in decimal.
    static std::string writeLineOf(const Statement& statement);
};

// Each ASCII digit replaced by its superscript or subscript form.
std::string asSuperscript(std::string_view text);
std::string asSubscript(std::string_view text);

} // namespace engine
