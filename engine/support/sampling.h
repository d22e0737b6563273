#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace velmora {

/// SplitMix64 (Steele, Lea and Flood): a 64-bit state advanced by the golden
/// gamma 0x9e3779b97f4a7c15, each output its state mixed by two xor-shift-
/// multiplies. Seeds `SampleGenerator`, and draws the cohorts of a bootstrap.
class SplitMix64 {
public:
    explicit constexpr SplitMix64(std::uint64_t seed) : state_(seed) {}
    constexpr std::uint64_t next() { return mix(state_ += 0x9e3779b97f4a7c15u); }

    /// A whole number from 0 to `count - 1`, each equally likely: numbers past
    /// the last whole multiple of `count` are drawn again. `count` > 0.
    constexpr std::size_t below(std::size_t count) {
        const std::uint64_t n = count;
        const std::uint64_t limit = ~std::uint64_t{0} - ~std::uint64_t{0} % n;
        std::uint64_t x = next();
        while (x >= limit) {
            x = next();
        }
        return static_cast<std::size_t>(x % n);
    }

    /// The output function alone: a bijection of 64-bit words that scatters
    /// every input bit over the output.
    static constexpr std::uint64_t mix(std::uint64_t z) {
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
    /// From four words of state, not all zero (that state repeats forever).
    explicit constexpr SampleGenerator(const std::array<std::uint64_t, 4>& state)
        : state_{state[0], state[1], state[2], state[3]} {}

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
