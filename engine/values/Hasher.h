#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "values/SmallCopy.h"

namespace engine {

// A running 64-bit XXH3 hash. Every hashable engine type has
// `void hash(Hasher&) const` that feeds its fields in a fixed order; the
// evaluation cache keys on the result, so that order is part of the contract.
//
// Fields are a few bytes each, and XXH3's streaming update costs far more per
// call than per byte, so the bytes gather in a buffer first. The result
// depends only on the bytes fed and their order, never on how they were
// split: a short input is hashed in one go, a long one streams buffer by
// buffer.
class Hasher {
public:
    Hasher() = default;
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    // A case index, a count or any other unsigned machine word, as its bytes.
    void combine(std::uint64_t word) { combineBytes(&word, sizeof word); }
    void combineSigned(std::int64_t value) { combine(static_cast<std::uint64_t>(value)); }
    void combineByte(std::uint8_t byte)
    {
        if (used_ == capacity_)
            flush();
        buffer_[used_++] = byte;
    }
    // The bytes of a text followed by a terminator byte that UTF-8 never
    // contains, so two adjacent strings cannot run together.
    void combine(std::string_view text)
    {
        combineBytes(text.data(), text.size());
        combineByte(stringTerminator);
    }
    void combineBytes(const void* data, std::size_t size)
    {
        if (size <= capacity_ - used_) {
            copySmall(buffer_ + used_, static_cast<const unsigned char*>(data), size);
            used_ += size;
        } else {
            stream(data, size);
        }
    }

    // Room for exactly `size` bytes written straight into the buffer, or null
    // when the buffer lacks it (then feed the pieces one by one). Lets a type
    // that feeds many small fields check for room once.
    unsigned char* claim(std::size_t size)
    {
        if (size > capacity_ - used_)
            return nullptr;
        // The buffer is never null, so callers need no second test for room.
        if (buffer_ == nullptr)
            __builtin_unreachable();
        unsigned char* room = buffer_ + used_;
        used_ += size;
        return room;
    }

    // Gives back the last `unused` bytes of the latest claim, for a caller
    // that claimed the most it might write.
    void unclaim(std::size_t unused) { used_ -= unused; }

    // Writers for claimed room: each puts what the matching combine would
    // feed and returns the room after it.
    static unsigned char* put(unsigned char* room, std::uint64_t word)
    {
        std::memcpy(room, &word, sizeof word);
        return room + sizeof word;
    }
    static unsigned char* put(unsigned char* room, std::string_view text)
    {
        copySmall(room, reinterpret_cast<const unsigned char*>(text.data()), text.size());
        room[text.size()] = stringTerminator;
        return room + text.size() + 1;
    }

    std::uint64_t finalize() const;

    // Hash of one entry on its own; sum these to combine map entries in an
    // order-independent way.
    template <typename Fn>
    static std::uint64_t single(Fn&& feed)
    {
        Hasher hasher;
        feed(hasher);
        return hasher.finalize();
    }

    static constexpr std::uint8_t stringTerminator = 0xFF; // never a byte of UTF-8

private:
    // What fits here is hashed in one go. Small, so that the hashers of
    // nested table entries stay light on the stack, and enough for any
    // single entry.
    static constexpr std::size_t localSize = 256;

    struct Streaming;

    // Makes room: the first time by moving to a streaming state with a large
    // buffer of its own, afterwards by handing the full buffer to that state.
    void flush();
    void stream(const void* data, std::size_t size);

    unsigned char* buffer_ = local_;
    std::size_t capacity_ = localSize;
    std::size_t used_ = 0;
    // Only inputs longer than the local buffer need one.
    Streaming* streaming_ = nullptr;
    unsigned char local_[localSize];
};

} // namespace engine
