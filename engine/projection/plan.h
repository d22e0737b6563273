#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

struct ScenarioValues;

/// An input a plan may change from a month on.
enum class PlanInput {
    DailyNewSubs,
    Price,
    TrialRetention,
    CostPerTrial,
};

/// Whom a change of price reaches.
enum class PriceChangesApply {
    Everyone,        ///< every payment of a month is at that month's price
    NewSubscribers,  ///< a cohort pays, for its whole life, the price of the month it started in
};

/// The calendar month of the projection's M0.
struct CalendarMonth {
    int year = 2026;
    int month = 1;  ///< 1 for January ... 12 for December

    friend bool operator==(const CalendarMonth&, const CalendarMonth&) = default;
};

/// The calendar month `months` months after `start` (0 or more).
[[nodiscard]] CalendarMonth calendarMonthAfter(CalendarMonth start, std::int64_t months);

/// The English short name and year of the calendar month `months` months
/// after `start`: "Feb 2027" for 3 after November 2026.
[[nodiscard]] std::string calendarMonthName(CalendarMonth start, std::int64_t months);

/// A new value of one input from `month` on (1 or later: M0 keeps the scenario's).
struct PlanChange {
    PlanInput input = PlanInput::DailyNewSubs;
    std::int64_t month = 1;
    double value = 0;

    friend bool operator==(const PlanChange&, const PlanChange&) = default;
};

/// How a scenario's inputs change over the months of its projection. Daily
/// trials in month m are level(m) x (1 + g)^min(m, u) x season(m): level(m) the
/// scenario's daily trials or the last change of them at a month <= m, g the
/// growth, u the month it stops at, season(m) the factor of the calendar month m
/// falls in. The price, the trial retention and the cost per trial are the
/// scenario's until their first change and the last change's from then on.
struct Plan {
    /// Monthly growth of the daily trials in percent (5 means 5%), above -100.
    std::optional<double> growthPercent = std::nullopt;
    /// The last month that still grows; growth goes on to the end without it.
    std::optional<std::int64_t> growthUntil = std::nullopt;
    std::optional<CalendarMonth> startMonth = std::nullopt;  ///< the calendar month of M0
    /// A factor of 0 or more for each calendar month, January first; needs `startMonth`.
    std::optional<std::array<double, 12>> seasonality = std::nullopt;
    PriceChangesApply priceChangesApply = PriceChangesApply::Everyone;
    std::vector<PlanChange> changes = {};  ///< at most one per input and month, in any order

    /// The latest month a change or the end of growth may name: a thousand years.
    static constexpr std::int64_t lastMonth = 12'000;

    /// Whether the plan changes nothing at all: no growth (or 0%), no seasons
    /// (or all 1), no change.
    [[nodiscard]] bool isEmpty() const;
    /// Whether the daily trials grow (or shrink): a growth other than 0.
    [[nodiscard]] bool hasGrowth() const;
    /// Whether seasons move the daily trials: a factor other than 1.
    [[nodiscard]] bool hasSeasons() const;
    /// Whether it changes what a projection counts or earns: anything but the cost per trial.
    [[nodiscard]] bool changesProjection() const;
    /// Whether it changes any input over time in a way a projection or the spend sees.
    [[nodiscard]] bool hasChanges(PlanInput input) const;

    /// The value of `input` in `month`, given the scenario's own `base`; for the
    /// daily trials without growth and seasons, which `trialsPerDay` adds.
    [[nodiscard]] double valueIn(PlanInput input, double base, std::int64_t month) const;
    /// (1 + g)^min(month, u) x season(month).
    [[nodiscard]] double trialsFactor(std::int64_t month) const;

    /// What the projection reads of the plan as text, exact like the
    /// scenario's key; the cost per trial is left out, as there.
    [[nodiscard]] std::string key() const;

    friend bool operator==(const Plan&, const Plan&) = default;
};

/// Why `plan` cannot be used, as a sentence naming the bad part; nothing when it can.
[[nodiscard]] std::optional<std::string> planProblem(const Plan& plan);

/// "dailyNewSubs", "price", "trialRetention", "costPerTrial".
[[nodiscard]] const char* planInputName(PlanInput input);

/// The inputs of `values` in month `month`, its plan applied (the scenario's
/// own values without one).
[[nodiscard]] double trialsPerDay(const ScenarioValues& values, std::int64_t month);
[[nodiscard]] double priceIn(const ScenarioValues& values, std::int64_t month);
[[nodiscard]] double conversionIn(const ScenarioValues& values, std::int64_t month);
[[nodiscard]] double costIn(const ScenarioValues& values, std::int64_t month);

/// Whether `values` carry a plan that changes what a projection counts or earns.
[[nodiscard]] bool plansProjection(const ScenarioValues& values);

/// The plan's inputs for each of `months` months, looked up once for the
/// projections, whose per-day work must not search the changes.
struct MonthlyInputs {
    std::vector<double> trialsPerDay;
    std::vector<double> conversion;
    std::vector<double> price;
    std::vector<double> cost;
    /// trialsPerDay x conversion: the size of each day's cohort in each month.
    std::vector<double> newCohort;
};
[[nodiscard]] MonthlyInputs monthlyInputs(const ScenarioValues& values, std::size_t months);

}  // namespace velmora
