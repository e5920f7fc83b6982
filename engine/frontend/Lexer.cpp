#include "frontend/Lexer.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "frontend/LexError.h"
#include "values/Graphemes.h"
#include "values/Maths.h"
#include "values/MultiError.h"

namespace engine {

namespace {

const std::string unexpectedCharacter = "Unexpected character: ";
const std::string tripleEquals = "Triple equals is invalid";
const std::string unterminatedString = "Unterminated String";
const std::string underscoreFirst = "Number literals cannot have an underscore as the first character";
const std::string underscoreBeforeDecimal =
    "Number literals cannot have an underscore as the character preceeding the decimal";
const std::string underscoreAfterDecimal =
    "Number literals cannot have an underscore as the character immediately following the decimal";
const std::string underscoreLast = "Number literals cannot have an underscore as the last character";
const std::string numberTooBig = "number too big";
const std::string unknownError = "Unknown";

// The only keyword; "true", "false" and built-in names are identifiers.
constexpr std::string_view functionKeyword = "function";

// 10^18 is the largest power of ten a signed 64-bit integer holds, so a
// fraction part may have at most this many digits.
constexpr int maxFractionDigits = 18;

// A byte that is not UTF-8 is shown as U+FFFD in messages, so that every
// message stays valid text.
constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

// The trace's separator: this many copies of U+2500.
constexpr int traceSeparatorLength = 27;
constexpr std::string_view traceSeparatorPiece = "\u2500";
constexpr std::string_view traceMarker = "\u2191";

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// Whether a character is exactly the single ASCII character `c`.
bool is(std::string_view character, char c) { return character.size() == 1 && character[0] == c; }

// A carriage return with its line feed is a line end like the line feed alone.
bool isLineEnd(std::string_view character) { return is(character, '\n') || character == "\r\n"; }

bool isDigitOrUnderscore(std::string_view character)
{
    return character.size() == 1 && (isDigit(character[0]) || character[0] == '_');
}

std::string displayed(std::string_view character)
{
    if (character.size() == 1 && static_cast<unsigned char>(character[0]) >= 0x80)
        return std::string(replacementCharacter);
    return std::string(character);
}

std::string traceSeparator()
{
    std::string separator;
    for (int i = 0; i < traceSeparatorLength; ++i)
        separator += traceSeparatorPiece;
    return separator;
}

void print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

// The lines of a text for the trace, without their line ends.
std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t lineStart = 0;
    for (;;) {
        const auto lineFeed = text.find('\n', lineStart);
        if (lineFeed == std::string_view::npos) {
            lines.push_back(text.substr(lineStart));
            return lines;
        }
        auto lineEnd = lineFeed;
        if (lineEnd > lineStart && text[lineEnd - 1] == '\r')
            --lineEnd;
        lines.push_back(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineFeed + 1;
    }
}

// Digits with their underscores skipped, read as a signed 64-bit integer.
struct Digits {
    std::int64_t value = 0;
    int count = 0;
    bool fits = true;
};

Digits readDigits(std::string_view text)
{
    Digits digits;
    for (const char c : text) {
        if (c == '_')
            continue;
        ++digits.count;
        if (digits.fits
            && (__builtin_mul_overflow(digits.value, 10, &digits.value)
                || __builtin_add_overflow(digits.value, c - '0', &digits.value)))
            digits.fits = false;
    }
    return digits;
}

// Typical documents hold about one token per three bytes; reserving that
// many up front spares most regrowth of a long token list.
constexpr std::size_t bytesPerToken = 3;
// The reservation stops here (about 300 MB of address space), so a huge text
// does not claim address space it may never use; longer lists simply grow.
// Below it, reserved memory that no token reaches is never touched, and a
// long document's list never moves.
constexpr std::size_t maxReservedTokens = std::size_t{1} << 22;

enum class Width { one, two };

// One run of the lexer over one text. Positions are byte offsets into the
// source, always on character boundaries; columns count characters.
class Scanner {
public:
    Scanner(std::string_view source, std::vector<Token>& tokens, bool tracing)
        : tokens(tokens), source(source), tracing(tracing)
    {
        tokens.clear();
        tokens.reserve(std::min(source.size() / bytesPerToken + 1, maxReservedTokens));
        if (tracing)
            traceLines = linesOf(source);
    }

