#pragma once

#include <atomic>
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

    // When set, lexing prints a step-by-step trace to standard output.
    static inline std::atomic<bool> debugStep = false;
};

} // namespace engine
