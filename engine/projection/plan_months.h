#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/projection/scenario.h"

namespace velmora {

/// The first days of the months of one scenario under its plan, a month at a
/// time in closed form.
///
/// A cohort born in month b holds n(b) = trials per day x trial retention of
/// month b, and after k renewals n(b) x S(k), S(k) the product of the first k
/// renewal rates. On the first day of month m the cohorts born in month b < m
/// hold G(b, m) = n(b) x (S(m - b) + (monthDuration - 1) x S(m - b - 1)): the
/// one born on a first day has renewed once more. From age 7 (plus the later
/// rates) on every renewal is at rtPlus, so the months of that age are summed
/// once and carried on by rtPlus; the younger ones are added each month. The
/// starting subscribers are as in `MonthlyRecurrence`. A few dozen operations
/// a month, and one more for each later rate.
class PlanRecurrence {
public:
    /// `values` with a month length of `monthDuration` days, at least 1.
    PlanRecurrence(const ScenarioValues& values, std::int64_t monthDuration);

    struct Month {
        double active;  ///< the subscribers on the first day
        /// Sum over the cohorts of their count times how much more than M0's
        /// price the month they started in charges: what cohorts paying their
        /// start's price add to the proceeds of M0's price (before the share).
        double startPriceExtra;
        double proceeds;  ///< of the month, by the plan's price rule
    };
    /// The current month; then moves on to the next.
    Month next();

private:
    ScenarioValues values_;
    double monthDuration_;
    double price0_;
    double later_;
    bool byStart_;
    std::int64_t month_ = 0;
    /// The age from which every renewal is at rtPlus: 7 plus the later rates.
    std::size_t young_;
    /// S(a) + (monthDuration - 1) x S(a - 1) for ages a = 1 to `young_`.
    std::vector<double> weight_;
    std::vector<double> born_;   ///< n(b) of every month so far
    std::vector<double> extra_;  ///< price(b) - price(0) of every month so far
    double old_ = 0;             ///< G(b, m) summed over the months of age 7 or more
    double oldExtra_ = 0;        ///< the same, each times its extra price
    double seeded_ = 0;
    double seededRate_ = 1;
};

/// The proceeds of each month whose first-day subscribers are `actives`, under
/// the plan of `values`: active x the month's price x 0.85 when price changes
/// reach everyone (bit for bit today's figures without a plan); when they reach
/// new subscribers only, each cohort pays the price of the month it started in
/// (the starting subscribers M0's): active x M0's price plus what the cohorts
/// started at other prices add (`PlanRecurrence`), x 0.85.
[[nodiscard]] std::vector<double> monthlyProceedsOf(const ScenarioValues& values,
                                                    std::span<const double> actives);

/// Whether the proceeds of `values` depend on more than each month's subscribers and price.
[[nodiscard]] bool pricesByStart(const ScenarioValues& values);

}  // namespace velmora
