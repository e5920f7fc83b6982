#pragma once

#include <cstdint>
#include <string_view>

// The state lives inside Hasher, so its layout must be visible.
#define XXH_STATIC_LINKING_ONLY
#include <xxhash.h>

namespace engine {

// A running 64-bit hash over XXH3's streaming state. Every hashable engine type
// has `void hash(Hasher&) const` that feeds its fields in a fixed order; the
// evaluation cache keys on the result, so that order is part of the contract.
class Hasher {
public:
    Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    // A case index, a count or any other unsigned machine word.
    void combine(std::uint64_t word);
    void combineSigned(std::int64_t value) { combine(static_cast<std::uint64_t>(value)); }
    void combineByte(std::uint8_t byte);
    // The bytes of a text followed by a terminator byte that UTF-8 never
    // contains, so two adjacent strings cannot run together.
    void combine(std::string_view text);
    void combineBytes(const void* data, std::size_t size);

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

private:
    XXH3_state_t state_;
};

} // namespace engine
