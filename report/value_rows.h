#pragma once

#include <optional>
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

/// One line of a scenario's plan as reports and workbooks list it: a number
/// of `kind`, or `text` when it is not one ("2027-01", "New subscribers").
struct PlanRow {
    QString title;  ///< "Monthly Growth (%)", "Season March", "Price from M6", ...
    ValueRow::Kind kind = ValueRow::Kind::Count;
    double value = 0;
    QString text = {};  ///< empty for a number
};

/// The plan of `values` line by line: growth, its end, the calendar month of
/// M0, the twelve seasons, whom price changes reach, then each change by input
/// and month; none without a plan.
[[nodiscard]] std::vector<PlanRow> planRows(const ScenarioValues& values);

/// Plans of several scenarios side by side: every line any of them has, in
/// the order first met, and for each line each scenario's (none where its
/// plan leaves it out).
struct PlanGrid {
    std::vector<QString> titles;
    std::vector<std::vector<std::optional<PlanRow>>> rows;  ///< [line][scenario]
};
[[nodiscard]] PlanGrid planGrid(const std::vector<ScenarioValues>& scenarios);

/// The title of `input`, as `valueRows` gives it.
[[nodiscard]] QString inputTitle(Input input);

/// "Subscribers", "Monthly Proceeds", "Annual Proceeds", "Lifetime Value per Trial".
[[nodiscard]] QString metricTitle(Metric metric);

}  // namespace velmora::report
