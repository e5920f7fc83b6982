#include "frontend/Token.h"

#include <cstring>


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

void Token::hash(Hasher& hasher) const
{
    // Two thirds of a document's tokens have no literal: their bytes are
    // written in one go.
    if (!literal) {
        const std::uint64_t typeIndex = static_cast<std::uint64_t>(type);
        const std::size_t size = sizeof typeIndex + lexeme.size() + 2 + sizeof sourceLine + sizeof sourceColumn;
        if (auto* room = hasher.claim(size)) {
            std::memcpy(room, &typeIndex, sizeof typeIndex);
            room += sizeof typeIndex;
            std::memcpy(room, lexeme.data(), lexeme.size());
            room += lexeme.size();
            *room++ = Hasher::stringTerminator;
            *room++ = 0;
            std::memcpy(room, &sourceLine, sizeof sourceLine);
            std::memcpy(room + sizeof sourceLine, &sourceColumn, sizeof sourceColumn);
            return;
        }
    }
    hasher.combine(static_cast<std::uint64_t>(type));
    hasher.combine(std::string_view(lexeme));
    if (literal) {
        hasher.combineByte(1);
        literal->hash(hasher);
    } else {
        hasher.combineByte(0);
    }
    hasher.combineSigned(sourceLine);
    hasher.combineSigned(sourceColumn);
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
