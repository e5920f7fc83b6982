#pragma once

#include <cstdint>
#include <string_view>

namespace engine {

// Every token type, once, in case-index order (the index is what a token's
// hash feeds for its type). `quote` and `bork` are never produced by the lexer.
#define ENGINE_TOKEN_TYPES(X)                                                                                \
    X(leftParen) X(rightParen) X(comma) X(colon) X(number) X(string) X(identifier) X(leftCurly) X(rightCurly) \
    X(leftSquare) X(rightSquare) X(rightArrow) X(bang) X(bangEqual) X(equal) X(equalEqual) X(greater)        \
    X(greaterEqual) X(lesser) X(lesserEqual) X(quote) X(plus) X(minus) X(slash) X(star) X(percent)           \
    X(newline) X(eof) X(function) X(bork)

enum class TokenType : std::uint8_t {
#define ENGINE_TOKEN_TYPE_CASE(name) name,
    ENGINE_TOKEN_TYPES(ENGINE_TOKEN_TYPE_CASE)
#undef ENGINE_TOKEN_TYPE_CASE
};

// The case's name, e.g. "leftParen".
std::string_view toString(TokenType type);

} // namespace engine
