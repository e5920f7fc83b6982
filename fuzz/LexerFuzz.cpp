// Lexes arbitrary bytes, and checks that a document with line feeds alone
// and the same document with CR LF line ends lex alike.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "frontend/LexError.h"
#include "frontend/Lexer.h"
#include "values/MultiError.h"

namespace {

// Types, lines and columns of the tokens, or messages and positions of the errors.
struct Outcome {
    bool failed = false;
    std::vector<std::tuple<int, std::int64_t, std::int64_t>> tokens;
    std::vector<std::tuple<std::string, std::int64_t, std::int64_t>> errors;
    bool operator==(const Outcome&) const = default;
};

void check(bool condition, const char* what)
{
    if (!condition) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

Outcome lex(std::string_view source)
{
    Outcome outcome;
    try {
        const auto tokens = engine::Lexer::lex(source);
        check(!tokens.empty() && tokens.back().type == engine::TokenType::eof, "ends with eof");
        std::int64_t line = 0;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const auto& token = tokens[i];
            check(token.type != engine::TokenType::eof || i + 1 == tokens.size(), "one eof");
            check(token.sourceLine >= line && token.sourceColumn >= 0, "positions move forward");
            line = token.sourceLine;
            check(token.literal.has_value()
                      == (token.type == engine::TokenType::number || token.type == engine::TokenType::string),
                  "literals only on numbers and strings");
            outcome.tokens.emplace_back(static_cast<int>(token.type), token.sourceLine, token.sourceColumn);
        }
    } catch (const engine::MultiError<engine::LexError>& error) {
        check(!error.errors.empty(), "a failure holds errors");
        outcome.failed = true;
        for (const auto& each : error.errors)
            outcome.errors.emplace_back(each.message, each.line, each.column);
    }
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    lex(input);

    std::string lineFeeds;
    std::string crlf;
    for (const char c : input) {
        if (c == '\r')
            continue;
        lineFeeds += c;
        crlf += c == '\n' ? std::string_view("\r\n") : std::string_view(&c, 1);
    }
    check(lex(lineFeeds) == lex(crlf), "CR LF lexes like LF");
    return 0;
}
