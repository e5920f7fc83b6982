#include "frontend/Lexer.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "frontend/HugePages.h"
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
const std::string tooLongMessage = "The document is too long to read: it has more than "
                                   + std::to_string(Lexer::maxSourceSize) + " bytes";

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

constexpr std::size_t asciiSize = 0x80;

// The operators and punctuation: the character, its token alone, and the
// character that may follow it to make a token of two.
struct Punctuation {
    char character = 0;
    TokenType alone = TokenType::bork;
    char pair = 0;
    TokenType paired = TokenType::bork;
};

constexpr Punctuation punctuation[] = {
    {'(', TokenType::leftParen},
    {')', TokenType::rightParen},
    {'[', TokenType::leftSquare},
    {']', TokenType::rightSquare},
    {',', TokenType::comma},
    {':', TokenType::colon},
    {'+', TokenType::plus},
    {'*', TokenType::star},
    {'%', TokenType::percent},
    {'{', TokenType::leftCurly},
    {'}', TokenType::rightCurly},
    {'/', TokenType::slash},
    {';', TokenType::newline},
    {'-', TokenType::minus, '>', TokenType::rightArrow},
    {'!', TokenType::bang, '=', TokenType::bangEqual},
    {'=', TokenType::equal, '=', TokenType::equalEqual},
    {'<', TokenType::lesser, '=', TokenType::lesserEqual},
    {'>', TokenType::greater, '=', TokenType::greaterEqual},
};

// The punctuation row of each ASCII character; its character is 0 for the
// others.
constexpr std::array<Punctuation, asciiSize> punctuationTable = [] {
    std::array<Punctuation, asciiSize> table{};
    for (const auto& row : punctuation)
        table[static_cast<unsigned char>(row.character)] = row;
    return table;
}();

// What an ASCII character that stands alone begins, for the fast path's
// dispatch.
enum class Start : std::uint8_t {
    other, // left to the general path: errors, mostly
    blank,
    identifier,
    number,
    single,
    pair, // may pair with the character after it
    equal, // may pair, and must not begin "==="
    quote,
    comment,
    lineFeed,
    carriageReturn,
};

constexpr std::array<Start, asciiSize> startTable = [] {
    std::array<Start, asciiSize> table{};
    for (char c = 'a'; c <= 'z'; ++c)
        table[static_cast<unsigned char>(c)] = Start::identifier;
    for (char c = 'A'; c <= 'Z'; ++c)
        table[static_cast<unsigned char>(c)] = Start::identifier;
    table['_'] = Start::identifier;
    for (char c = '0'; c <= '9'; ++c)
        table[static_cast<unsigned char>(c)] = Start::number;
    for (const auto& row : punctuation)
        table[static_cast<unsigned char>(row.character)] = row.pair == 0 ? Start::single : Start::pair;
    table['='] = Start::equal;
    table[' '] = Start::blank;
    table['\t'] = Start::blank;
    table['"'] = Start::quote;
    table['#'] = Start::comment;
    table['\n'] = Start::lineFeed;
    table['\r'] = Start::carriageReturn;
    return table;
}();

// Bytes that continue a name, a number or plain string text, as bit flags
// over all 256 bytes so that no range check comes first. Plain string text
// is ASCII other than the quote and line ends: one character per byte.
constexpr std::uint8_t continuesName = 1;
constexpr std::uint8_t continuesNumber = 2;
constexpr std::uint8_t continuesPlainString = 4;

constexpr std::array<std::uint8_t, 256> continuationTable = [] {
    std::array<std::uint8_t, 256> table{};
    for (char c = 'a'; c <= 'z'; ++c)
        table[static_cast<unsigned char>(c)] = continuesName;
    for (char c = 'A'; c <= 'Z'; ++c)
        table[static_cast<unsigned char>(c)] = continuesName;
    for (char c = '0'; c <= '9'; ++c)
        table[static_cast<unsigned char>(c)] = continuesName | continuesNumber;
    table['_'] = continuesName | continuesNumber;
    for (std::size_t c = 0; c < asciiSize; ++c)
        if (c != '"' && c != '\n' && c != '\r')
            table[c] |= continuesPlainString;
    return table;
}();

// Whether a character is exactly the single ASCII character `c`.
bool is(std::string_view character, char c) { return character.size() == 1 && character[0] == c; }

