#include "values/Hasher.h"

#define XXH_STATIC_LINKING_ONLY // for states held by value
#include <xxhash.h>

namespace engine {

struct Hasher::Streaming {
    // XXH3 streams most cheaply in large blocks: its cost per call is that of
    // hashing a few hundred bytes.
    static constexpr std::size_t bufferSize = 16 * 1024;

    XXH3_state_t state;
    unsigned char buffer[bufferSize];
};

Hasher::~Hasher() { delete streaming_; }

void Hasher::flush()
{
    if (!streaming_) {
        streaming_ = new Streaming;
        XXH3_64bits_reset(&streaming_->state);
        std::memcpy(streaming_->buffer, buffer_, used_);
        buffer_ = streaming_->buffer;
        capacity_ = Streaming::bufferSize;
        return;
    }
    XXH3_64bits_update(&streaming_->state, buffer_, used_);
    used_ = 0;
}

void Hasher::stream(const void* data, std::size_t size)
{
    flush();
    if (size <= capacity_ - used_) {
        std::memcpy(buffer_ + used_, data, size);
        used_ += size;
        return;
    }
    // Too large to gather: what is buffered goes first, then the input as it is.
    XXH3_64bits_update(&streaming_->state, buffer_, used_);
    used_ = 0;
    XXH3_64bits_update(&streaming_->state, data, size);
}

std::uint64_t Hasher::finalize() const
{
    if (!streaming_)
        return XXH3_64bits(buffer_, used_);
    // Digesting a copy leaves the running state as it was, so the hasher can
    // go on after this.
    XXH3_state_t state;
    XXH3_copyState(&state, &streaming_->state);
    XXH3_64bits_update(&state, buffer_, used_);
    return XXH3_64bits_digest(&state);
}

} // namespace engine
