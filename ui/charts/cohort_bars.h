#pragma once

#include <cstdint>
#include <vector>

#include "engine/projection/calculation.h"
#include "engine/projection/records.h"

namespace velmora {

/// Every cohort record of a projection, in order: the records of each daily
/// snapshot in turn (only the first day of a month carries any).
[[nodiscard]] std::vector<SubscriptionCohort> cohortBars(const SubscriptionCalculation& projection);

/// One coloured piece of a stacked bar. `base` is the end nearer to zero, where
/// the piece sits on the stack; `top` the far end, below `base` for negative
/// counts, so `top - base` is the signed subscriber count.
struct CohortSegment {
    double month;
    double base;
    double top;
    int colour;  ///< order of first appearance of the label; the palette cycles through it
    std::int64_t cohort;

    friend bool operator==(const CohortSegment&, const CohortSegment&) = default;
};

/// The segments of one bar drawn in one go: `segments[first, end)`, all at
/// `month`. `low` and `high` bound the bar and include zero.
struct CohortBar {
    double month;
    double low;
    double high;
    double total;  ///< net count of every drawn record of this month
    std::size_t first;
    std::size_t end;
};

/// The stacked bars of a list of cohort records, ready to draw.
///
/// Records of the same month stack in list order: positive counts upwards from
/// zero, negative ones downwards. Consecutive records of the same month, label
/// and sign form one segment, which looks exactly like their separate pieces
/// stacked: a projection holds millions of daily records but a few hundred
/// thousand such segments. A count that is not finite is drawn as nothing and
/// leaves the stack as it was; its label still takes its place in the colours.
struct CohortStack {
    std::vector<CohortSegment> segments;
    /// In drawing order; a month whose records are not adjacent has one bar per run.
    std::vector<CohortBar> bars;

    [[nodiscard]] bool empty() const { return segments.empty(); }
};

[[nodiscard]] CohortStack stackCohorts(const std::vector<SubscriptionCohort>& records);

/// The same as `stackCohorts(cohortBars(projection))`, without making the
/// records.
[[nodiscard]] CohortStack stackProjection(const SubscriptionCalculation& projection);

}  // namespace velmora
