#include "values/Hasher.h"

#include <new>

#define XXH_STATIC_LINKING_ONLY // for a state on the stack in finalize
#include <xxhash.h>

namespace engine {

Hasher::~Hasher() { XXH3_freeState(state_); }

void Hasher::flush()
{
    if (!state_) {
        state_ = XXH3_createState();
        if (!state_)
            throw std::bad_alloc();
        XXH3_64bits_reset(state_);
    }
    XXH3_64bits_update(state_, buffer_, used_);
    used_ = 0;
}

void Hasher::stream(const void* data, std::size_t size)
{
    flush();
    if (size < bufferSize) {
        std::memcpy(buffer_, data, size);
        used_ = size;
    } else {
        XXH3_64bits_update(state_, data, size);
    }
}

std::uint64_t Hasher::finalize() const
{
    if (!state_)
        return XXH3_64bits(buffer_, used_);
    // Digesting leaves the running state as it was, so finalize can be called
    // again after more input.
    XXH3_state_t state;
    XXH3_copyState(&state, state_);
    XXH3_64bits_update(&state, buffer_, used_);
    return XXH3_64bits_digest(&state);
}

} // namespace engine
