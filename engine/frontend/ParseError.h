#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct Token;

struct ParseError : std::exception {
    std::string message;
    // Index, in the token array given to the parser, of the token at which the
    // error was found (the next unconsumed token at that moment).
    std::int64_t tokenPosition = 0;

    ParseError(std::string message, std::int64_t tokenPosition)
        : message(std::move(message)), tokenPosition(tokenPosition)
    {
    }
    const char* what() const noexcept override { return message.c_str(); }

    // The message, the token's source line, and an arrow under the token's
    // last character. The bare message when the position is not in `tokens`
    // or does not address a non-empty line of `source`.
    std::string displayMessage(std::string_view source, const std::vector<Token>& tokens) const;
};

} // namespace engine
