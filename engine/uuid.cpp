#include "engine/uuid.h"

#include <array>
#include <random>

namespace velmora {

namespace {

// A bijection of 64-bit words that scatters every input bit over the output.
constexpr std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t splitMix(std::uint64_t& x) {
    return mix(x += 0x9E3779B97F4A7C15ULL);
}

}  // namespace

std::string Uuid::toString() const {
    static constexpr char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(36);
    const std::array<std::uint64_t, 2> words{high, low};
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) {
            text.push_back('-');
        }
        const std::uint64_t word = words[static_cast<std::size_t>(i / 16)];
        text.push_back(digits[(word >> (60 - 4 * (i % 16))) & 0xF]);
    }
    return text;
}

Uuid derivedUuid(const Uuid& key, std::uint64_t position) {
    // Multiplying by an odd constant, adding and mixing are all one-to-one, so
    // the high half differs between positions in all but the four version bits,
    // and the low half on its own in all but the two variant bits.
    return UuidGenerator::versionFour(mix(key.high + position * 0x9E3779B97F4A7C15ULL),
                                      mix(key.low ^ mix(position * 0xD6E8FEB86659FD93ULL + 1)));
}

UuidGenerator::UuidGenerator() {
    std::random_device entropy;
    for (auto& word : state_) {
        word = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
    }
    if ((state_[0] | state_[1] | state_[2] | state_[3]) == 0) {
        state_[0] = 1;  // the all-zero state would repeat forever
    }
}

UuidGenerator::UuidGenerator(std::uint64_t seed) {
    for (auto& word : state_) {
        word = splitMix(seed);
    }
}

}  // namespace velmora
