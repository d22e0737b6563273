#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "engine/projection/calculation.h"

namespace velmora {

/// Share of the gross (subscribers x price) that is proceeds.
inline constexpr double proceedsShare = 0.85;
inline constexpr double daysPerYear = 365;
/// Horizon, in months, of the lifetime value shown with a projection.
inline constexpr std::int64_t lifetimeMonths = 24;

/// Proceeds of one month with `active` paying subscribers.
[[nodiscard]] constexpr double monthlyProceeds(double active, double price) {
    return (active * price) * proceedsShare;
}

/// A monthly amount as a yearly one, for months of `monthDuration` days: a
/// day's share of the month, 365 times (365/30 of it for 30-day months).
[[nodiscard]] constexpr double annualized(double monthlyAmount, std::int64_t monthDuration) {
    return (monthlyAmount / static_cast<double>(monthDuration)) * daysPerYear;
}

/// The lifetime value of one trial as shown with a projection: 24 months, 0.85
/// of the price counted for every payment.
[[nodiscard]] double shownLifetimeValue(const ScenarioValues& inputs, double price);

/// The four figures about the last month of a projection.
struct ProjectionSummary {
    double subscribers;
    double monthlyProceeds;
    double annualProceeds;
    double lifetimeValue;
};

/// Nothing when the projection has no month.
[[nodiscard]] std::optional<ProjectionSummary> summarize(const SubscriptionCalculation& projection,
                                                         double price);
/// The same figures about month `month` (counted from 0); nothing when the
/// projection ends before it. Under a plan the proceeds are the month's by its
/// price rule (`monthlyProceedsOf`), `price` standing for M0's.
[[nodiscard]] std::optional<ProjectionSummary> summarizeMonth(
    const SubscriptionCalculation& projection, double price, std::size_t month);

/// The same from the monthly snapshots alone of the projection of `inputs`.
[[nodiscard]] std::optional<ProjectionSummary> summarize(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price);
/// The same about month `month` (counted from 0) from the monthly snapshots alone.
[[nodiscard]] std::optional<ProjectionSummary> summarizeMonth(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price, std::size_t month);

/// What the Change column shows for one month.
enum class ChangeKind {
    First,    ///< the first month: "-"
    Delta,    ///< the change from the month before
    Missing,  ///< a month that equals no entry of the list (its count is NaN): no cell
};

struct MonthlyRow {
    std::int64_t month;
    double active;
    ChangeKind changeKind;
    double change;  ///< meaningful for ChangeKind::Delta only
    double proceeds;
    double annualized;
};

/// One row per monthly snapshot, in order, of months `monthDuration` days long.
[[nodiscard]] std::vector<MonthlyRow> monthlyRows(
    const std::vector<SubscriptionSnapshot>& monthlySnapshots, double price,
    std::int64_t monthDuration);
/// The same with each month's proceeds given, one per snapshot: a plan's
/// (`SubscriptionCalculation::monthlyProceeds`).
[[nodiscard]] std::vector<MonthlyRow> monthlyRows(
    const std::vector<SubscriptionSnapshot>& monthlySnapshots, std::span<const double> proceeds,
    std::int64_t monthDuration);

/// The proceeds of each of the monthly snapshots of the projection of
/// `inputs`, `price` standing for M0's: under a plan by its prices and price
/// rule (`monthlyProceedsOf`), active x price x 0.85 otherwise.
[[nodiscard]] std::vector<double> proceedsOf(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price);
/// What each subscriber brings in a month, for figures of the days between
/// first days: the month's proceeds (`proceedsOf`) over its first-day
/// subscribers, or its price x 0.85 when it has none. Only for `inputs` whose
/// plan changes the projection; without one a day's figure stays active x 0.85 x price.
[[nodiscard]] std::vector<double> proceedsPerSubscriber(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price);
/// The rows of the projection of `inputs`, each month's proceeds by `proceedsOf`.
[[nodiscard]] std::vector<MonthlyRow> monthlyRows(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price);
/// The rows of `projection`, built from the values it was built from.
[[nodiscard]] std::vector<MonthlyRow> monthlyRows(const SubscriptionCalculation& projection,
                                                  double price);

}  // namespace velmora