    std::vector<LexError> errors;
    std::vector<Token>& tokens;

    void scanTokens()
    {
        while (!isAtEnd()) {
            start = current;
            startColumn = currentColumn;
            if (!tracing && isLoneBlank(current)) {
                // The commonest step of all, taken without the full dispatch.
                ++current;
                ++currentColumn;
                continue;
            }
            try {
                scanToken();
            } catch (...) {
                errors.emplace_back(unknownError, currentLine, currentColumn);
            }
            // Each step records at most one error, so this stops at the first past the limit.
            if (errors.size() > maxErrors) {
                errors.back().message = tooManyErrors;
                break;
            }
        }
        addToken(TokenType::eof);
        if (tracing)
            print(traceSeparator() + "\n");
    }

private:
    const std::string_view source;
    const bool tracing;
    std::vector<std::string_view> traceLines;

    // Where the current scan step began.
    std::size_t start = 0;
    std::int64_t startColumn = 0;
    // The next character to read.
    std::size_t current = 0;
    // The 0-based line of the read position.
    std::int64_t currentLine = 0;
    // Characters consumed on the current line.
    std::int64_t currentColumn = 0;

    bool isAtEnd() const { return current >= source.size(); }

    // A blank or tab that is a character of its own: followed by the end or
    // by ASCII, so no combining mark joins it.
    bool isLoneBlank(std::size_t offset) const
    {
        const char c = source[offset];
        return (c == ' ' || c == '\t')
            && (offset + 1 == source.size() || static_cast<unsigned char>(source[offset + 1]) < 0x80);
    }

    std::size_t characterEnd(std::size_t offset) const
    {
        // Two ASCII bytes, the first not a carriage return, always part:
        // the common case, decided here without a call.
        if (offset + 1 < source.size()) {
            const auto first = static_cast<unsigned char>(source[offset]);
            const auto next = static_cast<unsigned char>(source[offset + 1]);
            if (first < 0x80 && next < 0x80 && first != '\r')
                return offset + 1;
        }
        return Graphemes::characterEnd(source, offset);
    }

    // The character at `offset`, empty past the end.
    std::string_view characterAt(std::size_t offset) const
    {
        if (offset >= source.size())
            return {};
        return source.substr(offset, characterEnd(offset) - offset);
    }

    std::string_view peek() const { return characterAt(current); }

    std::string_view peekNext() const
    {
        if (isAtEnd())
            return {};
        return characterAt(characterEnd(current));
    }

    void consume()
    {
        current = characterEnd(current);
        ++currentColumn;
    }

    void advance()
    {
        if (tracing)
            traceStep();
        consume();
    }

    // Advances while the next character is a single ASCII character that
    // `accept` takes.
    template <typename Accept>
    void advanceWhile(Accept accept)
    {
        if (tracing) {
            while (!isAtEnd() && accept(source[current]) && characterEnd(current) == current + 1)
                advance();
            return;
        }
        // Every accepted byte is ASCII and no carriage return, so each is a
        // character of its own, except that the last may join a combining
        // mark after it; that one is left for the next step.
        auto end = current;
        while (end < source.size() && accept(source[end]))
            ++end;
        if (end > current && end < source.size() && characterEnd(end - 1) != end)
            --end;
        currentColumn += static_cast<std::int64_t>(end - current);
        current = end;
    }

    void addToken(TokenType type, TokenLiteral literal = {}, Width width = Width::one)
    {
        if (width == Width::two)
            advance();
        auto& token = tokens.emplace_back();
        token.type = type;
        // Appending to the empty lexeme skips assign's general replacement.
        token.lexeme.append(source.data() + start, current - start);
        if (literal)
            token.literal = std::move(literal);
        token.sourceLine = currentLine;
        token.sourceColumn = currentColumn;
    }

