#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "frontend/Lexeme.h"
#include "frontend/TokenLiteral.h"
#include "frontend/TokenType.h"
#include "values/Hasher.h"
#include "values/ValueUnion.h"

namespace engine {

struct Token {
    TokenType type = TokenType::eof;
    // The exact source text; a string literal includes both quotes.
    Lexeme lexeme;
    // Present only on number tokens (a reduced Number without units) and on
    // string tokens (the characters between the quotes).
    TokenLiteral literal;
    // The line of the token, counted from 0. Positions are 32 bits wide: the
    // lexer reads no text longer than Lexer::maxSourceSize bytes, so no line
    // or column reaches past them, and a long document's tokens are a fifth
    // smaller. They hash and print as 64-bit values.
    std::int32_t sourceLine = 0;
    // The column of the token's last character, counted from 1 in
    // user-perceived characters (extended grapheme clusters) of its line.
    std::int32_t sourceColumn = 0;

    // All five fields; literals by value equality.
    bool operator==(const Token& other) const;
    // Type index, lexeme, literal (byte 0 when absent; byte 1 and the value's
    // hash when present), sourceLine, sourceColumn.
    void hash(Hasher& hasher) const;
    // A shorter record of each token of `tokens`, for a key: it tells apart
    // every two lists that hash() tells apart, for some half the bytes. Per
    // token: the type's byte, a form byte, then for most tokens the line and
    // column as 32-bit words, a number literal without units as numerator
    // and denominator (any other literal by its hash) and the lexeme.
    static void hashForKey(Hasher& hasher, std::span<const Token> tokens);

    // Every field, e.g. Token(type: identifier, lexeme: "f", literal: nil,
    // sourceLine: 0, sourceColumn: 10).
    std::string description() const;
};

// A document holds about one token per three bytes, and every keystroke
// walks them all: the type and the lexeme share the first 16 bytes, the
// literal is a pointer, and the line and column share a word.
static_assert(sizeof(Token) == 32);

} // namespace engine
