#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <stop_token>

#include "engine/calibration/calibration.h"
#include "engine/support/sampling.h"

namespace velmora {

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