    void fail(const std::string& message) { errors.emplace_back(message, currentLine, currentColumn); }

    void scanToken()
    {
        if (tracing)
            traceStep();
        const auto end = characterEnd(current);
        const auto c = source.substr(current, end - current);
        current = end;
        ++currentColumn;
        if (c.size() != 1) {
            if (isLineEnd(c))
                lineFeed();
            else
                fail(unexpectedCharacter + displayed(c));
            return;
        }
        if (isLetter(c[0]) || c[0] == '_')
            return scanIdentifier();
        if (isDigit(c[0]))
            return scanNumber();
        switch (c[0]) {
        case '(': return addToken(TokenType::leftParen);
        case ')': return addToken(TokenType::rightParen);
        case '[': return addToken(TokenType::leftSquare);
        case ']': return addToken(TokenType::rightSquare);
        case ',': return addToken(TokenType::comma);
        case ':': return addToken(TokenType::colon);
        case '+': return addToken(TokenType::plus);
        case '-':
            if (is(peek(), '>'))
                return addToken(TokenType::rightArrow, TokenLiteral(), Width::two);
            return addToken(TokenType::minus);
        case '*': return addToken(TokenType::star);
        case '%': return addToken(TokenType::percent);
        case '{': return addToken(TokenType::leftCurly);
        case '}': return addToken(TokenType::rightCurly);
        case '/': return addToken(TokenType::slash);
        case '"': return scanString();
        case '#': return skipComment();
        case ' ':
        case '\r':
        case '\t': return;
        case ';': return addToken(TokenType::newline);
        case '\n': return lineFeed();
        case '!':
            if (is(peek(), '='))
                return addToken(TokenType::bangEqual, TokenLiteral(), Width::two);
            return addToken(TokenType::bang);
        case '=':
            if (is(peek(), '=') && is(peekNext(), '='))
                return fail(tripleEquals);
            if (is(peek(), '='))
                return addToken(TokenType::equalEqual, TokenLiteral(), Width::two);
            return addToken(TokenType::equal);
        case '<':
            if (is(peek(), '='))
                return addToken(TokenType::lesserEqual, TokenLiteral(), Width::two);
            return addToken(TokenType::lesser);
        case '>':
            if (is(peek(), '='))
                return addToken(TokenType::greaterEqual, TokenLiteral(), Width::two);
            return addToken(TokenType::greater);
        default:
            return fail(unexpectedCharacter + displayed(c));
        }
    }

    // The token is recorded first, so it belongs to the line it ends.
    void lineFeed()
    {
        addToken(TokenType::newline);
        ++currentLine;
        currentColumn = 0;
    }

    // Runs to the end of the line without tracing, which skips comments.
    void skipComment()
    {
        auto lineEnd = source.find('\n', current);
        if (lineEnd == std::string_view::npos)
            lineEnd = source.size();
        else if (lineEnd > current && source[lineEnd - 1] == '\r')
            --lineEnd; // a CR before LF always joins it, so this is a boundary
        currentColumn += static_cast<std::int64_t>(Graphemes::count(source.substr(current, lineEnd - current)));
        current = lineEnd;
    }

    void scanIdentifier()
    {
        advanceWhile([](char c) { return c == '_' || isLetter(c) || isDigit(c); });
        const auto text = source.substr(start, current - start);
        addToken(text == functionKeyword ? TokenType::function : TokenType::identifier);
    }

