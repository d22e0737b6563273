#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "engine/records.h"

namespace velmora {

/// Bit for bit: also the sign of a zero and the payload of a NaN.
inline bool sameNumber(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
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

}  // namespace velmora
