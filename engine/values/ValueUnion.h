#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "values/Callable.h"
#include "values/EString.h"
#include "values/Hasher.h"
#include "values/List.h"
#include "values/Number.h"
#include "values/Table.h"

namespace engine {

// An error carried as a value: it flows through operators and is shown as a
// result, unlike a thrown InterpretError.
struct ErrorValue {
    std::string message;
};

// The value of an operation that has no meaningful result.
struct Bork {};

// Every run-time value of the language.
class ValueUnion {
public:
    // The case index, also what hashing feeds first.
    enum class Kind : std::uint8_t { number, string, callable, table, list, error, bork };
    // Alternatives in the order of Kind.
    using Variant = std::variant<Number, EString, Callable, Table, List, ErrorValue, Bork>;

    ValueUnion() : value_(Bork{}) {}
    ValueUnion(Number value) : value_(std::move(value)) {}
    ValueUnion(EString value) : value_(std::move(value)) {}
    ValueUnion(Callable value) : value_(std::move(value)) {}
    ValueUnion(Table value) : value_(std::move(value)) {}
    ValueUnion(List value) : value_(std::move(value)) {}
    ValueUnion(ErrorValue value) : value_(std::move(value)) {}
    ValueUnion(Bork value) : value_(value) {}

    static ValueUnion error(std::string message) { return ErrorValue{std::move(message)}; }
    static ValueUnion bork() { return Bork{}; }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    const Variant& variant() const { return value_; }

    // The payload when the value is of that case, else null.
    template <typename T>
    const T* as() const
    {
        return std::get_if<T>(&value_);
    }

    // Narrow: only two numbers with equal Numbers or two strings with equal
    // EStrings are equal. A list, table, callable, error value or bork never
    // equals anything, not even itself.
    bool operator==(const ValueUnion& other) const;
    // Case index, then the payload.
    void hash(Hasher& hasher) const;

private:
    Variant value_;
};

} // namespace engine
