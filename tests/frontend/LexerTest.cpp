#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "values/MultiError.h"

namespace engine {

// A token's type, lexeme and position: what most rows below check.
struct Shape {
    TokenType type;
    std::string lexeme;
    std::int64_t line;
    std::int64_t column;
    bool operator==(const Shape&) const = default;
};

void PrintTo(const Shape& shape, std::ostream* out)
{
    *out << toString(shape.type) << " \"" << shape.lexeme << "\" " << shape.line << ":" << shape.column;
}

struct Failure {
    std::string message;
    std::int64_t line;
    std::int64_t column;
    bool operator==(const Failure&) const = default;
};

void PrintTo(const Failure& failure, std::ostream* out)
{
    *out << "\"" << failure.message << "\" " << failure.line << ":" << failure.column;
}

namespace {

using T = TokenType;

std::vector<Shape> shapes(const std::vector<Token>& tokens)
{
    std::vector<Shape> result;
    for (const auto& token : tokens)
        result.push_back({token.type, token.lexeme, token.sourceLine, token.sourceColumn});
    return result;
}

// The errors of a text that must fail to lex.
std::vector<Failure> failures(const std::string& source)
{
    try {
        Lexer::lex(source);
    } catch (const MultiError<LexError>& error) {
        std::vector<Failure> result;
        for (const auto& each : error.errors)
            result.push_back({each.message, each.line, each.column});
        return result;
    }
    ADD_FAILURE() << "lexed without errors: " << source;
    return {};
}

struct TokensCase {
    const char* name;
    std::string source;
    std::vector<Shape> tokens;
};

void PrintTo(const TokensCase& row, std::ostream* out) { *out << row.name; }

class LexerTokens : public testing::TestWithParam<TokensCase> {};

TEST_P(LexerTokens, GivesTypesLexemesAndPositions)
{
    EXPECT_EQ(shapes(Lexer::lex(GetParam().source)), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, LexerTokens,
    testing::Values(
        TokensCase{"empty", "", {{T::eof, "", 0, 0}}},
        TokensCase{"onePlusTwo", "1+2", {{T::number, "1", 0, 1}, {T::plus, "+", 0, 2}, {T::number, "2", 0, 3}, {T::eof, "2", 0, 3}}},
        TokensCase{"arrow", "a->b", {{T::identifier, "a", 0, 1}, {T::rightArrow, "->", 0, 3}, {T::identifier, "b", 0, 4}, {T::eof, "b", 0, 4}}},
        TokensCase{"splitArrow", "a - > b",
                   {{T::identifier, "a", 0, 1}, {T::minus, "-", 0, 3}, {T::greater, ">", 0, 5}, {T::identifier, "b", 0, 7}, {T::eof, "b", 0, 7}}},
        TokensCase{"semicolon", "x; y", {{T::identifier, "x", 0, 1}, {T::newline, ";", 0, 2}, {T::identifier, "y", 0, 4}, {T::eof, "y", 0, 4}}},
        TokensCase{"lineFeed", "a\nb", {{T::identifier, "a", 0, 1}, {T::newline, "\n", 0, 2}, {T::identifier, "b", 1, 1}, {T::eof, "b", 1, 1}}},
        TokensCase{"emptyLines", "\n\nx", {{T::newline, "\n", 0, 1}, {T::newline, "\n", 1, 1}, {T::identifier, "x", 2, 1}, {T::eof, "x", 2, 1}}},
        TokensCase{"trailingLineFeed", "a\n", {{T::identifier, "a", 0, 1}, {T::newline, "\n", 0, 2}, {T::eof, "\n", 1, 0}}},
        TokensCase{"singleCharacters", "()[],:+*%{}/",
                   {{T::leftParen, "(", 0, 1}, {T::rightParen, ")", 0, 2}, {T::leftSquare, "[", 0, 3}, {T::rightSquare, "]", 0, 4},
                    {T::comma, ",", 0, 5}, {T::colon, ":", 0, 6}, {T::plus, "+", 0, 7}, {T::star, "*", 0, 8},
                    {T::percent, "%", 0, 9}, {T::leftCurly, "{", 0, 10}, {T::rightCurly, "}", 0, 11}, {T::slash, "/", 0, 12},
                    {T::eof, "/", 0, 12}}},
        TokensCase{"twoCharacterOperators", "!= == <= >= ->",
                   {{T::bangEqual, "!=", 0, 2}, {T::equalEqual, "==", 0, 5}, {T::lesserEqual, "<=", 0, 8},
                    {T::greaterEqual, ">=", 0, 11}, {T::rightArrow, "->", 0, 14}, {T::eof, "->", 0, 14}}},
        TokensCase{"oneCharacterComparisons", "! = < > -",
                   {{T::bang, "!", 0, 1}, {T::equal, "=", 0, 3}, {T::lesser, "<", 0, 5}, {T::greater, ">", 0, 7},
                    {T::minus, "-", 0, 9}, {T::eof, "-", 0, 9}}},
        TokensCase{"bangEqualThenEqual", "!==", {{T::bangEqual, "!=", 0, 2}, {T::equal, "=", 0, 3}, {T::eof, "=", 0, 3}}},
        TokensCase{"equalGreater", "=>", {{T::equal, "=", 0, 1}, {T::greater, ">", 0, 2}, {T::eof, ">", 0, 2}}},
        TokensCase{"minusMinusGreater", "-->", {{T::minus, "-", 0, 1}, {T::rightArrow, "->", 0, 3}, {T::eof, "->", 0, 3}}},
        TokensCase{"keyword", "function", {{T::function, "function", 0, 8}, {T::eof, "function", 0, 8}}},
        TokensCase{"notKeywords", "functions Function true _x1 func_tion",
                   {{T::identifier, "functions", 0, 9}, {T::identifier, "Function", 0, 18}, {T::identifier, "true", 0, 23},
                    {T::identifier, "_x1", 0, 27}, {T::identifier, "func_tion", 0, 37}, {T::eof, "func_tion", 0, 37}}},
        TokensCase{"exponentIsAUnit", "1e3", {{T::number, "1", 0, 1}, {T::identifier, "e3", 0, 3}, {T::eof, "e3", 0, 3}}},
        TokensCase{"unitAfterNumber", "5km", {{T::number, "5", 0, 1}, {T::identifier, "km", 0, 3}, {T::eof, "km", 0, 3}}},
        TokensCase{"underscoresInNumber", "1_000 1__0", {{T::number, "1_000", 0, 5}, {T::number, "1__0", 0, 10}, {T::eof, "1__0", 0, 10}}},
        TokensCase{"commentOnly", "# comment", {{T::eof, "# comment", 0, 9}}},
        TokensCase{"commentThenLine", "1 # one + 1\n2",
                   {{T::number, "1", 0, 1}, {T::newline, "\n", 0, 12}, {T::number, "2", 1, 1}, {T::eof, "2", 1, 1}}},
        TokensCase{"blanksTabsCarriageReturns", " \ta\r b\t",
                   {{T::identifier, "a", 0, 3}, {T::identifier, "b", 0, 6}, {T::eof, "\t", 0, 7}}},
        TokensCase{"string", "\"hi\" x", {{T::string, "\"hi\"", 0, 4}, {T::identifier, "x", 0, 6}, {T::eof, "x", 0, 6}}},
        TokensCase{"emptyString", "\"\"", {{T::string, "\"\"", 0, 2}, {T::eof, "\"\"", 0, 2}}},
        TokensCase{"stringOverLines", "\"a\nbc\" x",
                   {{T::string, "\"a\nbc\"", 1, 3}, {T::identifier, "x", 1, 5}, {T::eof, "x", 1, 5}}},
        TokensCase{"stringOverLinesThenNextLine", "\"a\n\n\"\ny",
                   {{T::string, "\"a\n\n\"", 2, 1}, {T::newline, "\n", 2, 2}, {T::identifier, "y", 3, 1}, {T::eof, "y", 3, 1}}},
        TokensCase{"hashInsideString", "\"#x\"", {{T::string, "\"#x\"", 0, 4}, {T::eof, "\"#x\"", 0, 4}}},
        TokensCase{"definition", "function f = (by x) -> (y) { y = x }",
                   {{T::function, "function", 0, 8}, {T::identifier, "f", 0, 10}, {T::equal, "=", 0, 12},
                    {T::leftParen, "(", 0, 14}, {T::identifier, "by", 0, 16}, {T::identifier, "x", 0, 18},
                    {T::rightParen, ")", 0, 19}, {T::rightArrow, "->", 0, 22}, {T::leftParen, "(", 0, 24},
                    {T::identifier, "y", 0, 25}, {T::rightParen, ")", 0, 26}, {T::leftCurly, "{", 0, 28},
                    {T::identifier, "y", 0, 30}, {T::equal, "=", 0, 32}, {T::identifier, "x", 0, 34},
                    {T::rightCurly, "}", 0, 36}, {T::eof, "}", 0, 36}}}),
    [](const auto& info) { return std::string(info.param.name); });

// Columns count user-perceived characters, not bytes or code points.
INSTANTIATE_TEST_SUITE_P(
    Graphemes, LexerTokens,
    testing::Values(
        TokensCase{"precomposedInString", "\"caf\u00e9\" x", {{T::string, "\"caf\u00e9\"", 0, 6}, {T::identifier, "x", 0, 8}, {T::eof, "x", 0, 8}}},
        TokensCase{"combiningMarksInString", "\"e\u0301\u0302\" + 1",
                   {{T::string, "\"e\u0301\u0302\"", 0, 3}, {T::plus, "+", 0, 5}, {T::number, "1", 0, 7}, {T::eof, "1", 0, 7}}},
        TokensCase{"zwjFamilyInString", "\"\U0001F468\u200D\U0001F469\u200D\U0001F467\" x",
                   {{T::string, "\"\U0001F468\u200D\U0001F469\u200D\U0001F467\"", 0, 3}, {T::identifier, "x", 0, 5}, {T::eof, "x", 0, 5}}},
        TokensCase{"flagsInString", "\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"",
                   {{T::string, "\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"", 0, 4}, {T::eof, "\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"", 0, 4}}},
        TokensCase{"cjkInString", "\"\u6f22\u5b57\" x", {{T::string, "\"\u6f22\u5b57\"", 0, 4}, {T::identifier, "x", 0, 6}, {T::eof, "x", 0, 6}}},
        TokensCase{"cjkInComment", "# \u6f22\u5b57\nx", {{T::newline, "\n", 0, 5}, {T::identifier, "x", 1, 1}, {T::eof, "x", 1, 1}}},
        TokensCase{"emojiInComment", "1 # \U0001F44D\U0001F3FD ok\n2",
                   {{T::number, "1", 0, 1}, {T::newline, "\n", 0, 9}, {T::number, "2", 1, 1}, {T::eof, "2", 1, 1}}},
        TokensCase{"multiLineStringWithMarks", "\"\u00e9\ne\u0301\u0301x\" y",
                   {{T::string, "\"\u00e9\ne\u0301\u0301x\"", 1, 3}, {T::identifier, "y", 1, 5}, {T::eof, "y", 1, 5}}},
        // Stray bytes count one character each and are kept inside strings.
        TokensCase{"strayBytesInString", "\"\xff\xfe\" x", {{T::string, "\"\xff\xfe\"", 0, 4}, {T::identifier, "x", 0, 6}, {T::eof, "x", 0, 6}}},
        TokensCase{"strayBytesInComment", "#\xc0\xaf\xe2\x82\nx", {{T::newline, "\n", 0, 6}, {T::identifier, "x", 1, 1}, {T::eof, "x", 1, 1}}}),
    [](const auto& info) { return std::string(info.param.name); });

// A carriage return with its line feed ends a line like the line feed alone.
INSTANTIATE_TEST_SUITE_P(
    CarriageReturns, LexerTokens,
    testing::Values(
        TokensCase{"crlf", "a\r\nb", {{T::identifier, "a", 0, 1}, {T::newline, "\r\n", 0, 2}, {T::identifier, "b", 1, 1}, {T::eof, "b", 1, 1}}},
        TokensCase{"crBeforeCrlf", "a\r\r\nb", {{T::identifier, "a", 0, 1}, {T::newline, "\r\n", 0, 3}, {T::identifier, "b", 1, 1}, {T::eof, "b", 1, 1}}},
        TokensCase{"loneCrIsBlank", "a\rb", {{T::identifier, "a", 0, 1}, {T::identifier, "b", 0, 3}, {T::eof, "b", 0, 3}}},
        TokensCase{"commentBeforeCrlf", "# c\r\nx", {{T::newline, "\r\n", 0, 4}, {T::identifier, "x", 1, 1}, {T::eof, "x", 1, 1}}},
        TokensCase{"crInsideComment", "# \rc\nx", {{T::newline, "\n", 0, 5}, {T::identifier, "x", 1, 1}, {T::eof, "x", 1, 1}}},
        TokensCase{"stringOverCrlf", "\"a\r\nb\" x", {{T::string, "\"a\r\nb\"", 1, 2}, {T::identifier, "x", 1, 4}, {T::eof, "x", 1, 4}}},
        TokensCase{"trailingCrlf", "1\r\n", {{T::number, "1", 0, 1}, {T::newline, "\r\n", 0, 2}, {T::eof, "\r\n", 1, 0}}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NumberCase {
    const char* name;
    std::string source;
    std::int64_t numerator;
    std::int64_t denominator;
};

void PrintTo(const NumberCase& row, std::ostream* out) { *out << row.name; }

class LexerNumbers : public testing::TestWithParam<NumberCase> {};

TEST_P(LexerNumbers, AreReducedFractionsWithoutUnits)
{
    const auto tokens = Lexer::lex(GetParam().source);
    ASSERT_EQ(tokens.size(), 2u);
    ASSERT_EQ(tokens[0].type, TokenType::number);
    EXPECT_EQ(tokens[0].lexeme, GetParam().source);
    ASSERT_TRUE(tokens[0].literal.has_value());
    const auto* number = tokens[0].literal->as<Number>();
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(number->numerator, GetParam().numerator);
    EXPECT_EQ(number->denominator, GetParam().denominator);
    EXPECT_TRUE(number->units.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Literals, LexerNumbers,
    testing::Values(NumberCase{"zero", "0", 0, 1}, NumberCase{"zeroPointZero", "0.0", 0, 1},
                    NumberCase{"leadingZeros", "007", 7, 1}, NumberCase{"manyLeadingZeros", "0000000000000000000000001", 1, 1},
                    NumberCase{"thousand", "1_000", 1000, 1}, NumberCase{"doubleUnderscore", "1__0", 10, 1},
                    NumberCase{"quarter", "0.25", 1, 4}, NumberCase{"half", "0.50", 1, 2},
                    NumberCase{"threePointZero", "3.0", 3, 1}, NumberCase{"twoPointZero", "2.0", 2, 1},
                    NumberCase{"underscoresBothSides", "1_2.3_4", 617, 50}, NumberCase{"third", "0.333", 333, 1000},
                    NumberCase{"largest", "9223372036854775807", 9223372036854775807, 1},
                    NumberCase{"largestWithUnderscores", "9_223_372_036_854_775_807", 9223372036854775807, 1},
                    // 123456789012345678 is 2 × 61728394506172839, and 10^18 is 2 × 5 × 10^17.
                    NumberCase{"eighteenFractionDigits", "0.123456789012345678", 61728394506172839, 500000000000000000},
                    // 2^63 − 1 is odd and not a multiple of 5, so nothing cancels.
                    NumberCase{"largestScaled", "9.223372036854775807", 9223372036854775807, 1000000000000000000},
                    NumberCase{"eighteenZeros", "1.000000000000000000", 1, 1}),
    [](const auto& info) { return std::string(info.param.name); });

struct FailureCase {
    const char* name;
    std::string source;
    std::vector<Failure> errors;
};

void PrintTo(const FailureCase& row, std::ostream* out) { *out << row.name; }

class LexerFailures : public testing::TestWithParam<FailureCase> {};

TEST_P(LexerFailures, ReportEveryErrorWithItsPosition) { EXPECT_EQ(failures(GetParam().source), GetParam().errors); }

const std::string preceeding = "Number literals cannot have an underscore as the character preceeding the decimal";
const std::string following = "Number literals cannot have an underscore as the character immediately following the decimal";
const std::string last = "Number literals cannot have an underscore as the last character";
const std::string tooBig = "number too big";
const std::string unexpected = "Unexpected character: ";

INSTANTIATE_TEST_SUITE_P(
    Messages, LexerFailures,
    testing::Values(
        FailureCase{"underscoreBeforeEnd", "1_", {{preceeding, 0, 2}}},
        FailureCase{"underscoreBeforeDecimal", "1_.5", {{preceeding, 0, 4}}},
        FailureCase{"underscoreAfterDecimal", "1._5", {{following, 0, 4}}},
        FailureCase{"onlyUnderscoreAfterDecimal", "1._", {{following, 0, 3}}},
        FailureCase{"underscoreLast", "1.5_", {{last, 0, 4}}},
        FailureCase{"firstCheckWins", "1_._", {{preceeding, 0, 4}}},
        FailureCase{"positionAfterOtherTokens", "x = 12_", {{preceeding, 0, 7}}},
        FailureCase{"pastLargest", "9223372036854775808", {{tooBig, 0, 19}}},
        FailureCase{"hugeInteger", "123456789012345678901234567890", {{tooBig, 0, 30}}},
        FailureCase{"nineteenFractionDigits", "0.1234567890123456789", {{tooBig, 0, 21}}},
        FailureCase{"scaledPastLargest", "9.223372036854775808", {{tooBig, 0, 20}}},
        FailureCase{"scaledIntegerOverflows", "10.000000000000000000", {{tooBig, 0, 21}}},
        FailureCase{"tripleEquals", "a === b", {{"Triple equals is invalid", 0, 3}}},
        FailureCase{"quadrupleEquals", "====", {{"Triple equals is invalid", 0, 1}, {"Triple equals is invalid", 0, 2}}},
        FailureCase{"tripleEqualsOnSecondLine", "a = 1\nb === 2", {{"Triple equals is invalid", 1, 3}}},
        FailureCase{"unterminated", "\"abc", {{"Unterminated String", 0, 4}}},
        FailureCase{"unterminatedOverLines", "x\n\"a\nbc", {{"Unterminated String", 2, 2}}},
        FailureCase{"trailingDot", "1.", {{unexpected + ".", 0, 2}}},
        FailureCase{"leadingDot", ".5", {{unexpected + ".", 0, 1}}},
        FailureCase{"secondDot", "1.2.3", {{unexpected + ".", 0, 4}}},
        FailureCase{"otherPunctuation", "a & b | c ^ 'd' \\", {{unexpected + "&", 0, 3}, {unexpected + "|", 0, 7}, {unexpected + "^", 0, 11}, {unexpected + "'", 0, 13}, {unexpected + "'", 0, 15}, {unexpected + "\\", 0, 17}}},
        FailureCase{"euro", "5 \u20ac", {{unexpected + "\u20ac", 0, 3}}},
        FailureCase{"letterOutsideAscii", "\u00e9t\u00e9", {{unexpected + "\u00e9", 0, 1}, {unexpected + "\u00e9", 0, 3}}},
        // The whole cluster is the character, even when it starts with an ASCII letter.
        FailureCase{"decomposedLetter", "cafe\u0301 = 1", {{unexpected + "e\u0301", 0, 4}}},
        FailureCase{"zwjFamily", "x \U0001F468\u200D\U0001F469\u200D\U0001F467 y", {{unexpected + "\U0001F468\u200D\U0001F469\u200D\U0001F467", 0, 3}}},
        FailureCase{"cjkIdentifier", "\u6f22\u5b57 = 1", {{unexpected + "\u6f22", 0, 1}, {unexpected + "\u5b57", 0, 2}}},
        FailureCase{"combiningMarkAfterQuote", "\"\u0301abc\"", {{unexpected + "\"\u0301", 0, 1}, {"Unterminated String", 0, 5}}},
        FailureCase{"nonBreakingSpace", "1\u00a0+ 2", {{unexpected + "\u00a0", 0, 2}}},
        FailureCase{"strayByte", "1 \xff 2", {{unexpected + "\uFFFD", 0, 3}}},
        FailureCase{"truncatedSequence", "\xe2\x82", {{unexpected + "\uFFFD", 0, 1}, {unexpected + "\uFFFD", 0, 2}}},
        FailureCase{"controlCharacter", "a\vb", {{unexpected + "\v", 0, 2}}},
        FailureCase{"errorsOnSeveralLines", "1.\n\u20ac\r\n\"x", {{unexpected + ".", 0, 2}, {unexpected + "\u20ac", 1, 1}, {"Unterminated String", 2, 2}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Lexer, StringLiteralsAreVerbatim)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"\"a\nb\"", "a\nb"},       {"\"a\\b\"", "a\\b"},      {"\"\\n\"", "\\n"},
        {"\"\"", ""},               {"\"# no comment\"", "# no comment"}, {"\"\u20ac \u6f22\"", "\u20ac \u6f22"},
        {"\"a\r\nb\"", "a\r\nb"},   {"\"\xff\"", "\xff"},
    };
    for (const auto& [source, expected] : cases) {
        const auto tokens = Lexer::lex(source);
        ASSERT_EQ(tokens.size(), 2u) << source;
        ASSERT_TRUE(tokens[0].literal.has_value()) << source;
        const auto* string = tokens[0].literal->as<EString>();
        ASSERT_NE(string, nullptr) << source;
        EXPECT_EQ(string->value, expected) << source;
    }
}

TEST(Lexer, OnlyNumbersAndStringsCarryLiterals)
{
    for (const auto& token : Lexer::lex("function f = (a) -> (b) { [1, \"s\"] == !x; y <= 2 % 3 }\n")) {
        const bool literalExpected = token.type == TokenType::number || token.type == TokenType::string;
        EXPECT_EQ(token.literal.has_value(), literalExpected) << token.description();
    }
}

// The same document with CR LF line ends lexes to the same types, lines,
// columns and errors as with LF alone.
TEST(Lexer, CarriageReturnLineFeedMatchesLineFeed)
{
    const std::vector<std::string> documents{
        "a = 1\nb = a * 2 km # twice\n\n\"multi\nline\" x\nf(3, by: 2)\n",
        "# only a comment\n\n\n",
        "\"one\ntwo\nthree\" + \"\u00e9\n\u6f22\"\ny\n",
        "1.\n\u20ac\n\"x\ny",
        "a === b\n1_\n9223372036854775808\n",
    };
    const auto withCrlf = [](const std::string& text) {
        std::string result;
        for (const char c : text)
            result += c == '\n' ? std::string("\r\n") : std::string(1, c);
        return result;
    };
    const auto positions = [](const std::vector<Token>& tokens) {
        std::vector<std::tuple<TokenType, std::int64_t, std::int64_t>> result;
        for (const auto& token : tokens)
            result.emplace_back(token.type, token.sourceLine, token.sourceColumn);
        return result;
    };
    for (const auto& document : documents) {
        const auto crlf = withCrlf(document);
        std::vector<Token> lfTokens;
        std::vector<Token> crlfTokens;
        std::vector<Failure> lfErrors;
        std::vector<Failure> crlfErrors;
        try {
            lfTokens = Lexer::lex(document);
        } catch (const MultiError<LexError>&) {
            lfErrors = failures(document);
        }
        try {
            crlfTokens = Lexer::lex(crlf);
        } catch (const MultiError<LexError>&) {
            crlfErrors = failures(crlf);
        }
        EXPECT_EQ(positions(lfTokens), positions(crlfTokens)) << document;
        EXPECT_EQ(lfErrors, crlfErrors) << document;
    }
}

// Sets the trace flag for one test and restores it afterwards.
class TraceOn {
public:
    TraceOn() { Lexer::debugStep = true; }
    ~TraceOn() { Lexer::debugStep = false; }
    TraceOn(const TraceOn&) = delete;
    TraceOn& operator=(const TraceOn&) = delete;
};

std::string traceOf(const std::string& source)
{
    TraceOn trace;
    testing::internal::CaptureStdout();
    try {
        Lexer::lex(source);
    } catch (const MultiError<LexError>&) {
        // the trace is printed whatever the outcome
    }
    return testing::internal::GetCapturedStdout();
}

const std::string S = "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
                      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\n";
const std::string A = "\u2191";

struct TraceCase {
    const char* name;
    std::string source;
    std::string trace;
};

void PrintTo(const TraceCase& row, std::ostream* out) { *out << row.name; }

class LexerTrace : public testing::TestWithParam<TraceCase> {};

TEST_P(LexerTrace, PrintsEachStep) { EXPECT_EQ(traceOf(GetParam().source), GetParam().trace); }

INSTANTIATE_TEST_SUITE_P(
    Steps, LexerTrace,
    testing::Values(
        TraceCase{"empty", "", S},
        TraceCase{"onePlusTwo", "1+2", S + "1+2\n" + A + "  \n" + S + "1+2\n " + A + " \n" + S + "1+2\n  " + A + "\n" + S},
        TraceCase{"identifierRange", "ab", S + "ab\n" + A + " \n" + S + "ab\n" + A + A + "\n" + S},
        TraceCase{"arrow", "a->b",
                  S + "a->b\n" + A + "   \n" + S + "a->b\n " + A + "  \n" + S + "a->b\n " + A + A + " \n" + S + "a->b\n   " + A + "\n" + S},
        // Comments and line feeds are not traced; each line shows itself.
        TraceCase{"commentAndLineFeed", "x # c\ny",
                  S + "x # c\n" + A + "    \n" + S + "x # c\n " + A + "   \n" + S + "y\n" + A + "\n" + S},
        TraceCase{"crlfLikeLineFeed", "x # c\r\ny",
                  S + "x # c\n" + A + "    \n" + S + "x # c\n " + A + "   \n" + S + "y\n" + A + "\n" + S},
        // The marker has one entry per character, not per byte.
        TraceCase{"multiByteCharacters", "\"\u00e9\"",
                  S + "\"\u00e9\"\n" + A + "  \n" + S + "\"\u00e9\"\n" + A + A + " \n" + S + "\"\u00e9\"\n" + A + A + A + "\n" + S},
        // On the string's second line the column restarts, so the range from
        // the opening quote's column is cut short there.
        TraceCase{"stringOverLines", "\"a\nb\"",
                  S + "\"a\n" + A + " \n" + S + "\"a\n" + A + A + "\n" + S + "b\"\n" + A + " \n" + S + "b\"\n" + A + A + "\n" + S},
        TraceCase{"stringLaterOnItsLine", "x=\"a\nb\"",
                  S + "x=\"a\n" + A + "   \n" + S + "x=\"a\n " + A + "  \n" + S + "x=\"a\n  " + A + " \n" + S + "x=\"a\n  " + A + A + "\n"
                      + S + "b\"\n  \n" + S + "b\"\n  \n" + S}),
    [](const auto& info) { return std::string(info.param.name); });

// Tracing takes the slow road through every step; the tokens and errors
// must not depend on it.
TEST(Lexer, TracingChangesNothingButTheOutput)
{
    const std::vector<std::string> documents{
        "a  =\t 1_000.5 km # c\n\"s\n t\" + f(3, by: 2)  \n  ",
        "x \u0301 y\t\u0301\n",
        "\"e\u0301\" \U0001F468\u200D\U0001F469 ===\r\n1._5 \xff",
        "   ",
    };
    const auto outcome = [](const std::string& source) {
        try {
            return std::make_pair(Lexer::lex(source), std::vector<Failure>{});
        } catch (const MultiError<LexError>& error) {
            std::vector<Failure> result;
            for (const auto& each : error.errors)
                result.push_back({each.message, each.line, each.column});
            return std::make_pair(std::vector<Token>{}, result);
        }
    };
    for (const auto& document : documents) {
        const auto plain = outcome(document);
        TraceOn trace;
        testing::internal::CaptureStdout();
        const auto traced = outcome(document);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(plain.first, traced.first) << document;
        EXPECT_EQ(plain.second, traced.second) << document;
    }
}

TEST(Lexer, PrintsNothingWithoutTheTraceFlag)
{
    testing::internal::CaptureStdout();
    Lexer::lex("x = 1 + 2\n\"s\"");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(Lexer, TokensKeepTheirPlaceAcrossManyLines)
{
    std::string document;
    constexpr int lines = 2000;
    for (int i = 0; i < lines; ++i)
        document += "v" + std::to_string(i) + " = " + std::to_string(i) + " kg # note\n";
    const auto tokens = Lexer::lex(document);
    ASSERT_EQ(tokens.size(), static_cast<std::size_t>(lines) * 5 + 1);
    for (int i = 0; i < lines; ++i) {
        const auto& number = tokens[static_cast<std::size_t>(i) * 5 + 2];
        ASSERT_EQ(number.sourceLine, i);
        const auto digits = static_cast<std::int64_t>(std::to_string(i).size());
        ASSERT_EQ(number.sourceColumn, digits + 1 + 3 + digits); // "v<i> = <i>"
        ASSERT_EQ(number.literal->as<Number>()->numerator, i);
    }
    EXPECT_EQ(tokens.back().type, TokenType::eof);
    EXPECT_EQ(tokens.back().sourceLine, lines);
}

} // namespace
} // namespace engine
