// The hasher buffers what it is fed; its result must still be exactly XXH3-64
// of the bytes fed, in order, however they were split.

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <xxhash.h>

#include "values/Hasher.h"

namespace engine {
namespace {

std::uint64_t oneShot(const std::string& bytes) { return XXH3_64bits(bytes.data(), bytes.size()); }

std::string bytesOf(std::uint64_t word) { return std::string(reinterpret_cast<const char*>(&word), sizeof word); }

// Each way of feeding appends known bytes: words as their 8 bytes, texts
// with a 0xFF terminator; nothing fed is XXH3 of nothing.
TEST(Hasher, EachFeedAppendsItsBytes)
{
    Hasher hasher;
    EXPECT_EQ(hasher.finalize(), oneShot(""));
    hasher.combine(std::uint64_t{42});
    hasher.combineSigned(-3);
    hasher.combineByte(7);
    hasher.combine(std::string_view("km"));
    hasher.combineBytes("xyz", 3);
    const std::string expected =
        bytesOf(42) + bytesOf(static_cast<std::uint64_t>(-3)) + "\x07" + "km\xFF" + "xyz";
    EXPECT_EQ(hasher.finalize(), oneShot(expected));
    // `single` hashes one entry on its own.
    const auto entry = Hasher::single([](Hasher& alone) {
        alone.combine(std::string_view("m"));
        alone.combineSigned(2);
    });
    EXPECT_EQ(entry, oneShot(std::string("m\xFF") + bytesOf(2)));
}

// Random pieces, small and large, fill and overflow the buffer at every
// possible offset; the result must match hashing the concatenation at once.
TEST(Hasher, SplittingNeverChangesTheResult)
{
    std::mt19937 random(20240601);
    const std::size_t maxPieces[] = {1, 8, 40, 300, 5000};
    for (int round = 0; round < 200; ++round) {
        Hasher hasher;
        std::string fed;
        const auto pieces = std::uniform_int_distribution<int>(0, 400)(random);
        const auto largest = maxPieces[static_cast<std::size_t>(round) % std::size(maxPieces)];
        for (int piece = 0; piece < pieces; ++piece) {
            std::string bytes(std::uniform_int_distribution<std::size_t>(0, largest)(random), '\0');
            for (auto& byte : bytes)
                byte = static_cast<char>(random());
            switch (random() % 3) {
            case 0:
                hasher.combineBytes(bytes.data(), bytes.size());
                fed += bytes;
                break;
            case 1:
                hasher.combine(std::string_view(bytes));
                fed += bytes + "\xFF";
                break;
            default: {
                const std::uint64_t word = random();
                hasher.combine(word);
                fed += bytesOf(word);
            }
            }
        }
        ASSERT_EQ(hasher.finalize(), oneShot(fed)) << "round " << round << ", " << fed.size() << " bytes";
    }
}

// Finalizing reports the bytes so far and leaves the hasher able to go on.
TEST(Hasher, FinalizeCanBeRepeatedAsInputGrows)
{
    Hasher hasher;
    std::string fed;
    for (int step = 0; step < 50; ++step) {
        const std::string text(static_cast<std::size_t>(step * 37), static_cast<char>('a' + step % 26));
        hasher.combine(std::string_view(text));
        fed += text + "\xFF";
        ASSERT_EQ(hasher.finalize(), oneShot(fed)) << step;
        ASSERT_EQ(hasher.finalize(), oneShot(fed)) << step;
    }
}

} // namespace
} // namespace engine
