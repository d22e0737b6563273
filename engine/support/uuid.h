#pragma once

#include <cstdint>
#include <string>

#include "engine/support/sampling.h"

namespace velmora {

/// A 128-bit universally unique identifier.
struct Uuid {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    /// Lower-case 8-4-4-4-12 hexadecimal text, e.g. "3f2b...-...".
    [[nodiscard]] std::string toString() const;
    /// The version nibble (4 for random identifiers).
    [[nodiscard]] int version() const { return static_cast<int>((high >> 12) & 0xF); }

    friend bool operator==(const Uuid&, const Uuid&) = default;
};

/// The id at `position` in a family of ids drawn from the random `key`: a fixed
/// function of the two, so the same position always gives the same id, and as
/// random as the key. Distinct positions give distinct ids.
[[nodiscard]] Uuid derivedUuid(const Uuid& key, std::uint64_t position);

/// Draws random version-4 UUIDs. A projection makes millions of records, so the
/// generator is a fast pseudo-random one (xoshiro256**), seeded once from the
/// operating system's entropy source when it is made.
class UuidGenerator {
public:
    UuidGenerator();
    /// A reproducible sequence, for tests and benchmarks.
    explicit UuidGenerator(std::uint64_t seed) : words_(seed) {}

    Uuid next() {
        const std::uint64_t high = words_.next();
        return versionFour(high, words_.next());
    }

    /// Marks 122 random bits as a random (version 4, RFC 4122 variant) UUID.
    static constexpr Uuid versionFour(std::uint64_t high, std::uint64_t low) {
        return {(high & ~0xF000ULL) | 0x4000ULL, (low & ~(0xC000ULL << 48)) | (0x8000ULL << 48)};
    }

private:
    SampleGenerator words_;
};

}  // namespace velmora
