// Most of a text is lexed a byte at a time; the trace takes the general path
// through every character instead. Both must give the same tokens, literals
// and errors, above all where a byte is not a character of its own: before a
// combining mark, in CR LF, next to emoji and stray bytes, at the end of the
// text.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"

namespace engine::test {
namespace {

// Every field of every token, or every error with its position.
std::string everything(const std::string& source)
{
    std::string text;
    try {
        for (const Token& token : Lexer::lex(source))
            text += token.description() + "\n";
    } catch (const MultiError<LexError>& failure) {
        text = "ERR";
        for (const LexError& error : failure.errors)
            text += " | " + error.message + " @" + std::to_string(error.line) + ":" + std::to_string(error.column);
    }
    return text;
}

// The same through the general path, with its trace thrown away.
std::string everythingTraced(const std::string& source)
{
    Lexer::debugStep = true;
    testing::internal::CaptureStdout();
    const auto text = everything(source);
    testing::internal::GetCapturedStdout();
    Lexer::debugStep = false;
    return text;
}

const std::string combining = "\u0301"; // joins the character before it
const std::string zeroWidthJoiner = "\u200D";

TEST(LexerFastPath, AgreesWithTheGeneralPathWhereBytesAreNotCharacters)
{
    const std::string cases[] = {
        // A combining mark joins the ASCII character before it.
        "abc" + combining + " = 1", "x = 12" + combining, "x = 1.5" + combining, "x = 1." + combining + "5",
        "x = 1.5" + combining + "5", "1_" + combining, "a -" + combining + "> b", "a -> " + combining + "b",
        "a -" + combining, "a =" + combining + "= b", "a ==" + combining + "= b", "a ===" + combining,
        "a !" + combining + "= b", "a <=" + combining, "(" + combining + ")", " " + combining + "x",
        "\t" + combining, "x" + combining + combining, "_" + combining, "function" + combining,
        "\"a\"" + combining + " x", "\"a" + combining + "\" x\"", "# c" + combining + "\nx",
        "\n" + combining + "x", ";" + combining,
        // Carriage returns, alone, before a line feed and before other text.
        "a\r\nb", "a\r\r\nb", "a\rb", "\r", "\r\n", "a\r", "\r" + combining, "1\r\n2\r\n", "\"a\r\nb\"\r\nx",
        "# c\r\n# d\r\n", "a =\r\n= b",
        // Tabs, emoji, letters beyond ASCII and bytes that are not UTF-8.
        "\ta\t=\t1\t", "x\U0001F44D", "x = \U0001F468" + zeroWidthJoiner + "\U0001F469 + 1", "caf\u00e9 = 1",
        "1\xff", "a\xe2\x82", "\"\xff\" x", "\x7f", std::string("a\0b", 3), "x \u00a0 y", "12\u20ac",
        // Strings: plain, empty, unterminated, across lines, closed by a
        // quote that a mark joins, at the end of the text.
        "x = \"abc\" + y", "\"\"", "\"abc", "\"ab\ncd\" x", "\"a\rb\"", "\"a\r\nb\"", "\"ab\"" + combining + "c\"",
        "\"caf\u00e9\" x", "f(\"a\", \"a\", \"b\")",
        // Numbers and names at the ends of lines and of the text.
        "12", "1.5", "1.", "1._", "1_", "1.5_", "9223372036854775807", "9223372036854775808", "x\n12\n", "x = 3\n",
        "function", "functio", "functions", "f=function(x){x}", "a1_b2 3c",
        // Whole documents, and one of blanks only.
        "a  =\t 1_000.5 km # c\n\"s\n t\" + f(3, by: 2)  \n  ", "x \u0301 y\t\u0301\n",
        "\"e\u0301\" \U0001F468\u200D\U0001F469 ===\r\n1._5 \xff", "   ",
    };
    for (const auto& source : cases)
        EXPECT_EQ(everything(source), everythingTraced(source)) << testing::PrintToString(source);
}

TEST(LexerFastPath, AgreesWithTheGeneralPathOnRandomTexts)
{
    const std::vector<std::string> pieces = {
        "a", "Z", "_", "function", "x1", "0", "7", "12", "1_0", ".", "_", " ", "\t", "\n", "\r", "\r\n", "(", ")",
        "[", "]", "{", "}", ",", ":", ";", "+", "-", "*", "/", "%", ">", "<", "=", "!", "\"", "#", "&", "\\",
        combining, zeroWidthJoiner, "\u00e9", "\u6f22", "\U0001F44D", "\U0001F1EB\U0001F1F7", "\xff", "\xe2\x82",
    };
    std::mt19937 random(20240607);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 14);
    for (int text = 0; text < 3000; ++text) {
        std::string source;
        for (int count = length(random); count > 0; --count)
            source += pieces[piece(random)];
        ASSERT_EQ(everything(source), everythingTraced(source)) << testing::PrintToString(source);
    }
}

// The text of the string literal that goes with a number: short for most,
// long past any sharing for some.
std::string textFor(std::int64_t number)
{
    // Appended rather than joined with operator+, which GCC 12 warns about
    // falsely (-Wrestrict) in a Release build.
    std::string text = "s";
    text += std::to_string(number);
    text.append(static_cast<std::size_t>(number % 5 * 9), '.');
    return text;
}

// Tokens with equal lexemes share their literal; a literal must still be the
// value of its own token's text when many lexemes compete for the same room.
TEST(LexerFastPath, EveryLiteralIsTheValueOfItsOwnLexeme)
{
    std::string source;
    std::vector<std::int64_t> numbers;
    for (std::int64_t round = 0; round < 3; ++round) {
        for (std::int64_t index = 0; index < 2000; ++index) {
            const auto number = round == 1 ? 1999 - index : index * 7 % 2000;
            source += std::to_string(number) + " \"" + textFor(number) + "\"\n";
            numbers.push_back(number);
        }
    }
    const auto tokens = Lexer::lex(source);
    ASSERT_EQ(tokens.size(), numbers.size() * 3 + 1);
    for (std::size_t index = 0; index < numbers.size(); ++index) {
        const auto& number = tokens[index * 3];
        const auto& string = tokens[index * 3 + 1];
        ASSERT_TRUE(number.literal && string.literal) << index;
        const auto* value = number.literal->as<Number>();
        ASSERT_NE(value, nullptr);
        EXPECT_EQ(value->numerator, numbers[index]) << number.lexeme;
        EXPECT_EQ(value->denominator, 1);
        const auto* text = string.literal->as<EString>();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->value, textFor(numbers[index])) << string.lexeme;
    }
}

} // namespace
} // namespace engine::test
