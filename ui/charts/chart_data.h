#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include <QString>

#include "engine/projection/calculation.h"
#include "engine/projection/plan.h"
#include "engine/support/uuid.h"

namespace velmora {

class SubscriptionInputs;

/// One point of the income comparison.
struct ChartData {
    Uuid id;
    QString inputName;  ///< "Baseline", "Alternate 1" or "Alternate 2"
    double month;
    double active;
    double income;
};

/// A compared scenario as the comparison reads it.
struct ComparedScenario {
    const SubscriptionCalculation* projection;  ///< null while none is stored
    double price;                               ///< the scenario's current price
};

/// The points of the three scenarios in order (baseline, alternate 1, alternate
/// 2), one per day of each projection: month = day / the projection's month
/// length, and income = active x 0.85 x price. Empty when any scenario has no
/// projection, so the chart never shows two of three lines.
[[nodiscard]] std::vector<ChartData> chartPoints(const std::array<ComparedScenario, 3>& scenarios,
                                                 UuidGenerator& ids);
/// The same, with each scenario's stored projection and current price.
[[nodiscard]] std::vector<ChartData> chartPoints(const SubscriptionInputs& baseline,
                                                 const SubscriptionInputs& input1,
                                                 const SubscriptionInputs& input2,
                                                 UuidGenerator& ids);

/// The most x-axis marks ever made; ends beyond that (1e300, infinity) get this
/// many instead of an endless list.
inline constexpr std::size_t maxAxisMarks = 10'000;

/// Marks every 12 months from 0, strictly below `end`: 36 gives 0, 12, 24.
/// Empty when `end` is not above zero or not a number.
[[nodiscard]] std::vector<double> xAxisValues(double end);
/// The marks for the months the baseline projects.
[[nodiscard]] std::vector<double> xAxisValues(const SubscriptionInputs& baseline);

/// "Month 12\n2,000 active"; "Month 12 · Jan 2028\n..." with M0's calendar
/// month `start`, as every tip below names its month.
[[nodiscard]] QString simpleChartTip(double month, double active,
                                     const std::optional<CalendarMonth>& start = std::nullopt);
/// "Month 12, cohort 3\n512 subscribers (of 2,000)".
[[nodiscard]] QString cohortChartTip(double month, std::int64_t cohort, double count, double total,
                                     const std::optional<CalendarMonth>& start = std::nullopt);

/// One scenario's line in the comparison tip.
struct SeriesIncome {
    QString name;
    double income;
};
/// "Month 12\nBaseline $3,383\nAlternate 1 $3,383\nAlternate 2 $3,383".
[[nodiscard]] QString comparisonChartTip(double month, const std::vector<SeriesIncome>& series,
                                         const std::optional<CalendarMonth>& start = std::nullopt);

}  // namespace velmora
