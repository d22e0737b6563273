#include "engine/calibration/calibration_ranges.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace velmora {

namespace {

std::optional<FittedRange> percentiles(std::vector<double> values) {
    std::erase_if(values, [](double v) { return !std::isfinite(v); });
    if (values.empty()) {
        return std::nullopt;
    }
    std::sort(values.begin(), values.end());
    const auto at = [&](double p) {
        const double position = p * static_cast<double>(values.size() - 1);
        const auto below = static_cast<std::size_t>(position);
        const std::size_t above = std::min(below + 1, values.size() - 1);
        const double share = position - static_cast<double>(below);
        return values[below] + share * (values[above] - values[below]);
    };
    return FittedRange{at(0.1), at(0.9)};
}

}  // namespace

std::optional<CalibrationRanges> calibrationRanges(const CohortTable& table,
                                                   const CalibrationSettings& settings,
                                                   std::uint64_t seed, std::size_t draws,
                                                   std::stop_token stop) {
    const std::size_t cohorts = table.cohorts.size();
    if (cohorts < 2) {
        return std::nullopt;
    }
    constexpr double none = std::numeric_limits<double>::quiet_NaN();
    std::array<std::vector<double>, 9> drawn;  // rt1 to rt6, rtPlus, trials, daily
    SplitMix64 random(seed);
    CohortTable sample;
    sample.cohorts.resize(cohorts);
    const CalibrationSettings fitOnly{settings.horizon, 0};
    for (std::size_t draw = 0; draw < draws; ++draw) {
        if (stop.stop_requested()) {
            return std::nullopt;
        }
        for (CohortRow& row : sample.cohorts) {
            row = table.cohorts[random.below(cohorts)];
        }
        if (std::none_of(sample.cohorts.begin(), sample.cohorts.end(), [](const CohortRow& row) {
                return row.counts.size() > 1 && row.counts[0] > 0;
            })) {
            continue;
        }
        const auto fitted = std::get<Calibration>(calibrate(sample, fitOnly));
        for (std::size_t k = 0; k < 6; ++k) {
            drawn[k].push_back(fitted.rates.rates[k]);
        }
        drawn[6].push_back(fitted.rates.rtPlus);
        drawn[7].push_back(fitted.trialRetention.value_or(none));
        drawn[8].push_back(fitted.dailyNewSubs.value_or(none));
    }
    CalibrationRanges ranges;
    ranges.draws = drawn[6].size();
    for (std::size_t k = 0; k < 6; ++k) {
        ranges.rates[k] = percentiles(drawn[k]);
    }
    ranges.rtPlus = percentiles(drawn[6]);
    ranges.trialRetention = percentiles(drawn[7]);
    ranges.dailyNewSubs = percentiles(drawn[8]);
    return ranges;
}

}  // namespace velmora
