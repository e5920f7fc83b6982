// Parses arbitrary bytes, lexed as a document and also read directly as a
// token stream (types the lexer never makes, literals missing, eof anywhere
// or nowhere), and renders every error it reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "frontend/ParseError.h"
#include "frontend/Parser.h"
#include "values/Hasher.h"
#include "values/MultiError.h"
#include "writer/ASTWriter.h"

namespace {

using engine::Token;
using engine::TokenType;

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

std::uint64_t hashOf(const std::vector<engine::Statement>& statements)
{
    return engine::Hasher::single([&](engine::Hasher& hasher) {
        for (const auto& statement : statements)
            statement.hash(hasher);
    });
}

// As the bridge hashes them: tokens of the list as their indices.
std::uint64_t keyHashOf(const std::vector<engine::Statement>& statements, const std::vector<Token>& tokens)
{
    return engine::Hasher::single([&](engine::Hasher& hasher) {
        for (const auto& statement : statements)
            statement.hash(hasher, tokens);
    });
}

void parse(std::string_view source, const std::vector<Token>& tokens)
{
    try {
        const auto shared = std::make_shared<const std::vector<Token>>(tokens);
        const auto statements = engine::Parser::parse(shared);
        const auto again = engine::Parser::parse(shared);
        check(hashOf(statements) == hashOf(again), "parsing is repeatable");
        check(keyHashOf(statements, *shared) == keyHashOf(again, *shared), "key hashing is repeatable");
        check(hashOf(engine::Parser::parse(tokens)) == hashOf(statements), "parsing a copy gives the same tree");
        for (const auto& statement : statements) {
            engine::ASTWriter::write(statement);
            engine::ASTWriter::writeLineOf(statement);
        }
    } catch (const engine::MultiError<engine::ParseError>& failure) {
        check(!failure.errors.empty(), "a failure holds errors");
        std::int64_t previous = -1;
        for (const auto& error : failure.errors) {
            // Recovery moves forward by at least one token per error.
            check(error.tokenPosition > previous, "errors in token order");
            check(error.tokenPosition <= static_cast<std::int64_t>(tokens.size()), "positions within the tokens");
            previous = error.tokenPosition;
            check(startsWith(error.displayMessage(source, tokens), error.message), "display starts with the message");
        }
    }
}

// Two bytes per token: its type, then a position and literal selector.
std::vector<Token> tokensFromBytes(std::string_view bytes)
{
    constexpr int typeCount = static_cast<int>(TokenType::bork) + 1;
    std::vector<Token> tokens;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto type = static_cast<TokenType>(static_cast<unsigned char>(bytes[i]) % typeCount);
        const auto extra = static_cast<unsigned char>(bytes[i + 1]);
        Token token{type, std::string(engine::toString(type)), std::nullopt, extra % 4, extra % 16};
        if (type == TokenType::number && extra % 8 != 0)
            token.literal = engine::ValueUnion(engine::Number(extra, 1));
        if (type == TokenType::string && extra % 8 != 0)
            token.literal = engine::ValueUnion(engine::EString(token.lexeme));
        tokens.push_back(std::move(token));
    }
    return tokens;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (data[0] % 2 == 0) {
        const std::string source = "line one\nline two\n\ttabbed é 😀\n";
        parse(source, tokensFromBytes(input));
        return 0;
    }
    try {
        parse(input, engine::Lexer::lex(input));
    } catch (const engine::MultiError<engine::LexError>& failure) {
        for (const auto& error : failure.errors)
            check(startsWith(error.displayMessage(input), error.message), "display starts with the message");
    }
    return 0;
}
