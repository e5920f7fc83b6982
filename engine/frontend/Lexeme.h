#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>

#include "values/SmallCopy.h"

namespace engine {

// A token's exact source text. A long document holds a million tokens and
// every keystroke walks them all, so a token must stay small: this takes
// 15 bytes with alignment 1, and packs right after the token's one-byte
// type. Nearly every lexeme is at most `inlineCapacity` bytes and lives
// inline; a longer one (a long number, string literal or name) lives in a heap
// block of its own, which copies duplicate and moves steal.
//
// It reads as a std::string_view; it converts to std::string for the few
// places that keep a name.
class Lexeme {
public:
    static constexpr std::size_t inlineCapacity = 14;

    Lexeme() noexcept = default;
    Lexeme(const char* text, std::size_t size) { assignFresh(text, size); }
    Lexeme(std::string_view text) : Lexeme(text.data(), text.size()) {}
    Lexeme(const std::string& text) : Lexeme(text.data(), text.size()) {}
    Lexeme(const char* text) : Lexeme(std::string_view(text)) {}

    Lexeme(const Lexeme& other)
    {
        if (other.isInline())
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        else
            assignFresh(other.data(), other.size());
    }
    Lexeme(Lexeme&& other) noexcept
    {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.clearBytes();
    }
    Lexeme& operator=(const Lexeme& other)
    {
        if (this != &other) {
            Lexeme copy(other);
            *this = std::move(copy);
        }
        return *this;
    }
    Lexeme& operator=(Lexeme&& other) noexcept
    {
        if (this != &other) {
            release();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.clearBytes();
        }
        return *this;
    }
    ~Lexeme() { release(); }

    bool isInline() const { return bytes_[tagIndex] != longTag; }
    const char* data() const { return isInline() ? reinterpret_cast<const char*>(bytes_) : longBlock()->text(); }
    std::size_t size() const { return isInline() ? bytes_[tagIndex] : longBlock()->size; }
    bool empty() const { return bytes_[tagIndex] == 0; }

    std::string_view view() const { return {data(), size()}; }
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }

    // Replaces the text.
    void assign(std::string_view text)
    {
        release();
        assignFresh(text.data(), text.size());
    }

    // Fills a lexeme that holds no long text with a short one by copying a
    // whole inline buffer's worth from `text`, which must have that many
    // bytes readable: fixed-size loads and stores, with no branch on the
    // size. The bytes past the text are then whatever followed it.
    void fillShort(const char* text, std::size_t size)
    {
        copySmall(bytes_, reinterpret_cast<const unsigned char*>(text), inlineCapacity);
        bytes_[tagIndex] = static_cast<unsigned char>(size);
    }

    friend bool operator==(const Lexeme& left, const Lexeme& right) { return left.view() == right.view(); }
    friend bool operator==(const Lexeme& left, std::string_view right) { return left.view() == right; }
    friend bool operator==(const Lexeme& left, const std::string& right) { return left.view() == right; }
    friend bool operator==(const Lexeme& left, const char* right) { return left.view() == right; }

    friend std::string operator+(const std::string& left, const Lexeme& right) { return left + std::string(right); }
    friend std::string operator+(std::string&& left, const Lexeme& right)
    {
        left += right.view();
        return std::move(left);
    }
    friend std::string operator+(const Lexeme& left, std::string_view right)
    {
        std::string text(left.view());
        text += right;
        return text;
    }

    friend std::ostream& operator<<(std::ostream& stream, const Lexeme& lexeme);

private:
    // The byte that tells the forms apart: an inline text's size, or longTag.
    static constexpr std::size_t tagIndex = inlineCapacity;
    static constexpr unsigned char longTag = 0xFF;

    // A long text's heap block: its size, then its bytes.
    struct LongBlock {
        std::size_t size;
        const char* text() const { return reinterpret_cast<const char*>(this + 1); }
        char* text() { return reinterpret_cast<char*>(this + 1); }
    };

    // Inline: the text, bytes of no meaning, then the size in the tag byte.
    // Long: the block's address in the first bytes, longTag in the tag byte.
    unsigned char bytes_[inlineCapacity + 1] = {};

    const LongBlock* longBlock() const
    {
        LongBlock* block;
        std::memcpy(&block, bytes_, sizeof block);
        return block;
    }

    void clearBytes() { std::memset(bytes_, 0, sizeof bytes_); }

    // Fills a lexeme that holds nothing yet.
    void assignFresh(const char* text, std::size_t size)
    {
        if (size <= inlineCapacity) {
            copySmall(bytes_, reinterpret_cast<const unsigned char*>(text), size);
            bytes_[tagIndex] = static_cast<unsigned char>(size);
        } else {
            assignLong(text, size);
        }
    }

    void assignLong(const char* text, std::size_t size);
    void releaseLong();

    void release()
    {
        if (!isInline())
            releaseLong();
    }
};

static_assert(sizeof(Lexeme) == Lexeme::inlineCapacity + 1 && alignof(Lexeme) == 1);

} // namespace engine
