#pragma once

#include <atomic>
#include <cstddef>
#include <optional>
#include <utility>

#include "values/ValueUnion.h"

namespace engine {

// A token's literal value, or none: an optional ValueUnion held out of line.
// Most tokens have none, and a whole document's tokens and syntax tree are
// walked several times per keystroke, so a token keeps just one pointer
// here: to an immutable, reference-counted box that copies share.
class TokenLiteral {
public:
    TokenLiteral() = default;
    TokenLiteral(std::nullopt_t) {}
    TokenLiteral(ValueUnion value) : box_(new Box{1, std::move(value)}) {}
    TokenLiteral(std::optional<ValueUnion> value)
    {
        if (value)
            box_ = new Box{1, std::move(*value)};
    }

    TokenLiteral(const TokenLiteral& other) noexcept : box_(other.box_) { retain(); }
    TokenLiteral(TokenLiteral&& other) noexcept : box_(std::exchange(other.box_, nullptr)) {}
    TokenLiteral& operator=(const TokenLiteral& other) noexcept
    {
        other.retain();
        release();
        box_ = other.box_;
        return *this;
    }
    TokenLiteral& operator=(TokenLiteral&& other) noexcept
    {
        if (this != &other) {
            release();
            box_ = std::exchange(other.box_, nullptr);
        }
        return *this;
    }
    ~TokenLiteral() { release(); }

    bool has_value() const { return box_ != nullptr; }
    explicit operator bool() const { return has_value(); }
    const ValueUnion& operator*() const { return box_->value; }
    const ValueUnion* operator->() const { return &box_->value; }

private:
    struct Box {
        // Atomic, as a shared_ptr's count is: nothing stops a caller from
        // handing copies of a token list to another thread.
        std::atomic<std::size_t> references;
        const ValueUnion value;
    };

    Box* box_ = nullptr;

    void retain() const
    {
        if (box_)
            box_->references.fetch_add(1, std::memory_order_relaxed);
    }
    void release()
    {
        if (box_ && box_->references.fetch_sub(1, std::memory_order_acq_rel) == 1)
            destroy(box_);
        box_ = nullptr;
    }
    static void destroy(Box* box);
};

static_assert(sizeof(TokenLiteral) == sizeof(void*));

} // namespace engine
