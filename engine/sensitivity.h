#pragma once

#include <optional>
#include <stop_token>
#include <vector>

#include "engine/metrics.h"

namespace velmora {

/// How much a metric moves when one input is set to 90% and to 110% of its value.
struct SensitivityBar {
    Input input;
    double downValue;  ///< the input at 90%
    double upValue;    ///< the input at 110%, or its cap
    double down;       ///< the metric's change with `downValue`, from the base
    double up;         ///< the metric's change with `upValue`, from the base
    /// A share (trial retention or a rate) whose 110% lies beyond 1 is held at 1
    /// (or at its own value, if that is already beyond 1).
    bool upCapped;
};

/// The sensitivity of one metric to every input, the usual "tornado".
struct Sensitivity {
    Metric metric;
    double base;  ///< the metric with the inputs as they are
    /// One bar per input, ordered by the larger of |down| and |up|, largest
    /// first; equal effects keep the order of `allInputs`, and bars with a
    /// change that is not a number come last.
    std::vector<SensitivityBar> bars;
};

/// Moves each input of `values` in turn to 90% and 110% and computes `metric`
/// as the summary of the full projection would (`metricValue`). Nothing when
/// stopped through `stop` or when the metric has no value (a projection
/// without a month). Thread-safe; 23 projections of the last month only.
[[nodiscard]] std::optional<Sensitivity> sensitivity(const ScenarioValues& values,
                                                     Metric metric = Metric::MonthlyProceeds,
                                                     std::stop_token stop = {});

}  // namespace velmora
