#pragma once

#include <vector>

#include <QString>

#include "engine/decisions/metrics.h"
#include "engine/projection/scenario.h"

namespace velmora::report {

/// One value of a scenario as reports and workbooks list it.
struct ValueRow {
    enum class Kind { Count, Money, Share, Days };
    QString title;  ///< the form's title: "Daily Trials", "Retention Rate Rest", ...
    Kind kind;
    double value;
};

/// The thirteen values in the order of the form: months to project, starting
/// subscribers, price, daily trials, trial retention, the renewal rates, and
/// the days in a month last.
[[nodiscard]] std::vector<ValueRow> valueRows(const ScenarioValues& values);

/// The title of `input`, as `valueRows` gives it.
[[nodiscard]] QString inputTitle(Input input);

/// "Subscribers", "Monthly Proceeds", "Annual Proceeds", "Lifetime Value per Trial".
[[nodiscard]] QString metricTitle(Metric metric);

}  // namespace velmora::report
