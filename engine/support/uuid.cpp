#include "engine/support/uuid.h"

#include <array>
#include <random>

namespace velmora {

namespace {

constexpr std::uint64_t mix(std::uint64_t z) {
    return SplitMix64::mix(z);
}

// Four words from the operating system's entropy source, never all zero.
std::array<std::uint64_t, 4> entropyState() {
    std::random_device entropy;
    std::array<std::uint64_t, 4> state{};
    for (auto& word : state) {
        word = (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy();
    }
    if ((state[0] | state[1] | state[2] | state[3]) == 0) {
        state[0] = 1;
    }
    return state;
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

UuidGenerator::UuidGenerator() : words_(entropyState()) {}

}  // namespace velmora
