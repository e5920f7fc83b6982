#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace engine {

// The lexer and the parser stop at the first error past this many, which
// they record with the message below instead of its own. Real documents stay
// far below it, while a pasted binary or a megabyte of brackets would yield
// millions of errors, costing seconds and hundreds of megabytes for a list no
// one reads to its end.
inline constexpr std::size_t maxErrors = 1000;
inline constexpr std::string_view tooManyErrors = "Too many errors; the rest of the document was not read";

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
