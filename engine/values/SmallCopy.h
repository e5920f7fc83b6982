#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace engine {

// Copies `size` bytes that do not overlap. Most pieces the engine copies are
// a word or a short name: up to 16 bytes go with at most two overlapping
// loads and stores, which beats a call to memcpy.
inline void copySmall(unsigned char* to, const unsigned char* from, std::size_t size)
{
    if (size >= 8 && size <= 16) {
        std::uint64_t head;
        std::uint64_t tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + size - 8, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + size - 8, &tail, 8);
    } else if (size >= 4 && size < 8) {
        std::uint32_t head;
        std::uint32_t tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + size - 4, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + size - 4, &tail, 4);
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
