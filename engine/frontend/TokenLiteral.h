#pragma once

#include <memory>
#include <optional>
#include <utility>

#include "values/ValueUnion.h"

namespace engine {

// A token's literal value, or none: an optional ValueUnion held out of line.
// Most tokens have none, and a whole document's tokens and syntax tree are
// walked several times per keystroke, so a token stays a pointer wide here
// instead of carrying a value-sized hole; the value is immutable, so copies
// share it.
class TokenLiteral {
public:
    TokenLiteral() = default;
    TokenLiteral(std::nullopt_t) {}
    TokenLiteral(ValueUnion value) : value_(std::make_shared<const ValueUnion>(std::move(value))) {}
    TokenLiteral(std::optional<ValueUnion> value)
    {
        if (value)
            value_ = std::make_shared<const ValueUnion>(std::move(*value));
    }

    bool has_value() const { return value_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const ValueUnion& operator*() const { return *value_; }
    const ValueUnion* operator->() const { return value_.get(); }

private:
    std::shared_ptr<const ValueUnion> value_;
};

} // namespace engine