// A carriage return with its line feed is a line end like the line feed alone.
bool isLineEnd(std::string_view character) { return is(character, '\n') || character == "\r\n"; }

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

// A number literal's value in lowest terms, or what is wrong with its text.
struct NumberValue {
    const std::string* error = nullptr;
    std::int64_t numerator = 0;
    std::int64_t denominator = 1;
};

// `text` is digits and underscores, with at most one dot that has a digit or
// an underscore on each side.
NumberValue readNumber(std::string_view text)
{
    const auto dot = text.find('.');
    const auto integerPart = text.substr(0, dot);
    const auto fractionPart = dot == std::string_view::npos ? std::string_view() : text.substr(dot + 1);

    if (integerPart.front() == '_')
        return {&underscoreFirst};
    if (integerPart.back() == '_')
        return {&underscoreBeforeDecimal};
    if (!fractionPart.empty() && fractionPart.front() == '_')
        return {&underscoreAfterDecimal};
    if (!fractionPart.empty() && fractionPart.back() == '_')
        return {&underscoreLast};

    const auto integer = readDigits(integerPart);
    if (!integer.fits)
        return {&numberTooBig};
    if (fractionPart.empty())
        return {nullptr, integer.value, 1}; // already in lowest terms
    const auto fraction = readDigits(fractionPart);
    if (fraction.count > maxFractionDigits)
        return {&numberTooBig};
    std::int64_t denominator = 1;
    for (int i = 0; i < fraction.count; ++i)
        denominator *= 10;
    std::int64_t numerator = 0;
    if (__builtin_mul_overflow(integer.value, denominator, &numerator)
        || __builtin_add_overflow(numerator, fraction.value, &numerator))
        return {&numberTooBig};
    const auto reduced = Maths::reduceFraction(numerator, denominator);
    return {nullptr, reduced.numerator, reduced.denominator};
}

// Whether two short texts are equal, compared inline: a call to memcmp
// costs more than the few bytes of a lexeme.
bool sameText(std::string_view left, std::string_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t index = 0; index < left.size(); ++index)
        if (left[index] != right[index])
            return false;
    return true;
}

// The literals of one text, one per lexeme seen lately. Equal lexemes have
// equal values, literals are immutable and shared by their copies anyway,
// and a document repeats its small numbers and short strings over and over:
// sharing them spares most literal tokens an allocation and a reading of
// their text. A slot holds the last lexeme whose hash chose it.
class SharedLiterals {
public:
    // Longer lexemes are not worth sharing.
    static constexpr std::size_t longestShared = 32;

    struct Slot {
        // Empty, matching no token's lexeme, until a literal is stored.
        std::string_view lexeme;
        TokenLiteral literal;
    };

    // The slot that holds the literal of `lexeme` if any does.
    Slot& slotFor(std::string_view lexeme)
    {
        std::size_t hash = lexeme.size();
        for (const char c : lexeme)
            hash = hash * 31 + static_cast<unsigned char>(c);
        return slots_[(hash ^ (hash >> 8)) % slotCount];
    }

private:
    static constexpr std::size_t slotCount = 256;
    std::array<Slot, slotCount> slots_;
};

// Documents of short lines hold up to one token per two bytes (typical ones
// about one per three). Reserving that many up front spares the regrowth of
// a long token list, which copies it and faults in fresh memory for all of
// it.
constexpr std::size_t bytesPerToken = 2;
// The reservation stops here (about 130 MB of address space), so a huge text
// does not claim address space it may never use; longer lists simply grow.
// Below it, reserved memory that no token reaches is never touched, and a
// long document's list never moves.
constexpr std::size_t maxReservedTokens = std::size_t{1} << 22;

// One run of the lexer over one text. Positions are byte offsets into the
// source, always on character boundaries; columns count characters.
//
// Nearly every character is an ASCII byte followed by ASCII, and so a
// character of its own (but for a carriage return before its line feed).
// The fast path reads those as bytes, keeping its position in locals; every
// other character, comments, strings that are not plain text on one line,
// whatever is in error, and every step while tracing take the general path,
// which reads whole characters. Both make the same tokens and errors.
class Scanner {
public:
    Scanner(std::string_view source, std::vector<Token>& tokens, bool tracing)
        : tokens(tokens), source(source), tracing(tracing)
    {
        tokens.clear();
        const auto* before = tokens.data();
        tokens.reserve(std::min(source.size() / bytesPerToken + 1, maxReservedTokens));
        if (tokens.data() != before)
            adviseHugePages(tokens.data(), tokens.capacity() * sizeof(Token));
        if (tracing)
            traceLines = linesOf(source);
    }

