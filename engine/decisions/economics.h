#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "engine/projection/plan_months.h"
#include "engine/projection/scenario.h"

namespace velmora {

/// Whether the scenario says what a trial costs: a cost of 0 means "not given".
[[nodiscard]] bool hasCost(const ScenarioValues& values);

/// How soon one trial earns back what it cost to win. With
/// c = price x 0.85 x trialRetention and L(k) = 1 + rt1 + rt1 rt2 + ... (the
/// expected payments of a converted trial up to its k-th, the later rates from
/// the eighth on, then rtPlus), it pays back after the smallest k with
/// c x L(k) >= costPerTrial.
struct Payback {
    /// That k; 0 when nothing is to be paid back (a cost of 0 or less); nothing
    /// when even the whole expected lifetime falls short, or when k lies past
    /// the 2^63 - 1 a count holds (`distantMonths`).
    std::optional<std::int64_t> months;
    /// When it never pays back: the cost less what a trial brings in over its
    /// whole expected lifetime.
    double shortfall = 0;
    /// k when it lies past 2^63 - 1, as a double: a lifetime without end (rtPlus
    /// 1) pays back any cost, however late. 0 otherwise.
    double distantMonths = 0;

    /// k as a number: `months` or `distantMonths`; +infinity when it never pays back.
    [[nodiscard]] double count() const;
};

/// The payback of one trial of `values`. Thread-safe; at most a few thousand
/// multiplications whatever the rates.
[[nodiscard]] Payback paybackOfTrial(const ScenarioValues& values);

/// What a trial brings in over its whole expected lifetime: c x L(infinity);
/// infinite when rtPlus is 1 or more and converted trials reach it.
[[nodiscard]] double wholeLifetimeValue(const ScenarioValues& values);

/// The 24-month lifetime value of one trial over its cost: +infinity for a
/// cost of 0 (divided as IEEE numbers are).
[[nodiscard]] double lifetimeValueToCost(const ScenarioValues& values);

/// The acquisition spend of one month: dailyNewSubs x monthDuration x costPerTrial;
/// under a plan, M0's (its trials per day may follow a season).
[[nodiscard]] double monthlySpend(const ScenarioValues& values);

/// When the plan's money turns, from the first-day counts of its months.
struct CashTurn {
    /// The first month whose cumulative net is 0 or more; nothing when none
    /// of the months projected is.
    std::optional<std::int64_t> breakEvenMonth;
    /// The money consumed before the plan turns: minus the lowest cumulative
    /// net, or 0 when that never falls below 0.
    double cashNeeded = 0;
    /// The month of the lowest cumulative net (the first, if several); nothing
    /// without a month.
    std::optional<std::int64_t> cashNeededMonth;
};

/// The turn of a plan's money walked one month at a time, as `cashTurn` walks
/// it: the same figures, bit for bit, without the months in memory.
class CashWalk {
public:
    explicit CashWalk(const ScenarioValues& values);

    /// Takes the first-day count of the next month; gives the month's
    /// cumulative proceeds and cumulative net.
    std::pair<double, double> add(double active);
    [[nodiscard]] CashTurn turn() const;
    /// The spend of the month added last.
    [[nodiscard]] double lastSpend() const { return spend_; }

private:
    /// A plan's months: their prices, trials and costs, and the spend so far.
    struct PlannedCash {
        ScenarioValues values;
        std::optional<PlanRecurrence> byStart;  ///< when cohorts pay their start's price
        double spent;
    };

    double price_;
    double spend_;
    double proceeds_ = 0;
    double lowest_;
    std::int64_t months_ = 0;
    CashTurn turn_;
    std::optional<PlannedCash> plan_;  ///< none without a plan
};

/// The money of every month of a projection. Month m's proceeds are
/// P(m) = active(m) x price x 0.85, as the table's; cumulative proceeds are
/// P(0) + ... + P(m), and the cumulative net is that less the spend of months
/// 0 to m, (m + 1) x `monthlySpend`. Under a plan, P(m) is by its price rule
/// (`monthlyProceedsOf`) and the spend of month m is the trials started in it x
/// its cost per trial, summed.
struct CashFlow {
    double monthlySpend = 0;    ///< M0's
    std::vector<double> spend;  ///< each month's

    std::vector<double> cumulativeProceeds;  ///< one per month, from M0
    std::vector<double> cumulativeNet;       ///< one per month, from M0
    CashTurn turn;
};

/// The cash flow of `values` over `monthlyActives` (the first-day counts of its
/// projection). Thread-safe.
[[nodiscard]] CashFlow cashFlow(const ScenarioValues& values,
                                std::span<const double> monthlyActives);

/// The turn alone, without keeping the months: what the decision tools measure.
[[nodiscard]] CashTurn cashTurn(const ScenarioValues& values,
                                std::span<const double> monthlyActives);

/// Everything the unit economics of a scenario shows.
struct Economics {
    bool costGiven = false;  ///< whether the figures below mean anything
    Payback payback;
    double lifetimeValueToCost = 0;  ///< meaningful when the cost is given
    CashFlow cash;
};

[[nodiscard]] Economics economics(const ScenarioValues& values,
                                  std::span<const double> monthlyActives);

}  // namespace velmora
