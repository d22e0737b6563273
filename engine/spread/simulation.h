#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "engine/spread/percentiles.h"
#include "engine/spread/ranges.h"

namespace velmora {

/// A figure about a whole projection whose spread a simulation gives.
enum class SpreadFigure {
    Subscribers,      ///< active subscribers in the last month
    MonthlyProceeds,  ///< proceeds of the last month
    AnnualProceeds,   ///< the last month's proceeds as a yearly amount
    LifetimeValue,    ///< the 24-month lifetime value of one trial
    /// The subscribers the scenario settles at (`settlePoint`): +infinity for
    /// a draw that grows without bound, not-a-number for one it cannot compute.
    SettleSubscribers,
    /// The first month whose cumulative net is 0 or more (`CashTurn`):
    /// +infinity for a draw that does not break even within the months.
    /// Given only when the scenario has a cost per trial.
    BreakEvenMonth,
    /// The money consumed before the plan turns (`CashTurn`). Given only when
    /// the scenario has a cost per trial.
    CashNeeded,
};

inline constexpr std::array<SpreadFigure, 7> allSpreadFigures = {
    SpreadFigure::Subscribers,   SpreadFigure::MonthlyProceeds,   SpreadFigure::AnnualProceeds,
    SpreadFigure::LifetimeValue, SpreadFigure::SettleSubscribers, SpreadFigure::BreakEvenMonth,
    SpreadFigure::CashNeeded};

/// "subscribers", "monthlyProceeds", "annualProceeds", "lifetimeValue",
/// "settleSubscribers", "breakEvenMonth", "cashNeeded".
[[nodiscard]] std::string_view spreadFigureName(SpreadFigure figure);

inline constexpr std::int64_t defaultDraws = 2000;
inline constexpr std::int64_t maximumDraws = 100000;

struct SpreadSettings {
    std::int64_t draws = defaultDraws;  ///< from 1 to `maximumDraws`
    std::uint64_t seed = 1;
    /// Threads to share the months among; 0 for one per processor. The figures
    /// are the same, bit for bit, whatever the number.
    unsigned threads = 0;
};

/// The spread of one month's figures over the draws.
struct MonthSpread {
    Percentiles active;           ///< subscribers on the month's first day
    Percentiles monthlyProceeds;  ///< proceeds of the month

    friend bool operator==(const MonthSpread&, const MonthSpread&) = default;
};

/// The spread of the outcomes of a scenario whose inputs lie in ranges.
struct Spread {
    std::int64_t draws = 0;
    std::uint64_t seed = 0;
    /// One per month of the projection, as many as it has.
    std::vector<MonthSpread> months;
    /// By `SpreadFigure`; the last month's figures and the cash turn's are
    /// missing when the projection has no month, the cash turn's too when the
    /// scenario has no cost per trial.
    std::array<std::optional<Percentiles>, allSpreadFigures.size()> figures;

    [[nodiscard]] const std::optional<Percentiles>& figure(SpreadFigure which) const {
        return figures[static_cast<std::size_t>(which)];
    }

    friend bool operator==(const Spread&, const Spread&) = default;
};

/// Why no spread can be simulated for these arguments, as a sentence, or
/// nothing: a number of draws out of range, or a problem of the ranges
/// (`rangeProblem`).
[[nodiscard]] std::optional<std::string> spreadProblem(const ScenarioValues& values,
                                                       std::span<const Range> ranges,
                                                       const SpreadSettings& settings);

/// Projects `settings.draws` scenarios drawn around `values` from `ranges`
/// (`drawScenarios`) in closed form (`MonthlyRecurrence`) and gives the 10th,
/// 50th and 90th percentiles (`PercentileBounds`) of every month's figures and
/// of every `SpreadFigure`. The same arguments give the same bits on every
/// machine and with any number of threads. Nothing when stopped through
/// `stop`. Throws std::invalid_argument with the sentence of `spreadProblem`
/// when it finds one. Thread-safe.
[[nodiscard]] std::optional<Spread> simulateSpread(const ScenarioValues& values,
                                                   std::span<const Range> ranges,
                                                   const SpreadSettings& settings = {},
                                                   std::stop_token stop = {});

}  // namespace velmora
