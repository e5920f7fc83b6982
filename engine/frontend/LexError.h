#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace engine {

struct LexError : std::exception {
    std::string message;
    // 0-based line of the error.
    std::int64_t line = 0;
    // Same convention as Token::sourceColumn: characters of the line consumed
    // when the error was raised, counted from 1.
    std::int64_t column = 0;

    LexError(std::string message, std::int64_t line, std::int64_t column)
        : message(std::move(message)), line(line), column(column)
    {
    }
    const char* what() const noexcept override { return message.c_str(); }

    // The message, the source line, and an arrow under the column.
    std::string displayMessage(std::string_view source) const;
};

} // namespace engine
