// Numbers at the edges of 64 bits, in every operator and in round: each
// gives its exact value or a clear message. M is 2^63 − 1 =
// 9223372036854775807 = 7^2 × 73 × 127 × 337 × 92737 × 649657; its digits
// add up to 88, so 3 does not divide it. The most negative 64-bit value is
// never a number, so −M is the least.

#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "interpreter/Interpreter.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace hostile {
namespace {

using namespace engine;

template <typename E>
std::string failure(const MultiError<E>& error)
{
    std::string text = "ERR";
    for (const auto& each : error.errors)
        text += " " + each.message;
    return text;
}

// The last statement's value exactly: numbers as numerator/denominator,
// strings as their text; or "ERR" and the messages.
std::string exactly(std::string_view source)
{
    try {
        const auto outputs = Interpreter::interpret(Parser::parse(Lexer::lex(source)), 0);
        return ASTWriter::writeValue(outputs.back().value, NumberFormat::rational, true);
    } catch (const MultiError<LexError>& error) {
        return failure(error);
    } catch (const MultiError<ParseError>& error) {
        return failure(error);
    } catch (const MultiError<InterpretError>& error) {
        return failure(error);
    }
}

struct Row {
    std::string_view source;
    std::string_view expected;
};

void expectRows(std::initializer_list<Row> rows)
{
    for (const auto& row : rows) {
        SCOPED_TRACE(row.source);
        EXPECT_EQ(exactly(row.source), row.expected);
    }
}

constexpr std::string_view overflow = "ERR Arithmetic overflow";

TEST(HostileNumber, Literals)
{
    expectRows({
        {"9223372036854775807", "9223372036854775807/1"},
        {"-9223372036854775807", "-9223372036854775807/1"},
        {"9223372036854775808", "ERR number too big"},
        {"-9223372036854775808", "ERR number too big"},
        {"0.000000000000000001", "1/1000000000000000000"},
        {"9.223372036854775807", "9223372036854775807/1000000000000000000"},
        {"9.223372036854775808", "ERR number too big"},
        {"0.0000000000000000001", "ERR number too big"},
    });
}

TEST(HostileNumber, AdditionAndSubtraction)
{
    expectRows({
        {"9223372036854775807 + 0", "9223372036854775807/1"},
        {"9223372036854775807 + 1", overflow},
        {"-9223372036854775807 - 1", overflow},
        {"9223372036854775807 + -9223372036854775807", "0/1"},
        {"9223372036854775807 - 9223372036854775806", "1/1"},
        {"-9223372036854775807 - -9223372036854775807", "0/1"},
        {"9223372036854775807 m + 1 m", "ERR Arithmetic overflow"},
        // (M + 1) / 2 = 2^62: the sum is formed before it is reduced.
        {"9223372036854775807 / 2 + 1 / 2", "4611686018427387904/1"},
        {"9223372036854775807 / 2 + 9223372036854775807 / 2", "9223372036854775807/1"},
        {"1 / 9223372036854775807 - 1 / 9223372036854775807", "0/1"},
        // (2M − 1) / (M(M − 1)) has no common factor: the denominator needs 126 bits.
        {"1 / 9223372036854775807 + 1 / 9223372036854775806", overflow},
    });
}

TEST(HostileNumber, MultiplicationAndDivision)
{
    expectRows({
        {"9223372036854775807 * 1", "9223372036854775807/1"},
        {"9223372036854775807 * -1", "-9223372036854775807/1"},
        {"-9223372036854775807 * 0", "0/1"},
        {"9223372036854775807 * 2", overflow},
        {"9223372036854775807 * 9223372036854775807", overflow},
        {"9223372036854775807 / 9223372036854775807", "1/1"},
        {"9223372036854775807 / -1", "-9223372036854775807/1"},
        {"9223372036854775807 / 0", "ERR Division by zero"},
        {"9223372036854775807 / (1 - 1)", "ERR Division by zero"},
        {"1 / 9223372036854775807", "1/9223372036854775807"},
        {"-1 / 9223372036854775807", "-1/9223372036854775807"},
        {"9223372036854775807 / 3", "9223372036854775807/3"},
        {"9223372036854775807 / 7", "1317624576693539401/1"},
        // Products of two 64-bit values are formed at full width before reducing.
        {"9223372036854775807 / 2 * 2", "9223372036854775807/1"},
        {"1 / 9223372036854775807 * 9223372036854775807", "1/1"},
        {"9223372036854775806 / 9223372036854775807 * 9223372036854775807 / 9223372036854775806", "1/1"},
        {"9223372036854775807 / (1 / 9223372036854775807)", overflow},
        {"1 / 9223372036854775807 / 9223372036854775807", overflow},
    });
}

TEST(HostileNumber, Modulo)
{
    expectRows({
        {"9223372036854775807 % 2", "1/1"},
        // The remainder takes the sign of the dividend.
        {"-9223372036854775807 % 2", "-1/1"},
        {"9223372036854775807 % -2", "1/1"},
        {"9223372036854775807 % 9223372036854775807", "0/1"},
        {"-9223372036854775807 % -1", "0/1"},
        {"9223372036854775807 % 0", "ERR Modulo by zero"},
        // M/2 modulo 3/2 is (M mod 3)/2.
        {"9223372036854775807 / 2 % (3 / 2)", "1/2"},
        {"1 / 9223372036854775807 % (1 / 9223372036854775806)", "ERR Modulo operator undefined for uncommon fractions"},
        {"9223372036854775807 m % 2", "ERR Cannot modulo two numbers with conflicting units"},
    });
}

TEST(HostileNumber, NegationAndPowers)
{
    expectRows({
        {"-(-9223372036854775807)", "9223372036854775807/1"},
        {"--9223372036854775807", "9223372036854775807/1"},
        {"-(9223372036854775807 / 2)", "-9223372036854775807/2"},
        {"-(1 / 9223372036854775807)", "-1/9223372036854775807"},
        // There is no power operator.
        {"2 ^ 3", "ERR Unexpected character: ^"},
        {"9223372036854775807 ^ 2", "ERR Unexpected character: ^"},
    });
}

TEST(HostileNumber, Comparisons)
{
    expectRows({
        {"9223372036854775807 > -9223372036854775807", "true"},
        {"-9223372036854775807 == -9223372036854775807", "true"},
        {"9223372036854775807 != 9223372036854775806", "true"},
        // x/(x − 1) falls as x grows; the cross products need 126 bits.
        {"9223372036854775807 / 9223372036854775806 < 9223372036854775806 / 9223372036854775805", "true"},
        {"9223372036854775807 / 9223372036854775806 >= 9223372036854775806 / 9223372036854775805", "false"},
        {"1 / 9223372036854775807 <= 1 / 9223372036854775806", "true"},
        {"1 / 9223372036854775807 == 2 / 9223372036854775807 / 2", "true"},
        {"9223372036854775807 m > 9223372036854775806 s", "ERR Couldn't compare inconvertible units"},
    });
}

TEST(HostileNumber, Round)
{
    expectRows({
        {"round(9223372036854775807, to: 18)", "9223372036854775807/1"},
        // M/2 ends in .5, and halves go away from zero.
        {"round(9223372036854775807 / 2, to: 0)", "4611686018427387904/1"},
        {"round(-9223372036854775807 / 2, to: 0)", "-4611686018427387904/1"},
        {"round(9223372036854775807 / 3, to: 0)", "3074457345618258602/1"},
        // 3074457345618258602.3 needs a numerator of 20 digits.
        {"round(9223372036854775807 / 3, to: 1)", "ERR round's result is too large"},
        // 1/M is about 1.08 × 10^-19: below half of the 18th digit.
        {"round(1 / 9223372036854775807, to: 18)", "0/1"},
        {"round(9223372036854775806 / 9223372036854775807, to: 18)", "1/1"},
        {"round(2 / 3, to: 18)", "666666666666666667/1000000000000000000"},
        {"round(9223372036854775807 km, to: 2)", "9223372036854775807/1"},
        {"round(1, to: 19)", "ERR round's result is too large"},
        {"round(1, to: 9223372036854775807)", "ERR round's result is too large"},
        {"round(1, to: -9223372036854775807)", "ERR round's 'to' must be positive or 0"},
    });
}

TEST(HostileNumber, RepetitionCounts)
{
    expectRows({
        {"\"a\" * 9223372036854775807", "ERR Result too large"},
        {"[1] * 9223372036854775807", "ERR Result too large"},
        {"\"\" * 9223372036854775807", ""},
        {"\"a\" * -9223372036854775807", "ERR Cannot multiply strings by a negative number"},
        {"[1] * -9223372036854775807", "ERR Cannot multiply lists by a negative number"},
        {"\"a\" * (9223372036854775807 / 2)", "ERR Cannot multiply strings by a non-integer"},
    });
}

// Unit exponents are 64-bit too: squaring m 62 times gives m^(2^62), once more
// passes M.
TEST(HostileNumber, UnitExponents)
{
    const std::string square = "function square = (accumulator, item) { accumulator * accumulator }\n";
    EXPECT_EQ(exactly(square + "list_reduce(over: [1] * 62, from: 1 m, using: square)"),
              "1/1 (m\u2074\u2076\u00B9\u00B9\u2076\u2078\u2076\u2070\u00B9\u2078\u2074\u00B2\u2077\u00B3\u2078\u2077\u2079\u2070\u2074)");
    EXPECT_EQ(exactly(square + "list_reduce(over: [1] * 63, from: 1 m, using: square)"), overflow);
    EXPECT_EQ(exactly(square + "list_reduce(over: [1] * 63, from: 1 / m, using: square)"), overflow);
}

} // namespace
} // namespace hostile