    void scanString()
    {
        if (!tracing) {
            // Plain ASCII text, up to the last byte before a quote, a line
            // end or anything that is not ASCII, is one character per byte.
            auto end = current;
            while (end + 1 < source.size()) {
                const auto c = static_cast<unsigned char>(source[end]);
                const auto next = static_cast<unsigned char>(source[end + 1]);
                if (c >= 0x80 || next >= 0x80 || c == '"' || c == '\n' || c == '\r')
                    break;
                ++end;
            }
            currentColumn += static_cast<std::int64_t>(end - current);
            current = end;
        }
        while (!isAtEnd()) {
            const auto end = characterEnd(current);
            const auto c = source.substr(current, end - current);
            if (is(c, '"'))
                break;
            const bool lineEnd = isLineEnd(c);
            if (lineEnd)
                ++currentLine;
            if (tracing)
                traceStep();
            current = end;
            // The column restarts on a new line, as after a newline token.
            currentColumn = lineEnd ? 0 : currentColumn + 1;
        }
        if (isAtEnd())
            return fail(unterminatedString);
        advance(); // the closing quote
        const auto contentStart = start + 1;
        const auto contentEnd = current - 1;
        addToken(TokenType::string, ValueUnion(EString(std::string(source.substr(contentStart, contentEnd - contentStart)))));
    }

    void scanNumber()
    {
        const auto digitOrUnderscore = [](char c) { return isDigit(c) || c == '_'; };
        advanceWhile(digitOrUnderscore);
        if (is(peek(), '.') && isDigitOrUnderscore(peekNext())) {
            advance();
            advanceWhile(digitOrUnderscore);
        }

        const auto text = source.substr(start, current - start);
        const auto dot = text.find('.');
        const auto integerPart = text.substr(0, dot);
        const auto fractionPart = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);

        if (integerPart.front() == '_')
            return fail(underscoreFirst);
        if (integerPart.back() == '_')
            return fail(underscoreBeforeDecimal);
        if (!fractionPart.empty() && fractionPart.front() == '_')
            return fail(underscoreAfterDecimal);
        if (!fractionPart.empty() && fractionPart.back() == '_')
            return fail(underscoreLast);

        const auto integer = readDigits(integerPart);
        if (!integer.fits)
            return fail(numberTooBig);
        std::int64_t numerator = integer.value;
        std::int64_t denominator = 1;
        if (!fractionPart.empty()) {
            const auto fraction = readDigits(fractionPart);
            if (fraction.count > maxFractionDigits)
                return fail(numberTooBig);
            for (int i = 0; i < fraction.count; ++i)
                denominator *= 10;
            if (__builtin_mul_overflow(integer.value, denominator, &numerator)
                || __builtin_add_overflow(numerator, fraction.value, &numerator))
                return fail(numberTooBig);
        }
        if (denominator == 1)
            return addToken(TokenType::number, ValueUnion(Number(numerator, 1))); // already in lowest terms
        const auto reduced = Maths::reduceFraction(numerator, denominator);
        addToken(TokenType::number, ValueUnion(Number(reduced.numerator, reduced.denominator)));
    }

    // Shows the line being read with arrows under the characters of the
    // current step. Line feeds and comments are not traced.
    void traceStep() const
    {
        if (isLineEnd(peek()) || is(characterAt(start), '#'))
            return;
        const auto lineIndex = static_cast<std::size_t>(currentLine);
        const auto line = lineIndex < traceLines.size() ? traceLines[lineIndex] : std::string_view();
        const auto length = static_cast<std::int64_t>(Graphemes::count(line));
        std::string marker;
        for (std::int64_t i = 0; i < length; ++i) {
            const bool marked = start != current ? startColumn <= i && i <= currentColumn : i == currentColumn;
            marker += marked ? traceMarker : std::string_view(" ");
        }
        print(traceSeparator() + "\n" + std::string(line) + "\n" + marker + "\n");
    }
};

} // namespace

std::vector<Token> Lexer::lex(std::string_view source)
{
    std::vector<Token> tokens;
    lex(source, tokens);
    return tokens;
}

void Lexer::lex(std::string_view source, std::vector<Token>& tokens)
{
    Scanner scanner(source, tokens, debugStep.load());
    scanner.scanTokens();
    if (!scanner.errors.empty()) {
        tokens.clear();
        throw MultiError<LexError>(std::move(scanner.errors));
    }
}

} // namespace engine
