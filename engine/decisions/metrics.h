#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "engine/projection/scenario.h"

namespace velmora {

/// A figure the decision tools aim at or watch: the first four as the summary
/// of a projection shows them, the others as the unit economics do.
enum class Metric {
    Subscribers,      ///< active subscribers in the last month
    MonthlyProceeds,  ///< proceeds of the last month
    AnnualProceeds,   ///< the last month's proceeds as a yearly amount
    LifetimeValue,    ///< the 24-month lifetime value of one trial
    /// Payments until one trial pays back its cost; +infinity for never. A
    /// goal on it means "within": at most the target.
    PaybackMonths,
    LifetimeValueToCost,  ///< the 24-month lifetime value over the cost of a trial
    /// The first month whose cumulative net is 0 or more; +infinity when none
    /// of the months projected is. A goal on it means "by": at most the target.
    BreakEvenMonth,
    CashNeeded,  ///< minus the lowest cumulative net, or 0
};

/// An input the decision tools move, named after its field of `ScenarioValues`.
enum class Input {
    DailyNewSubs,
    Price,
    TrialRetention,
    Rt1,
    Rt2,
    Rt3,
    Rt4,
    Rt5,
    Rt6,
    RtPlus,
    StartingSubs,
    CostPerTrial,
    /// The later renewal rates, all together: not a field of its own, and so
    /// in none of the lists below; only the sensitivity moves it.
    LaterRates,
};

inline constexpr std::array<Metric, 8> allMetrics = {
    Metric::Subscribers,    Metric::MonthlyProceeds, Metric::AnnualProceeds,
    Metric::LifetimeValue,  Metric::PaybackMonths,   Metric::LifetimeValueToCost,
    Metric::BreakEvenMonth, Metric::CashNeeded};

/// Every input, in the order the tools list them when nothing else orders them.
inline constexpr std::array<Input, 12> allInputs = {
    Input::DailyNewSubs, Input::Price,        Input::TrialRetention,
    Input::Rt1,          Input::Rt2,          Input::Rt3,
    Input::Rt4,          Input::Rt5,          Input::Rt6,
    Input::RtPlus,       Input::StartingSubs, Input::CostPerTrial};

/// "subscribers", "monthlyProceeds", "annualProceeds", "lifetimeValue",
/// "paybackMonths", "lifetimeValueToCost", "breakEvenMonth", "cashNeeded".
[[nodiscard]] std::string_view metricName(Metric metric);
/// The metric of that name (exact, case-sensitive), or nothing.
[[nodiscard]] std::optional<Metric> metricFromName(std::string_view name);
/// The field's name: "dailyNewSubs", "price", "trialRetention", "rt1" to "rt6",
/// "rtPlus", "startingSubs", "costPerTrial", "laterRates".
[[nodiscard]] std::string_view inputName(Input input);
/// The input of `allInputs` of that name (exact, case-sensitive), or nothing.
[[nodiscard]] std::optional<Input> inputFromName(std::string_view name);

/// The field of `values` that holds `input`; throws std::out_of_range for
/// `Input::LaterRates`, which is no single number.
[[nodiscard]] double& inputField(ScenarioValues& values, Input input);
[[nodiscard]] double inputValue(const ScenarioValues& values, Input input);

/// Whether `input` is a share (the trial retention or a renewal rate), which
/// makes sense from 0 to 1.
[[nodiscard]] bool isRate(Input input);

/// The values an input sensibly takes: 0 to 1 for a share, 0 to `countLimit`
/// for a count, a price or a cost.
struct InputRange {
    double low;
    double high;
};
inline constexpr double countLimit = 1e9;
[[nodiscard]] InputRange inputRange(Input input);

/// Whether changing `input` can change `metric` at all: the price does not
/// change subscribers, the cost of a trial changes only the unit economics, and
/// the lifetime value of one trial and the payback depend only on the price,
/// the trial retention, the renewal rates (and the cost).
[[nodiscard]] bool moves(Input input, Metric metric);

/// Whether `metric` measures what trials cost, and so says nothing while the
/// cost of a trial is not given.
[[nodiscard]] bool needsCost(Metric metric);

/// Whether a goal on `metric` is met at or below its target ("within k
/// months", "by month m") rather than by coming within `shownTolerance` of it.
[[nodiscard]] bool isDeadline(Metric metric);

/// Half of the last unit the table shows of `metric`: half a subscriber, half a
/// currency unit of proceeds or cash, half a cent of lifetime value, half a
/// tenth of a ratio, half a month. A figure within it of a target shows as the
/// target.
[[nodiscard]] double shownTolerance(Metric metric);

/// `metric` of the projection of `values`, bit for bit as the summary of the
/// full projection computes it (`summarize` with the scenario's price) and the
/// unit economics from its months (engine/decisions/economics.h), but without building
/// it and without announcing a calculation. Nothing when the projection has no
/// month, except for the lifetime value, its ratio to the cost and the
/// payback, which need none. Thread-safe.
[[nodiscard]] std::optional<double> metricValue(Metric metric, const ScenarioValues& values);

/// `metric` as `metricValue` gives it, but with the months of the projection
/// computed in closed form (`closedFormFigures`): in time proportional to the
/// months rather than the days, and within about 1e-12 of `metricValue`
/// relatively (a break-even month may differ where the cumulative net passes 0
/// within that). What the decision tools search with. Thread-safe.
[[nodiscard]] std::optional<double> closedFormMetricValue(Metric metric,
                                                          const ScenarioValues& values);

}  // namespace velmora