    std::vector<LexError> errors;
    std::vector<Token>& tokens;

    void scanTokens()
    {
        while (!isAtEnd()) {
            if (!tracing) {
                scanFast();
                if (isAtEnd())
                    break;
            }
            if (scanGeneralStep())
                break;
        }
        addToken(TokenType::eof);
        if (tracing)
            print(traceSeparator() + "\n");
    }

private:
    const std::string_view source;
    const bool tracing;
    std::vector<std::string_view> traceLines;
    SharedLiterals literals;

    // The general path's state. Where the current scan step began:
    std::size_t start = 0;
    std::int64_t startColumn = 0;
    // The next character to read.
    std::size_t current = 0;
    // The 0-based line of the read position.
    std::int64_t currentLine = 0;
    // Characters consumed on the current line.
    std::int64_t currentColumn = 0;

    bool isAtEnd() const { return current >= source.size(); }

    unsigned char byteAt(std::size_t offset) const { return static_cast<unsigned char>(source[offset]); }

    // Whether the ASCII byte at `offset`, not a carriage return, is a
    // character of its own: no combining mark after it joins it.
    bool standsAlone(std::size_t offset) const
    {
        return offset + 1 == source.size() || byteAt(offset + 1) < asciiSize
            || Graphemes::characterEnd(source, offset) == offset + 1;
    }

    // Whether the character at `offset` is exactly the single ASCII
    // character `c`, not a carriage return; false past the end.
    bool isLone(std::size_t offset, char c) const
    {
        return offset < source.size() && source[offset] == c && standsAlone(offset);
    }

    // Whether the character at `offset` is a single byte with one of the
    // `flags` in continuationTable; false past the end.
    bool isLoneContinuation(std::size_t offset, std::uint8_t flags) const
    {
        return offset < source.size() && (continuationTable[byteAt(offset)] & flags) != 0 && standsAlone(offset);
    }

    // The end of the run of bytes from `offset` with one of the `flags` in
    // continuationTable. Each is ASCII and no carriage return, so each is a
    // character of its own, except that the last may join a combining mark
    // after it; that one is left out, for the next step.
    std::size_t continuationEnd(std::size_t offset, std::uint8_t flags) const
    {
        auto end = offset;
        while (end < source.size() && (continuationTable[byteAt(end)] & flags) != 0)
            ++end;
        if (end > offset && end < source.size() && byteAt(end) >= asciiSize
            && Graphemes::characterEnd(source, end - 1) != end)
            --end;
        return end;
    }

    // A token of the bytes [from, to), built in place at the end of the list.
    [[gnu::always_inline]] Token& addToken(TokenType type, std::size_t from, std::size_t to, std::int64_t line,
                                           std::int64_t column)
    {
        auto& token = tokens.emplace_back();
        token.type = type;
        const auto size = to - from;
        // Nearly every lexeme is short and has a buffer's worth of text
        // after its start.
        if (size <= Lexeme::inlineCapacity && source.size() - from >= Lexeme::inlineCapacity) [[likely]]
            token.lexeme.fillShort(source.data() + from, size);
        else
            token.lexeme.assign(source.substr(from, size));
        // Both fit: the text is at most maxSourceSize bytes long.
        token.sourceLine = static_cast<std::int32_t>(line);
        token.sourceColumn = static_cast<std::int32_t>(column);
        return token;
    }

    // The general path's token: the text from the step's start to the read position.
    Token& addToken(TokenType type) { return addToken(type, start, current, currentLine, currentColumn); }

    // The literal of a number token's text, or null when the text is not a
    // valid number; `error` then says why.
    [[gnu::always_inline]] const TokenLiteral* numberLiteral(std::string_view text, const std::string*& error)
    {
        auto& slot = literals.slotFor(text);
        if (sameText(slot.lexeme, text))
            return &slot.literal;
        return newNumberLiteral(slot, text, error);
    }

