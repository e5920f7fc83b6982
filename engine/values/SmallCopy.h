#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace engine {

namespace detail {

// The first and the last word of `size` bytes, which between them cover any
// size from one word to two.
template <typename Word>
inline void copyEnds(unsigned char* to, const unsigned char* from, std::size_t size)
{
    Word head;
    Word tail;
    std::memcpy(&head, from, sizeof(Word));
    std::memcpy(&tail, from + size - sizeof(Word), sizeof(Word));
    std::memcpy(to, &head, sizeof(Word));
    std::memcpy(to + size - sizeof(Word), &tail, sizeof(Word));
}

} // namespace detail

// Copies `size` bytes that do not overlap. Most pieces the engine copies are
// a word or a short name: up to 16 bytes go with at most two overlapping
// loads and stores, which beats a call to memcpy.
inline void copySmall(unsigned char* to, const unsigned char* from, std::size_t size)
{
    if (size >= 8 && size <= 16) {
        detail::copyEnds<std::uint64_t>(to, from, size);
    } else if (size >= 4 && size < 8) {
        detail::copyEnds<std::uint32_t>(to, from, size);
    } else if (size < 4) {
        // One to three bytes: the first, the middle and the last.
        if (size != 0) {
            const auto first = from[0];
            const auto middle = from[size / 2];
            const auto last = from[size - 1];
            to[0] = first;
            to[size / 2] = middle;
            to[size - 1] = last;
        }
    } else {
        std::memcpy(to, from, size);
    }
}

} // namespace engine
