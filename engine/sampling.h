#pragma once

#include <cstdint>

namespace velmora {

/// SplitMix64 (Steele, Lea and Flood): a 64-bit state advanced by the golden
/// gamma 0x9e3779b97f4a7c15, each output its state mixed by two xor-shift-
/// multiplies. Used only to seed `SampleGenerator`.
class SplitMix64 {
public:
    explicit constexpr SplitMix64(std::uint64_t seed) : state_(seed) {}
    constexpr std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
        return z ^ (z >> 31);
    }

private:
    std::uint64_t state_;
};

/// xoshiro256** (Blackman and Vigna), its four words of state the first four
/// outputs of SplitMix64 from the seed. Integer arithmetic only, so a seed
/// gives the same numbers on every machine; nothing here uses the standard
/// library's distributions, whose output differs between implementations.
class SampleGenerator {
public:
    explicit constexpr SampleGenerator(std::uint64_t seed) {
        SplitMix64 seeder(seed);
        for (std::uint64_t& word : state_) {
            word = seeder.next();
        }
    }

    constexpr std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    /// A uniform number in [0, 1): the top 53 bits of `next()` times 2^-53.
    constexpr double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

private:
    static constexpr std::uint64_t rotl(std::uint64_t x, int k) {
        return (x << k) | (x >> (64 - k));
    }
    std::uint64_t state_[4] = {};
};

/// The value of the triangular distribution from `low` to `high` with its peak
/// at `mode` (low <= mode <= high) whose cumulative probability is `u`, in
/// [0, 1): with F = (mode - low) / (high - low), low + sqrt(u (high - low)
/// (mode - low)) when u < F, else high - sqrt((1 - u) (high - low) (high -
/// mode)), the products formed left to right and the result kept within
/// [low, high]. `mode` when low equals high. Only correctly rounded
/// operations, so every machine gives the same bits.
[[nodiscard]] double triangularQuantile(double low, double mode, double high, double u);

}  // namespace velmora
