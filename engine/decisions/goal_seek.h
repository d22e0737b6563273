#pragma once

#include <stop_token>
#include <string>

#include "engine/decisions/metrics.h"

namespace velmora {

/// A figure to reach by changing one input.
struct Goal {
    Metric metric = Metric::MonthlyProceeds;
    double target = 0;
    Input input = Input::DailyNewSubs;
};

/// What goal seeking found.
struct GoalSeekResult {
    enum class Outcome {
        Reached,        ///< `value` gives the target within the table's rounding
        Unreachable,    ///< no value in the input's range does; `value` is the nearest
        NoEffect,       ///< the input cannot change the metric, which is not the target
        CannotCompute,  ///< the metric has no value, or the target is not a number
        Cancelled,      ///< stopped through the stop token; nothing else is meaningful
    };
    Outcome outcome = Outcome::CannotCompute;
    /// The input's value: the one found when reached; the range end whose metric
    /// is nearest the target when unreachable; the current value on no effect.
    double value = 0;
    double achieved = 0;  ///< the metric with `value`, computed as the summary would
    std::string reason;   ///< a sentence saying why, unless reached

    [[nodiscard]] bool reached() const { return outcome == Outcome::Reached; }
};

/// The value of `goal.input`, within its range (`inputRange`), that brings
/// `goal.metric` of the projection of `values` within `shownTolerance` of
/// `goal.target`, and within half the last decimal the target is written with
/// (0.005 for 0.12), all other inputs as they are. Under a plan the value
/// solved for is the input's in M0, before its first change: the plan, its
/// growth and its changes stay as they are. When the current value already
/// does, that is the answer; otherwise the metric, monotonic in each input for
/// non-negative inputs, is solved for by a bracketed secant search (exact in a
/// step or two where it is linear) and the answer rounded to the fewest decimals
/// that still reach the target. The answer's figure is the one the summary of
/// the full projection shows, so applying `value` reaches the target.
///
/// A deadline (`isDeadline`: "pays back within k months", "break-even by month
/// m") is reached by any value whose metric is at most the target; the answer
/// is the value nearest the current one that reaches it, found by bisection and
/// rounded, towards the side that reaches it, to the fewest decimals within
/// 0.1% of it. For the cost of a trial it is the budget, the most a trial may
/// cost and still reach it, even when the current cost reaches it already. A goal on what trials
/// cost (`needsCost`) cannot be computed while the cost is not given, unless it solves for the
/// cost.
///
/// The search computes the metric in closed form (`closedFormMetricValue`) and
/// checks its answer with the summary's figure, searching day by day only when
/// the two disagree. Thread-safe; checks `stop` between projections.
[[nodiscard]] GoalSeekResult seekGoal(const ScenarioValues& values, const Goal& goal,
                                      std::stop_token stop = {});

}  // namespace velmora
