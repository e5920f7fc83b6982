#pragma once

#include <exception>
#include <string>

namespace engine {

// Defined for the engine's clients; the engine never throws it itself.
struct GenericError : std::exception {
    std::string message;

    explicit GenericError(std::string message) : message(std::move(message)) {}
    const char* what() const noexcept override { return message.c_str(); }
};

} // namespace engine
