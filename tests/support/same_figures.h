#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <limits>
#include <optional>
#include <vector>

#include "engine/projection/records.h"
#include "engine/projection/scenario.h"

namespace velmora {

/// Bit for bit: also the sign of a zero and the payload of a NaN.
inline bool sameNumber(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

/// Within `share` of `b`'s magnitude.
inline bool relativelyNear(double a, double b, double share = 1e-12) {
    return std::abs(a - b) <= share * std::abs(b);
}

/// The NaN of inf - inf, the only one a projection meets: no input may be NaN.
/// Of two different NaNs, an operation passes on the one its operand order
/// (which compilers swap at will) puts first.
inline double processorNaN() {
    volatile double infinity = std::numeric_limits<double>::infinity();
    return infinity - infinity;
}

/// Where two lists of snapshots first differ in length, an epoch, a count (bit
/// for bit) or a breakdown record; nothing when they agree.
inline std::optional<std::size_t> firstDifference(const std::vector<SubscriptionSnapshot>& a,
                                                  const std::vector<SubscriptionSnapshot>& b) {
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        bool same = a[i].epoch == b[i].epoch && sameNumber(a[i].active, b[i].active) &&
                    a[i].cohorts.size() == b[i].cohorts.size();
        for (std::size_t j = 0; same && j < a[i].cohorts.size(); ++j) {
            const SubscriptionCohort x = a[i].cohorts[j];
            const SubscriptionCohort y = b[i].cohorts[j];
            same = x.epoch == y.epoch && x.cohort == y.cohort && sameNumber(x.count, y.count);
        }
        if (!same) {
            return i;
        }
    }
    return a.size() == b.size() ? std::nullopt : std::optional(std::min(a.size(), b.size()));
}

/// Every combination of the month lengths, starting subscribers and months
/// given, each with one of `rates` in turn at a place that moves along the
/// trial retention and the seven renewal rates.
inline std::vector<ScenarioValues> scenarioGrid(std::initializer_list<std::int64_t> monthDurations,
                                                std::initializer_list<double> startingSubs,
                                                std::initializer_list<double> months,
                                                std::initializer_list<double> rates) {
    std::vector<ScenarioValues> grid;
    for (const std::int64_t monthDuration : monthDurations) {
        for (const double starting : startingSubs) {
            for (const double monthCount : months) {
                const std::size_t n = grid.size();
                ScenarioValues& values = grid.emplace_back();
                values.monthDuration = monthDuration;
                values.startingSubs = starting;
                values.monthsToProject = monthCount;
                double* placed[] = {&values.trialRetention,
                                    &values.rt1,
                                    &values.rt2,
                                    &values.rt3,
                                    &values.rt4,
                                    &values.rt5,
                                    &values.rt6,
                                    &values.rtPlus};
                *placed[n % std::size(placed)] = std::data(rates)[n % rates.size()];
            }
        }
    }
    return grid;
}

}  // namespace velmora
