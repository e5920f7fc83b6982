#include "values/Hasher.h"

namespace engine {

namespace {
constexpr std::uint8_t stringTerminator = 0xFF; // never a byte of UTF-8
}

Hasher::Hasher() { XXH3_64bits_reset(&state_); }

void Hasher::combine(std::uint64_t word) { XXH3_64bits_update(&state_, &word, sizeof word); }

void Hasher::combineByte(std::uint8_t byte) { XXH3_64bits_update(&state_, &byte, 1); }

void Hasher::combine(std::string_view text)
{
    XXH3_64bits_update(&state_, text.data(), text.size());
    combineByte(stringTerminator);
}

void Hasher::combineBytes(const void* data, std::size_t size) { XXH3_64bits_update(&state_, data, size); }

std::uint64_t Hasher::finalize() const { return XXH3_64bits_digest(&state_); }

} // namespace engine