    [[gnu::noinline]] static const TokenLiteral* newNumberLiteral(SharedLiterals::Slot& slot, std::string_view text,
                                                                  const std::string*& error)
    {
        const auto value = readNumber(text);
        if (value.error) {
            error = value.error;
            return nullptr;
        }
        slot.literal = TokenLiteral(ValueUnion(Number(value.numerator, value.denominator)));
        slot.lexeme = text;
        return &slot.literal;
    }

    // The literal of a string token's text, quotes included. Long strings
    // are rarely repeated, and comparing them would cost more than making
    // them anew.
    TokenLiteral stringLiteral(std::string_view text)
    {
        const auto make = [text] {
            return TokenLiteral(ValueUnion(EString(std::string(text.substr(1, text.size() - 2)))));
        };
        if (text.size() > SharedLiterals::longestShared)
            return make();
        auto& slot = literals.slotFor(text);
        if (!sameText(slot.lexeme, text)) {
            slot.literal = make();
            slot.lexeme = text;
        }
        return slot.literal;
    }

    // The fast path, from the read position on: steps until the end of the
    // text, or until a step it leaves to the general path, which the
    // members then hold as the read position. It records no errors: a step
    // that would goes to the general path whole.
    void scanFast()
    {
        const auto size = source.size();
        std::size_t position = current;
        std::int64_t line = currentLine;
        std::int64_t column = currentColumn;
        // Where the current step began.
        std::size_t begin = start;
        std::int64_t beginColumn = column;
        // Hands the step that begins at `begin` to the general path.
        const auto leave = [&] {
            start = begin;
            current = begin;
            currentLine = line;
            currentColumn = beginColumn;
        };
        try {
            // A step at the last byte goes to the general path, so every
            // step here has a next byte to look at.
            while (position + 1 < size) {
                const auto c = byteAt(position);
                const auto next = byteAt(position + 1);
                if (c == ' ' && next < asciiSize) {
                    // The commonest step of all. Another always follows it,
                    // so it need not be recorded as the step's beginning.
                    ++position;
                    ++column;
                    continue;
                }
                begin = position;
                beginColumn = column;
                if (static_cast<unsigned>(c | next) >= asciiSize)
                    return leave();
                switch (startTable[c]) {
                case Start::blank:
                    ++position;
                    ++column;
                    continue;
                case Start::identifier: {
                    position = continuationEnd(position + 1, continuesName);
                    column += static_cast<std::int64_t>(position - begin);
                    const auto text = source.substr(begin, position - begin);
                    addToken(text == functionKeyword ? TokenType::function : TokenType::identifier, begin, position,
                             line, column);
                    continue;
                }
                case Start::number: {
                    auto end = continuationEnd(position + 1, continuesNumber);
                    if (isLone(end, '.') && isLoneContinuation(end + 1, continuesNumber))
                        end = continuationEnd(end + 2, continuesNumber);
                    const std::string* error = nullptr;
                    const auto* literal = numberLiteral(source.substr(begin, end - begin), error);
                    if (!literal)
                        return leave();
                    position = end;
                    column += static_cast<std::int64_t>(end - begin);
                    addToken(TokenType::number, begin, position, line, column).literal = *literal;
                    continue;
                }
                case Start::single:
                    ++position;
                    ++column;
                    addToken(punctuationTable[c].alone, begin, position, line, column);
                    continue;
                case Start::equal:
                    if (next == '=' && isLone(position + 1, '=') && isLone(position + 2, '='))
                        return leave();
                    [[fallthrough]];
                case Start::pair: {
                    const auto& row = punctuationTable[c];
                    const bool paired = next == row.pair && isLone(position + 1, row.pair);
                    position += paired ? 2 : 1;
                    column += paired ? 2 : 1;
                    addToken(paired ? row.paired : row.alone, begin, position, line, column);
                    continue;
                }
                case Start::carriageReturn:
                    if (next != '\n') {
                        ++position;
                        ++column;
                        continue;
                    }
                    ++position; // joins the line feed as one character
                    [[fallthrough]];
                case Start::lineFeed:
                    ++position;
                    ++column;
                    // The token is recorded first, so it belongs to the line it ends.
                    addToken(TokenType::newline, begin, position, line, column);
                    ++line;
                    column = 0;
                    continue;
                case Start::quote: {
                    // Plain text closed on the same line by a quote of its
                    // own: the commonest string. Anything else takes the
                    // general path.
                    auto end = position + 1;
                    while (end < size && (continuationTable[byteAt(end)] & continuesPlainString) != 0)
                        ++end;
                    if (end == size || source[end] != '"' || !(end + 1 == size || byteAt(end + 1) < asciiSize))
                        return leave();
                    position = end + 1;
                    column += static_cast<std::int64_t>(position - begin);
                    auto literal = stringLiteral(source.substr(begin, position - begin));
                    addToken(TokenType::string, begin, position, line, column).literal = std::move(literal);
                    continue;
                }
                case Start::other:
                case Start::comment: return leave();
                }
            }
        } catch (...) {
            return leave();
        }
        if (position < size) {
            begin = position;
            beginColumn = column;
            return leave();
        }
        start = begin;
        current = position;
        currentLine = line;
        currentColumn = column;
    }

