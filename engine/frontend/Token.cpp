#include "frontend/Token.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace engine {

namespace {

// Literals are only ever numbers and strings.
std::string literalDescription(const TokenLiteral& literal)
{
    if (!literal)
        return "nil";
    if (const auto* number = literal->as<Number>())
        return std::to_string(number->numerator) + "/" + std::to_string(number->denominator);
    if (const auto* string = literal->as<EString>())
        return "\"" + string->value + "\"";
    return "?";
}

bool isAscii(const std::string& text)
{
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// Texts are copied in blocks of this many bytes when they fit one.
constexpr std::size_t textBlock = 16;

// What every token feeds besides its lexeme's bytes and its literal: the
// type's word, the lexeme's terminator, the literal's presence byte, the
// line and the column.
constexpr std::size_t fixedSize = 8 + 1 + 1 + 8 + 8;
// A number literal without units: its case's word, numerator, denominator,
// and the two words of no units.
constexpr std::size_t numberLiteralSize = 5 * 8;

// Every text is followed by at least a line and a column, where the
// unused part of its block may fall.
static_assert(2 * sizeof(std::uint64_t) >= textBlock);

// Puts a text and its terminator. Texts are nearly always short, and when
// `block` bytes are readable from the text's start, that whole block is
// copied: the bytes past the text fall into the room of the fields after it,
// which the caller writes next.
template <std::size_t block>
[[gnu::always_inline]] inline unsigned char* putText(unsigned char* room, std::string_view text, bool blockReadable)
{
    static_assert(block <= textBlock);
    if (blockReadable) {
        std::memcpy(room, text.data(), block);
        room[text.size()] = Hasher::stringTerminator;
        return room + text.size() + 1;
    }
    return Hasher::put(room, text);
}

// A string's storage holds capacity() + 1 bytes (room to grow to its capacity
// with the terminator).
[[gnu::always_inline]] inline unsigned char* putText(unsigned char* room, const std::string& text)
{
    return putText<textBlock>(room, text, text.size() <= textBlock && text.capacity() + 1 >= textBlock);
}

// An inline lexeme is its whole buffer.
[[gnu::always_inline]] inline unsigned char* putText(unsigned char* room, const Lexeme& text)
{
    return putText<sizeof(Lexeme)>(room, text.view(), text.isInline());
}

// Field by field, for what does not fit the buffer's room or is rare.
[[gnu::noinline]] void hashByPieces(const Token& token, Hasher& hasher)
{
    hasher.combine(static_cast<std::uint64_t>(token.type));
    hasher.combine(std::string_view(token.lexeme));
    if (token.literal) {
        hasher.combineByte(1);
        token.literal->hash(hasher);
    } else {
        hasher.combineByte(0);
    }
    hasher.combineSigned(token.sourceLine);
    hasher.combineSigned(token.sourceColumn);
}

// A number literal without units (all the lexer's) or an ASCII string
// literal (already in NFC, so hashed as it is) is written in one go too.
[[gnu::noinline]] void hashWithLiteral(const Token& token, Hasher& hasher)
{
    const auto* number = token.literal->as<Number>();
    const auto* string = token.literal->as<EString>();
    std::size_t literalSize = 0;
    if (number && number->units.empty())
        literalSize = numberLiteralSize;
    else if (string && isAscii(string->value))
        literalSize = sizeof(std::uint64_t) + string->value.size() + 1;
    else
        return hashByPieces(token, hasher);
    auto* room = hasher.claim(fixedSize + token.lexeme.size() + literalSize);
    if (!room)
        return hashByPieces(token, hasher);
    room = Hasher::put(room, static_cast<std::uint64_t>(token.type));
    room = putText(room, token.lexeme);
    *room++ = 1;
    if (number) {
        room = Hasher::put(room, static_cast<std::uint64_t>(ValueUnion::Kind::number));
        room = Hasher::put(room, static_cast<std::uint64_t>(number->numerator));
        room = Hasher::put(room, static_cast<std::uint64_t>(number->denominator));
        // No units: their count and the sum of their entries' hashes, both 0.
        room = Hasher::put(room, std::uint64_t{0});
        room = Hasher::put(room, std::uint64_t{0});
    } else {
        room = Hasher::put(room, static_cast<std::uint64_t>(ValueUnion::Kind::string));
        room = putText(room, string->value);
    }
    room = Hasher::put(room, static_cast<std::uint64_t>(token.sourceLine));
    Hasher::put(room, static_cast<std::uint64_t>(token.sourceColumn));
}

} // namespace

bool Token::operator==(const Token& other) const
{
    if (type != other.type || lexeme != other.lexeme || sourceLine != other.sourceLine
        || sourceColumn != other.sourceColumn)
        return false;
    if (literal.has_value() != other.literal.has_value())
        return false;
    return !literal || *literal == *other.literal;
}

namespace {

// One token, as Token::hash feeds it.
[[gnu::always_inline]] inline void hashToken(const Token& token, Hasher& hasher)
{
    // Nearly every token is written in one go into the hasher's buffer. Four
    // in five have no literal: theirs is the shortest path.
    if (token.literal)
        return hashWithLiteral(token, hasher);
    auto* room = hasher.claim(fixedSize + token.lexeme.size());
    if (!room)
        return hashByPieces(token, hasher);
    room = Hasher::put(room, static_cast<std::uint64_t>(token.type));
    room = putText(room, token.lexeme);
    *room++ = 0;
    room = Hasher::put(room, static_cast<std::uint64_t>(token.sourceLine));
    Hasher::put(room, static_cast<std::uint64_t>(token.sourceColumn));
}

} // namespace

void Token::hash(Hasher& hasher) const { hashToken(*this, hasher); }

namespace {

// The forms of a token's record in a compact key, told apart by the byte
// after its type.
enum class KeyForm : std::uint8_t { plain, number, otherLiteral };

void putKeyField(Hasher& hasher, std::int32_t value)
{
    const auto word = static_cast<std::uint32_t>(value);
    hasher.combineBytes(&word, sizeof word);
}

// Field by field: for what does not fit the buffer's room and literals other
// than a plain number.
[[gnu::noinline]] void feedKeyRecord(const Token& token, Hasher& hasher, KeyForm form)
{
    hasher.combineByte(static_cast<std::uint8_t>(token.type));
    hasher.combineByte(static_cast<std::uint8_t>(form));
    putKeyField(hasher, token.sourceLine);
    putKeyField(hasher, token.sourceColumn);
    if (form == KeyForm::number) {
        const auto& number = *token.literal->as<Number>();
        hasher.combineSigned(number.numerator);
        hasher.combineSigned(number.denominator);
    } else if (form == KeyForm::otherLiteral) {
        token.literal->hash(hasher);
    }
    hasher.combine(std::string_view(token.lexeme));
}

} // namespace

void Token::hashForKey(Hasher& hasher, std::span<const Token> tokens)
{
    static_assert(sizeof(TokenType) == 1);
    constexpr std::size_t headerSize = 1 + 1 + 4 + 4;
    constexpr std::size_t numberSize = 8 + 8;
    for (const auto& token : tokens) {
        KeyForm form = KeyForm::plain;
        const Number* number = nullptr;
        // An ASCII string literal is already in NFC, so its hash is its kind
        // and its text as they are, written in one go too.
        const std::string* asciiString = nullptr;
        std::size_t literalSize = 0;
        if (token.literal) {
            number = token.literal->as<Number>();
            if (number && number->units.empty()) {
                form = KeyForm::number;
                literalSize = numberSize;
            } else {
                form = KeyForm::otherLiteral;
                const auto* string = token.literal->as<EString>();
                if (string && isAscii(string->value)) {
                    asciiString = &string->value;
                    literalSize = sizeof(std::uint64_t) + asciiString->size() + 1;
                }
            }
        }
        if (form == KeyForm::otherLiteral && !asciiString) {
            feedKeyRecord(token, hasher, form);
            continue;
        }
        // The most this record may write: a short lexeme is copied as one
        // whole block, whose bytes past the lexeme are given back.
        const auto size = token.lexeme.size();
        const auto most = headerSize + literalSize + std::max(size + 1, sizeof(Lexeme));
        auto* const begin = hasher.claim(most);
        if (!begin) {
            feedKeyRecord(token, hasher, form);
            continue;
        }
        auto* room = begin;
        room[0] = static_cast<unsigned char>(token.type);
        room[1] = static_cast<unsigned char>(form);
        const auto line = static_cast<std::uint32_t>(token.sourceLine);
        const auto column = static_cast<std::uint32_t>(token.sourceColumn);
        std::memcpy(room + 2, &line, sizeof line);
        std::memcpy(room + 6, &column, sizeof column);
        room += headerSize;
        if (form == KeyForm::number) {
            room = Hasher::put(room, static_cast<std::uint64_t>(number->numerator));
            room = Hasher::put(room, static_cast<std::uint64_t>(number->denominator));
        } else if (asciiString) {
            room = Hasher::put(room, static_cast<std::uint64_t>(ValueUnion::Kind::string));
            room = Hasher::put(room, std::string_view(*asciiString));
        }
        room = putText(room, token.lexeme);
        hasher.unclaim(static_cast<std::size_t>(begin + most - room));
    }
}

std::string Token::description() const
{
    std::string text = "Token(type: ";
    text += toString(type);
    text += ", lexeme: \"";
    text += lexeme;
    text += "\", literal: ";
    text += literalDescription(literal);
    text += ", sourceLine: " + std::to_string(sourceLine);
    text += ", sourceColumn: " + std::to_string(sourceColumn) + ")";
    return text;
}

} // namespace engine
