#include <string>

#include <gtest/gtest.h>

#include "FrontendTestSupport.h"

namespace engine::test {
namespace {

TEST(Lexer, Tokens)
{
    expectEach(lexed, {
        {"", "eof \"\" 0:0"},
        {"a - > b", "identifier \"a\" 0:1, minus \"-\" 0:3, greater \">\" 0:5, identifier \"b\" 0:7, eof \"b\" 0:7"},
        {"x; y", "identifier \"x\" 0:1, newline \";\" 0:2, identifier \"y\" 0:4, eof \"y\" 0:4"},
        {"\n\nx", "newline \"\n\" 0:1, newline \"\n\" 1:1, identifier \"x\" 2:1, eof \"x\" 2:1"},
        {"a\n", "identifier \"a\" 0:1, newline \"\n\" 0:2, eof \"\n\" 1:0"},
        {"()[],:+*%{}/", "leftParen \"(\" 0:1, rightParen \")\" 0:2, leftSquare \"[\" 0:3, rightSquare \"]\" 0:4, "
                         "comma \",\" 0:5, colon \":\" 0:6, plus \"+\" 0:7, star \"*\" 0:8, percent \"%\" 0:9, "
                         "leftCurly \"{\" 0:10, rightCurly \"}\" 0:11, slash \"/\" 0:12, eof \"/\" 0:12"},
        {"!= == <= >= ->", "bangEqual \"!=\" 0:2, equalEqual \"==\" 0:5, lesserEqual \"<=\" 0:8, "
                           "greaterEqual \">=\" 0:11, rightArrow \"->\" 0:14, eof \"->\" 0:14"},
        {"! = < > -", "bang \"!\" 0:1, equal \"=\" 0:3, lesser \"<\" 0:5, greater \">\" 0:7, minus \"-\" 0:9, eof \"-\" 0:9"},
        // The longest operator wins, left to right.
        {"!== => -->", "bangEqual \"!=\" 0:2, equal \"=\" 0:3, equal \"=\" 0:5, greater \">\" 0:6, minus \"-\" 0:8, "
                       "rightArrow \"->\" 0:10, eof \"->\" 0:10"},
        {"function functions Function true _x1 func_tion",
         "function \"function\" 0:8, identifier \"functions\" 0:18, identifier \"Function\" 0:27, "
         "identifier \"true\" 0:32, identifier \"_x1\" 0:36, identifier \"func_tion\" 0:46, eof \"func_tion\" 0:46"},
        // No exponents: a name after a number is its unit.
        {"1e3 5km", "number \"1\" 0:1, identifier \"e3\" 0:3, number \"5\" 0:5, identifier \"km\" 0:7, eof \"km\" 0:7"},
        {"1_000 1__0", "number \"1_000\" 0:5, number \"1__0\" 0:10, eof \"1__0\" 0:10"},
        {"# comment", "eof \"# comment\" 0:9"},
        {"1 # one + 1\n2", "number \"1\" 0:1, newline \"\n\" 0:12, number \"2\" 1:1, eof \"2\" 1:1"},
        {" \ta\r b\t", "identifier \"a\" 0:3, identifier \"b\" 0:6, eof \"\t\" 0:7"},
        {"\"\" \"#x\" x", "string \"\"\"\" 0:2, string \"\"#x\"\" 0:7, identifier \"x\" 0:9, eof \"x\" 0:9"},
        // After a line feed inside a string the column restarts.
        {"\"a\nbc\" x", "string \"\"a\nbc\"\" 1:3, identifier \"x\" 1:5, eof \"x\" 1:5"},
        {"\"a\n\n\"\ny", "string \"\"a\n\n\"\" 2:1, newline \"\n\" 2:2, identifier \"y\" 3:1, eof \"y\" 3:1"},
        // Columns count user-perceived characters, not bytes or code points.
        {"\"caf\u00e9 \u6f22\u5b57\" x", "string \"\"caf\u00e9 \u6f22\u5b57\"\" 0:9, identifier \"x\" 0:11, eof \"x\" 0:11"},
        {"\"e\u0301\u0302\" + 1", "string \"\"e\u0301\u0302\"\" 0:3, plus \"+\" 0:5, number \"1\" 0:7, eof \"1\" 0:7"},
        {"\"\U0001F468\u200D\U0001F469\u200D\U0001F467\" x",
         "string \"\"\U0001F468\u200D\U0001F469\u200D\U0001F467\"\" 0:3, identifier \"x\" 0:5, eof \"x\" 0:5"},
        {"\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"",
         "string \"\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"\" 0:4, eof \"\"\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA\"\" 0:4"},
        {"1 # \u6f22\u5b57 \U0001F44D\U0001F3FD ok\n2", "number \"1\" 0:1, newline \"\n\" 0:12, number \"2\" 1:1, eof \"2\" 1:1"},
        {"\"\u00e9\ne\u0301\u0301x\" y", "string \"\"\u00e9\ne\u0301\u0301x\"\" 1:3, identifier \"y\" 1:5, eof \"y\" 1:5"},
        // Stray bytes count one character each and are kept inside strings.
        {"\"\xff\xfe\" x", "string \"\"\xff\xfe\"\" 0:4, identifier \"x\" 0:6, eof \"x\" 0:6"},
        {"#\xc0\xaf\xe2\x82\nx", "newline \"\n\" 0:6, identifier \"x\" 1:1, eof \"x\" 1:1"},
        // A carriage return with its line feed ends a line like the line feed alone.
        {"a\r\nb", "identifier \"a\" 0:1, newline \"\r\n\" 0:2, identifier \"b\" 1:1, eof \"b\" 1:1"},
        {"a\r\r\nb", "identifier \"a\" 0:1, newline \"\r\n\" 0:3, identifier \"b\" 1:1, eof \"b\" 1:1"},
        {"a\rb", "identifier \"a\" 0:1, identifier \"b\" 0:3, eof \"b\" 0:3"},
        {"# c\r\nx", "newline \"\r\n\" 0:4, identifier \"x\" 1:1, eof \"x\" 1:1"},
        {"# \rc\nx", "newline \"\n\" 0:5, identifier \"x\" 1:1, eof \"x\" 1:1"},
        {"\"a\r\nb\" x", "string \"\"a\r\nb\"\" 1:2, identifier \"x\" 1:4, eof \"x\" 1:4"},
        {"1\r\n", "number \"1\" 0:1, newline \"\r\n\" 0:2, eof \"\r\n\" 1:0"},
    });
}

// The same document with CR LF line ends lexes to the same tokens, lines,
// columns and errors as with LF alone, lexemes aside.
TEST(Lexer, CarriageReturnLineFeedMatchesLineFeed)
{
    for (const std::string document : {"a = 1\nb = a * 2 km # twice\n\n\"multi\nline\" x\nf(3, by: 2)\n",
                                       "# only a comment\n\n\n", "\"one\ntwo\nthree\" + \"\u00e9\n\u6f22\"\ny\n",
                                       "1.\n\u20ac\n\"x\ny", "a === b\n1_\n9223372036854775808\n"}) {
        std::string crlf;
        for (const char c : document)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        std::string lexedCrlf = lexed(crlf);
        for (auto at = lexedCrlf.find("\r\n"); at != std::string::npos; at = lexedCrlf.find("\r\n", at))
            lexedCrlf.erase(at, 1);
        EXPECT_EQ(lexedCrlf, lexed(document)) << document;
    }
}

const std::string preceeding = "Number literals cannot have an underscore as the character preceeding the decimal";
const std::string following = "Number literals cannot have an underscore as the character immediately following the decimal";
const std::string last = "Number literals cannot have an underscore as the last character";
const std::string unexpected = "ERR Unexpected character: ";

TEST(Lexer, ReportsEveryErrorWithItsPosition)
{
    expectEach(lexed, {
        {"1_", "ERR " + preceeding + " @0:2"},
        {"1_.5", "ERR " + preceeding + " @0:4"},
        {"1._5", "ERR " + following + " @0:4"},
        {"1._", "ERR " + following + " @0:3"},
        {"1.5_", "ERR " + last + " @0:4"},
        {"1_._", "ERR " + preceeding + " @0:4"},
        {"x = 12_", "ERR " + preceeding + " @0:7"},
        {"9223372036854775808", "ERR number too big @0:19"},
        {"0.1234567890123456789", "ERR number too big @0:21"},
        {"9.223372036854775808", "ERR number too big @0:20"},
        {"10.000000000000000000", "ERR number too big @0:21"},
        {"a === b", "ERR Triple equals is invalid @0:3"},
        {"====", "ERR Triple equals is invalid @0:1 | Triple equals is invalid @0:2"},
        {"\"abc", "ERR Unterminated String @0:4"},
        {"x\n\"a\nbc", "ERR Unterminated String @2:2"},
        {"1.", unexpected + ". @0:2"},
        {".5", unexpected + ". @0:1"},
        {"1.2.3", unexpected + ". @0:4"},
        {"a & b | c ^ 'd' \\", unexpected + "& @0:3 | Unexpected character: | @0:7 | Unexpected character: ^ @0:11 | "
                                "Unexpected character: ' @0:13 | Unexpected character: ' @0:15 | "
                                "Unexpected character: \\ @0:17"},
        {"5 \u20ac", unexpected + "\u20ac @0:3"},
        // The whole cluster is the character, even when it starts with an ASCII letter.
        {"cafe\u0301 = 1", unexpected + "e\u0301 @0:4"},
        {"x \U0001F468\u200D\U0001F469\u200D\U0001F467 y", unexpected + "\U0001F468\u200D\U0001F469\u200D\U0001F467 @0:3"},
        {"\u6f22\u5b57 = 1", unexpected + "\u6f22 @0:1 | Unexpected character: \u5b57 @0:2"},
        {"\"\u0301abc\"", unexpected + "\"\u0301 @0:1 | Unterminated String @0:5"},
        {"1\u00a0+ 2", unexpected + "\u00a0 @0:2"},
        {"1 \xff 2", unexpected + "\uFFFD @0:3"},
        {"\xe2\x82", unexpected + "\uFFFD @0:1 | Unexpected character: \uFFFD @0:2"},
        {"a\vb", unexpected + "\v @0:2"},
        {"1.\n\u20ac\r\n\"x", unexpected + ". @0:2 | Unexpected character: \u20ac @1:1 | Unterminated String @2:2"},
    });
}

// The literal of a source's one token: a number as numerator/denominator, a
// string as its text.
std::string literalOf(const std::string& source)
{
    const auto tokens = Lexer::lex(source);
    if (tokens.size() != 2 || !tokens[0].literal)
        return "not one literal";
    if (const auto* number = tokens[0].literal->as<Number>())
        return std::to_string(number->numerator) + "/" + std::to_string(number->denominator);
    const auto* string = tokens[0].literal->as<EString>();
    return string ? string->value : "neither number nor string";
}

// Lexing into a list replaces what it held, and leaves nothing after an error.
TEST(Lexer, IntoAListReplacesItsTokens)
{
    std::vector<Token> tokens = Lexer::lex("old tokens here\n\"and more\"");
    Lexer::lex("x = 2 kg", tokens);
    EXPECT_EQ(tokens, Lexer::lex("x = 2 kg"));
    EXPECT_THROW(Lexer::lex("y = \"open", tokens), MultiError<LexError>);
    EXPECT_TRUE(tokens.empty());
}

// A long list gives back the pages its tokens do not reach; the tokens it
// holds, and those of a later text that grows into those pages, stay whole.
TEST(Lexer, AListKeepsItsTokensWhenItsUnusedPagesAreGivenBack)
{
    std::string few;
    std::string more;
    for (int line = 0; line < 40'000; ++line) {
        few += "# a comment of a line " + std::to_string(line) + "\n";
        more += "abcdef" + std::to_string(line) + " + ghij\n";
    }
    ASSERT_LE(more.size(), few.size());
    std::vector<Token> tokens;
    Lexer::lex(few, tokens);
    EXPECT_EQ(tokens, Lexer::lex(few));
    const auto* storage = tokens.data();
    Lexer::lex(more, tokens);
    EXPECT_EQ(tokens.data(), storage) << "the list moved, so it did not grow into the pages given back";
    EXPECT_EQ(tokens, Lexer::lex(more));
}

// Positions are 32 bits wide, so a longer text is refused before any of it
// is read: the view below is never dereferenced.
TEST(Lexer, RefusesATextTooLongForItsPositions)
{
    const char text[] = "x";
    std::vector<Token> tokens = Lexer::lex("old");
    try {
        Lexer::lex(std::string_view(text, Lexer::maxSourceSize + 1), tokens);
        ADD_FAILURE() << "lexed a text past the limit";
    } catch (const MultiError<LexError>& error) {
        ASSERT_EQ(error.errors.size(), 1u);
        EXPECT_EQ(error.errors[0].message, "The document is too long to read: it has more than 2147483646 bytes");
        EXPECT_EQ(error.errors[0].line, 0);
        EXPECT_EQ(error.errors[0].column, 0);
    }
    EXPECT_TRUE(tokens.empty());
}

TEST(Lexer, LiteralsAreReducedNumbersAndVerbatimStrings)
{
    expectEach(literalOf, {
        {"0", "0/1"}, {"0.0", "0/1"}, {"007", "7/1"}, {"0000000000000000000000001", "1/1"},
        {"1__0", "10/1"}, {"0.25", "1/4"}, {"0.50", "1/2"}, {"3.0", "3/1"}, {"1_2.3_4", "617/50"},
        {"0.333", "333/1000"}, {"1.000000000000000000", "1/1"},
        {"9223372036854775807", "9223372036854775807/1"},
        {"9_223_372_036_854_775_807", "9223372036854775807/1"},
        // 123456789012345678 is 2 × 61728394506172839, and 10^18 is 2 × 5 × 10^17.
        {"0.123456789012345678", "61728394506172839/500000000000000000"},
        // 2^63 − 1 is odd and not a multiple of 5, so nothing cancels.
        {"9.223372036854775807", "9223372036854775807/1000000000000000000"},
        {"\"a\nb\"", "a\nb"}, {"\"a\\b\"", "a\\b"}, {"\"\\n\"", "\\n"}, {"\"\"", ""},
        {"\"# no comment\"", "# no comment"}, {"\"\u20ac \u6f22\"", "\u20ac \u6f22"},
        {"\"a\r\nb\"", "a\r\nb"}, {"\"\xff\"", "\xff"},
    });
}

TEST(Lexer, OnlyNumbersAndStringsCarryLiterals)
{
    for (const auto& token : Lexer::lex("function f = (a) -> (b) { [1, \"s\"] == !x; y <= 2 % 3 }\n")) {
        const bool literalExpected = token.type == TokenType::number || token.type == TokenType::string;
        EXPECT_EQ(token.literal.has_value(), literalExpected) << token.description();
    }
}

// Sets the trace flag for one scope and restores it afterwards.
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
    lexed(source);
    return testing::internal::GetCapturedStdout();
}

const std::string S = "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500"
                      "\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\u2500\n";
const std::string A = "\u2191";

TEST(Lexer, TracePrintsEachStep)
{
    expectEach(traceOf, {
        {"", S},
        {"1+2", S + "1+2\n" + A + "  \n" + S + "1+2\n " + A + " \n" + S + "1+2\n  " + A + "\n" + S},
        {"ab", S + "ab\n" + A + " \n" + S + "ab\n" + A + A + "\n" + S},
        {"a->b", S + "a->b\n" + A + "   \n" + S + "a->b\n " + A + "  \n" + S + "a->b\n " + A + A + " \n" + S
                     + "a->b\n   " + A + "\n" + S},
        // Comments and line feeds are not traced; each line shows itself.
        {"x # c\ny", S + "x # c\n" + A + "    \n" + S + "x # c\n " + A + "   \n" + S + "y\n" + A + "\n" + S},
        {"x # c\r\ny", S + "x # c\n" + A + "    \n" + S + "x # c\n " + A + "   \n" + S + "y\n" + A + "\n" + S},
        // The marker has one entry per character, not per byte.
        {"\"\u00e9\"", S + "\"\u00e9\"\n" + A + "  \n" + S + "\"\u00e9\"\n" + A + A + " \n" + S + "\"\u00e9\"\n" + A + A
                           + A + "\n" + S},
        // On the string's second line the column restarts, so the range from
        // the opening quote's column is cut short there.
        {"\"a\nb\"", S + "\"a\n" + A + " \n" + S + "\"a\n" + A + A + "\n" + S + "b\"\n" + A + " \n" + S + "b\"\n" + A + A
                         + "\n" + S},
        {"x=\"a\nb\"", S + "x=\"a\n" + A + "   \n" + S + "x=\"a\n " + A + "  \n" + S + "x=\"a\n  " + A + " \n" + S
                           + "x=\"a\n  " + A + A + "\n" + S + "b\"\n  \n" + S + "b\"\n  \n" + S},
    });
    testing::internal::CaptureStdout();
    lexed("x = 1 + 2\n\"s\"");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "traced without the flag";
}

} // namespace
} // namespace engine::test
