#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "engine/calibration.h"

namespace velmora {

/// SplitMix64 (Steele, Lea and Flood, "Fast splittable pseudorandom number
/// generators", 2014): the state advances by 0x9E3779B97F4A7C15 and each
/// number is the state mixed by
/// z = (z ^ z >> 30) * 0xBF58476D1CE4E5B9, z = (z ^ z >> 27) * 0x94D049BB133111EB,
/// z ^ z >> 31. The same seed gives the same numbers on every platform.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next();
    /// A whole number from 0 to `count - 1`, each equally likely: numbers past
    /// the last whole multiple of `count` are drawn again. `count` > 0.
    std::size_t below(std::size_t count);

private:
    std::uint64_t state_;
};

/// Where a fitted value lies: its 10th and 90th percentile over the draws.
struct FittedRange {
    double low = 0;
    double high = 0;
};

/// How much the fitted values move with the cohorts the table happens to hold.
struct CalibrationRanges {
    std::array<std::optional<FittedRange>, 6> rates;  ///< `rt1` to `rt6`
    std::optional<FittedRange> rtPlus;
    std::optional<FittedRange> trialRetention;
    std::optional<FittedRange> dailyNewSubs;
    std::size_t draws = 0;  ///< the resampled tables the ranges were taken over
};

/// Ranges of the fitted values by a bootstrap over the cohorts: `draws` tables,
/// each of as many cohorts as `table` drawn from it with replacement by a
/// `SplitMix64` seeded with `seed`, each fitted as `calibrate` fits (without a
/// backtest); a table drawn with no cohort after a renewal is left out. The
/// percentiles interpolate linearly between the sorted draws (at p (n - 1)).
/// Nothing for a table of one cohort, which a bootstrap over cohorts cannot
/// vary, and when stopped. Thread-safe; checks `stop` between draws.
[[nodiscard]] std::optional<CalibrationRanges> calibrationRanges(
    const CohortTable& table, const CalibrationSettings& settings, std::uint64_t seed = 1,
    std::size_t draws = 200, std::stop_token stop = {});

}  // namespace velmora
