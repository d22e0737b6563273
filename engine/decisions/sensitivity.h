#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "engine/decisions/metrics.h"

namespace velmora {

/// `share` with its churn, 1 - `share`, at `factor` of itself, held at 0 and 1
/// when within them; a share already beyond one of them is never moved further
/// out. Sets `held` when the step was held.
[[nodiscard]] double movedShare(double share, double factor, bool& held);

/// How much a metric moves when one input is moved down and up by a tenth. A
/// count, the price or the cost moves to 90% and 110% of itself. A share (the
/// trial retention or a renewal rate) moves on its complement, the churn
/// 1 - share: to 90% and 110% of the churn, so 0.95 becomes 0.955 and 0.945.
///
/// The later renewal rates make one bar, `Input::LaterRates`, when the scenario
/// has any: every one of them moves on its own churn by the same step, and
/// the bar's values are the first of them as moved.
struct SensitivityBar {
    Input input;
    double downValue;  ///< the input with itself, or its churn, at 90%
    double upValue;    ///< the input with itself, or its churn, at 110%
    double down;       ///< the metric's change with `downValue`, from the base
    double up;         ///< the metric's change with `upValue`, from the base
    /// A share's step was held: a step never takes a share past 0 or 1, and
    /// one already outside stays where the step would push it further out
    /// (its change is then 0).
    bool upCapped;
    bool downCapped = false;
    bool churn = false;  ///< moved on its complement: a share
};

/// The sensitivity of one metric to every input, the usual "tornado".
struct Sensitivity {
    Metric metric;
    double base;  ///< the metric with the inputs as they are
    /// One bar per input (the later rates' only when there are any), ordered
    /// by the larger of |down| and |up|, largest
    /// first; equal effects keep the order of `allInputs`, and bars with a
    /// change that is not a number come last.
    std::vector<SensitivityBar> bars;
};

/// Moves each input of `values` in turn down and up (see `SensitivityBar`) and
/// computes `metric` each time. `base` is the summary's figure (`metricValue`);
/// the changes come from the closed form (`closedFormMetricValue`), within
/// about 1e-12 of the figures relatively, and an input that does not move the
/// metric changes it by exactly 0. Nothing when stopped through `stop` or when
/// the metric has no value (a projection without a month). Thread-safe.
[[nodiscard]] std::optional<Sensitivity> sensitivity(const ScenarioValues& values,
                                                     Metric metric = Metric::MonthlyProceeds,
                                                     std::stop_token stop = {});

}  // namespace velmora
