#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "engine/projection/plan_months.h"
#include "engine/projection/scenario.h"

namespace velmora {

/// The first days of the months of many scenarios that share the month length,
/// advanced side by side one month at a time in closed form.
///
/// Every day's cohort has the same size n = dailyNewSubs x trialRetention, and a
/// cohort of age a days has renewed floor(a / monthDuration) times, so on the
/// first day of month m the cohorts born during the projection hold
/// monthDuration x (B(0) + ... + B(m - 1)) + B(m), with B(k) the count of one
/// cohort after k renewals (formed exactly as the day-by-day projection forms
/// it). The cohorts seeded for the starting subscribers s all renew at rtPlus =
/// P; of each month's worth of them, monthDuration - 1 have renewed m times and
/// one m + 1 times on the first day of month m, and together they start as s
/// (the rest group takes up whatever the six younger groups do not hold), so
/// they add (monthDuration - 1) x G(m) + G(m + 1) with G(k) = s / monthDuration
/// x P^k.
///
/// Each scenario costs a few operations a month and a few numbers of memory. A
/// scenario whose plan changes its projection is followed on its own
/// (`PlanRecurrence`), at a few dozen operations a month.
class MonthlyRecurrence {
public:
    /// Scenarios with a month length of `monthDuration` days, at least 1;
    /// their own month lengths and month counts are not read. A scenario
    /// without later rates of its own renews at `sharedLaterRates` (many draws
    /// around one scenario need not each hold a copy of its list).
    MonthlyRecurrence(std::span<const ScenarioValues> scenarios, std::int64_t monthDuration,
                      std::span<const double> sharedLaterRates = {});

    /// The active subscribers on the first day of the current month of every
    /// scenario into `actives` (one per scenario, in order); then moves on to
    /// the next month.
    void next(std::span<double> actives);
    /// The same, with each scenario's proceeds of the month into `proceeds`: by
    /// its price, or its plan's price rule.
    void next(std::span<double> actives, std::span<double> proceeds);
    /// Moves on to the next month without writing its figures.
    void skip();

private:
    void advance();

    double monthDuration_;
    std::size_t month_ = 0;
    std::size_t count_;
    // One entry per scenario, side by side.
    std::vector<double> cohort_;      ///< B(m)
    std::vector<double> born_;        ///< B(0) + ... + B(m - 1)
    std::vector<double> seeded_;      ///< G(m)
    std::vector<double> seededRate_;  ///< rtPlus, or 1 when nothing is seeded
    std::vector<double> rates_;       ///< rt1 ... rtPlus, each for all scenarios
    // The later rates: scenario i's are laterLength_[i] of later_ from
    // laterStart_[i]; scenarios next to each other with the same list share it.
    std::vector<double> later_;
    std::vector<std::size_t> laterStart_;
    std::vector<std::size_t> laterLength_;
    std::size_t longestLater_ = 0;
    std::vector<double> laterRow_;  ///< one month's rates when some are later rates
    std::vector<double> prices_;
    std::vector<double> plannedProceeds_;  ///< the planned scenarios' of the last month
    /// The scenarios with a plan, by their place, each followed on its own.
    std::vector<std::pair<std::size_t, PlanRecurrence>> planned_;
};

/// The monthly figures of a projection.
struct MonthlyFigures {
    std::vector<double> active;    ///< on the first day of each month
    std::vector<double> proceeds;  ///< of each month, from `active` and the prices
};

/// The monthly figures of the projection of `values`, computed in closed form
/// in time and memory proportional to the months: the same months as the
/// day-by-day projection (none for a month length of 0 or fewer than one
/// month). The day-by-day projection adds up K = (m + 7) x monthDuration + 1
/// counts one by one on the first day of month m, the closed form about m
/// numbers, so the two round differently. Their difference stays within
/// 2K x 2^-53 of the sum T of the magnitudes of those counts, nearly all of it
/// the day-by-day sum's own rounding (the closed form is within about
/// (m + 4) x 2^-53 of T of the exact sum). In practice that is within 1e-12
/// of the figure itself when no count is negative, except where hundreds of
/// months of equal counts round alike (rtPlus exactly 1 and 600 months: 1.5e-12
/// at 30-day months, 1.3e-11 at 364-day months). A negative rest group (fewer
/// starting subscribers than the six seeded months hold) cancels much of the
/// other counts, so T lies far above the figure and only the bound on T holds.
/// Under a plan the figures follow `PlanRecurrence` and the proceeds
/// `monthlyProceedsOf`, as close to the days. Announces nothing; thread-safe.
[[nodiscard]] MonthlyFigures closedFormFigures(const ScenarioValues& values);

/// The last of `closedFormFigures(values).active` without keeping the others;
/// nothing when the projection has no month. Thread-safe.
[[nodiscard]] std::optional<double> closedFormLastActive(const ScenarioValues& values);

}  // namespace velmora
