#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

struct Token;
class Statement;

// Thrown by every failing value operation, built-in function and the
// interpreter. It carries no position: the host attaches it to a statement.
// Raised by every operation that would build a string or a list past its
// limit.
inline constexpr std::string_view resultTooLarge = "Result too large";

struct InterpretError : std::exception {
    std::string message;

    explicit InterpretError(std::string message) : message(std::move(message)) {}
    // Throws an InterpretError carrying one of the constant message texts.
    [[noreturn]] static void raise(std::string_view message) { throw InterpretError(std::string(message)); }
    const char* what() const noexcept override { return message.c_str(); }

    // The message alone; the arguments are accepted for symmetry with the
    // other two error types.
    std::string displayMessage(std::string_view source, const std::vector<Token>& tokens,
                               const std::vector<Statement>& statements) const;
};

} // namespace engine