    // One step of the general path; true when it records one error too many.
    bool scanGeneralStep()
    {
        start = current;
        startColumn = currentColumn;
        try {
            scanToken();
        } catch (...) {
            errors.emplace_back(unknownError, currentLine, currentColumn);
        }
        // Each step records at most one error, so this stops at the first past the limit.
        if (errors.size() > maxErrors) {
            errors.back().message = tooManyErrors;
            return true;
        }
        return false;
    }

    std::size_t characterEnd(std::size_t offset) const
    {
        // Two ASCII bytes, the first not a carriage return, always part:
        // the common case, decided here without a call.
        if (offset + 1 < source.size()) {
            const auto first = byteAt(offset);
            const auto next = byteAt(offset + 1);
            if (first < asciiSize && next < asciiSize && first != '\r')
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

    // Advances while the next character is a single byte with one of the
    // `flags` in continuationTable.
    void advanceWhile(std::uint8_t flags)
    {
        if (tracing) {
            while (!isAtEnd() && (continuationTable[byteAt(current)] & flags) != 0
                   && characterEnd(current) == current + 1)
                advance();
            return;
        }
        const auto end = continuationEnd(current, flags);
        currentColumn += static_cast<std::int64_t>(end - current);
        current = end;
    }

    void fail(const std::string& message) { errors.emplace_back(message, currentLine, currentColumn); }

    // The general path: one step, whatever the character.
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
        case '"': return scanString();
        case '#': return skipComment();
        case ' ':
        case '\r':
        case '\t': return;
        case '\n': return lineFeed();
        case '=':
            if (isLone(current, '=') && isLone(current + 1, '='))
                return fail(tripleEquals);
            break;
        default: break;
        }
        const auto byte = static_cast<unsigned char>(c[0]);
        if (byte >= asciiSize || punctuationTable[byte].character == 0)
            return fail(unexpectedCharacter + displayed(c));
        const auto& row = punctuationTable[byte];
        if (row.pair != 0 && isLone(current, row.pair)) {
            advance();
            addToken(row.paired);
            return;
        }
        addToken(row.alone);
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
        advanceWhile(continuesName);
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
                const auto c = byteAt(end);
                const auto next = byteAt(end + 1);
                if (c >= asciiSize || next >= asciiSize || c == '"' || c == '\n' || c == '\r')
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
        addToken(TokenType::string).literal = stringLiteral(source.substr(start, current - start));
    }

    void scanNumber()
    {
        advanceWhile(continuesNumber);
        if (isLone(current, '.') && isLoneContinuation(current + 1, continuesNumber)) {
            advance();
            advanceWhile(continuesNumber);
        }
        const std::string* error = nullptr;
        const auto* literal = numberLiteral(source.substr(start, current - start), error);
        if (!literal)
            return fail(*error);
        addToken(TokenType::number).literal = *literal;
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
    if (source.size() > maxSourceSize) {
        tokens.clear();
        throw MultiError<LexError>({LexError(tooLongMessage, 0, 0)});
    }
    Scanner scanner(source, tokens, debugStep.load());
    scanner.scanTokens();
    if (!scanner.errors.empty()) {
        tokens.clear();
        throw MultiError<LexError>(std::move(scanner.errors));
    }
    // The reservation is a guess, made generous so that the list rarely moves.
    releaseUnusedPages(tokens.data(), tokens.size() * sizeof(Token), tokens.capacity() * sizeof(Token));
}

} // namespace engine
