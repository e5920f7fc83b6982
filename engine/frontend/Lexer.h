#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "frontend/Token.h"

namespace engine {

class Lexer {
public:
    // The tokens of the whole text, ending with one eof token. Throws
    // MultiError<LexError> with every error found, up to maxErrors and the
    // one that stops it (MultiError.h); never returns a partial list.
    static std::vector<Token> lex(std::string_view source);
    // The same into `tokens`, replacing what they held but keeping their
    // memory: a caller that lexes every keystroke spares itself fresh pages.
    static void lex(std::string_view source, std::vector<Token>& tokens);

    // The longest text the lexer reads, in bytes: every line and column of
    // such a text fits a token's 32-bit position. A longer one is refused
    // with one error, before anything is read.
    static constexpr std::size_t maxSourceSize = std::size_t{INT32_MAX} - 1;

    // When set, lexing prints a step-by-step trace to standard output.
    static inline std::atomic<bool> debugStep = false;
};

} // namespace engine
