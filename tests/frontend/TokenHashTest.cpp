// A token writes its fields straight into the hasher's buffer where it can;
// the bytes must be exactly those of feeding the fields one by one: the
// type's case index as a word, the lexeme, byte 0 or byte 1 and the
// literal's hash, the line and the column.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "frontend/Lexer.h"
#include "frontend/Token.h"
#include "values/Hasher.h"

namespace engine {
namespace {

void feedFieldByField(const Token& token, Hasher& hasher)
{
    hasher.combine(static_cast<std::uint64_t>(token.type));
    hasher.combine(std::string_view(token.lexeme));
    hasher.combineByte(token.literal ? 1 : 0);
    if (token.literal)
        token.literal->hash(hasher);
    hasher.combineSigned(token.sourceLine);
    hasher.combineSigned(token.sourceColumn);
}

// The key's record, written out field by field.
void feedKeyRecord(const Token& token, Hasher& hasher)
{
    hasher.combineByte(static_cast<std::uint8_t>(token.type));
    const auto* number = token.literal ? token.literal->as<Number>() : nullptr;
    const bool plainNumber = number && number->units.empty();
    hasher.combineByte(!token.literal ? 0 : plainNumber ? 1 : 2);
    const auto line = static_cast<std::uint32_t>(token.sourceLine);
    const auto column = static_cast<std::uint32_t>(token.sourceColumn);
    hasher.combineBytes(&line, 4);
    hasher.combineBytes(&column, 4);
    if (plainNumber) {
        hasher.combineSigned(number->numerator);
        hasher.combineSigned(number->denominator);
    } else if (token.literal) {
        token.literal->hash(hasher);
    }
    hasher.combine(std::string_view(token.lexeme));
}

// Both ways over the whole list, so that the buffer runs out at many
// different places within a token.
void expectSameHash(const std::vector<Token>& tokens)
{
    Hasher written;
    Hasher fed;
    for (const auto& token : tokens) {
        token.hash(written);
        feedFieldByField(token, fed);
        ASSERT_EQ(Hasher::single([&](Hasher& hasher) { token.hash(hasher); }),
                  Hasher::single([&](Hasher& hasher) { feedFieldByField(token, hasher); }))
            << token.description();
    }
    EXPECT_EQ(written.finalize(), fed.finalize());

    // The key's records, written in one go where they fit, in runs as the
    // bridge feeds them.
    Hasher keyed;
    const std::span<const Token> all(tokens);
    std::size_t start = 0;
    for (std::size_t run = 0; start < all.size(); run = (run + 1) % 5) {
        const auto count = std::min(run, all.size() - start);
        Token::hashForKey(keyed, all.subspan(start, count));
        start += count;
    }
    Hasher keyedByPieces;
    for (const auto& token : tokens)
        feedKeyRecord(token, keyedByPieces);
    EXPECT_EQ(keyed.finalize(), keyedByPieces.finalize());
}

Token token(TokenType type, std::string lexeme, TokenLiteral literal, std::int32_t line = 3, std::int32_t column = 7)
{
    return Token{type, std::move(lexeme), std::move(literal), line, column};
}

TEST(TokenHash, WritingAtOnceFeedsTheSameBytesAsFieldByField)
{
    std::string reserved = "x";
    reserved.reserve(100);
    std::vector<Token> tokens = {
        token(TokenType::eof, "", {}, 0, 0),
        token(TokenType::identifier, reserved, {}),
        token(TokenType::identifier, "exactlyFifteen_", {}),
        token(TokenType::identifier, "exactlySixteen__", {}),
        token(TokenType::identifier, "a_name_well_past_any_small_buffer", {}, -1, -2),
        token(TokenType::number, "7", ValueUnion(Number(7, 1)), INT32_MAX, 1),
        token(TokenType::number, "8", ValueUnion(Number(8, 1)), 1, INT32_MIN),
        token(TokenType::number, "2", ValueUnion(Number(2, 1))),
        token(TokenType::number, "-0.75", ValueUnion(Number(-3, 4))),
        token(TokenType::number, "5", ValueUnion(Number(5, 1, Units{{"m", 1}, {"s", -2}}))),
        token(TokenType::string, "\"\"", ValueUnion(EString(""))),
        token(TokenType::string, "\"fifteen bytes!!\"", ValueUnion(EString("fifteen bytes!!"))),
        token(TokenType::string, "\"a string literal longer than a block\"",
              ValueUnion(EString("a string literal longer than a block"))),
        // Not in NFC: hashed as its composed form.
        token(TokenType::string, "\"cafe\u0301\"", ValueUnion(EString("cafe\u0301"))),
        token(TokenType::string, "\"\xff\"", ValueUnion(EString("\xff"))),
        token(TokenType::bork, "?", ValueUnion(ValueUnion::bork())),
    };
    for (std::size_t length = 0; length <= 40; ++length)
        tokens.push_back(token(TokenType::identifier, std::string(length, static_cast<char>('a' + length % 26)), {},
                               static_cast<std::int32_t>(length), 1));
    // Enough copies, of sizes that do not divide the buffer, to meet its
    // end at every offset.
    std::vector<Token> many;
    for (int round = 0; round < 300; ++round)
        many.insert(many.end(), tokens.begin(), tokens.end());
    expectSameHash(many);
}

TEST(TokenHash, LexedTokensHashAsFieldByField)
{
    std::string source;
    for (int line = 0; line < 500; ++line) {
        const auto n = std::to_string(line);
        source += "width" + n + " = " + n + ".25 m; f(x: \"item " + n + "\", y: \"\u00e9t\u00e9\") >= 1_000\r\n";
        source += "a_rather_long_identifier_name" + n + " -> 0.5 # note\n";
    }
    expectSameHash(Lexer::lex(source));
}

std::uint64_t keyOf(const std::vector<Token>& tokens)
{
    return Hasher::single([&](Hasher& hasher) { Token::hashForKey(hasher, tokens); });
}

// The key's shorter records must still tell apart any two lists that differ
// in one field of one token, or in where a text is split between tokens.
TEST(TokenHash, KeyRecordsTellApartListsThatDiffer)
{
    const Token plain{TokenType::identifier, "ab", {}, 2, 3};
    const Token number{TokenType::number, "2", ValueUnion(Number(2, 1)), 2, 3};
    const Token string{TokenType::string, "\"ab\"", ValueUnion(EString("ab")), 2, 3};
    const struct {
        const char* what;
        std::vector<Token> one;
        std::vector<Token> other;
    } cases[] = {
        {"type", {plain}, {Token{TokenType::function, "ab", {}, 2, 3}}},
        {"lexeme", {plain}, {Token{TokenType::identifier, "ac", {}, 2, 3}}},
        {"line", {plain}, {Token{TokenType::identifier, "ab", {}, 3, 3}}},
        {"column", {plain}, {Token{TokenType::identifier, "ab", {}, 2, 4}}},
        {"line and column swapped", {plain}, {Token{TokenType::identifier, "ab", {}, 3, 2}}},
        {"literal present", {plain}, {Token{TokenType::identifier, "ab", ValueUnion(Number(2, 1)), 2, 3}}},
        {"numerator", {number}, {Token{TokenType::number, "2", ValueUnion(Number(3, 1)), 2, 3}}},
        {"denominator", {number}, {Token{TokenType::number, "2", ValueUnion(Number(2, 3)), 2, 3}}},
        {"units", {number}, {Token{TokenType::number, "2", ValueUnion(Number(2, 1, Units{{"m", 1}})), 2, 3}}},
        {"string literal", {string}, {Token{TokenType::string, "\"ab\"", ValueUnion(EString("ac")), 2, 3}}},
        {"number or string", {number}, {Token{TokenType::number, "2", ValueUnion(EString("2")), 2, 3}}},
        {"split", {Token{TokenType::identifier, "ab", {}, 0, 2}, Token{TokenType::identifier, "c", {}, 0, 3}},
         {Token{TokenType::identifier, "a", {}, 0, 2}, Token{TokenType::identifier, "bc", {}, 0, 3}}},
        {"extreme lines", {Token{TokenType::identifier, "ab", {}, INT32_MAX, 3}},
         {Token{TokenType::identifier, "ab", {}, INT32_MIN, 3}}},
        {"negative column", {Token{TokenType::identifier, "ab", {}, 2, -1}},
         {Token{TokenType::identifier, "ab", {}, 2, 1}}},
    };
    for (const auto& each : cases)
        EXPECT_NE(keyOf(each.one), keyOf(each.other)) << each.what;
}

} // namespace
} // namespace engine
