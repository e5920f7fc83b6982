#pragma once

#include <exception>
#include <string>
#include <vector>

namespace engine {

// What a stage throws once it has collected every error it found, in order.
template <typename E>
struct MultiError : std::exception {
    std::vector<E> errors;

    explicit MultiError(std::vector<E> errors) : errors(std::move(errors)) {}
    const char* what() const noexcept override
    {
        return errors.empty() ? "no errors" : errors.front().message.c_str();
    }
};

} // namespace engine
