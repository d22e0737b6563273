#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "engine/calibration/cohort_table.h"
#include "engine/calibration/retention_model.h"
#include "engine/projection/scenario.h"

namespace velmora {

/// The furthest renewal `rtPlus` follows the model to: a thousand years of
/// monthly renewals.
inline constexpr std::size_t maxHorizon = 12'000;
/// The nearest renewal `rtPlus` can follow the model to: the first it holds.
inline constexpr std::size_t minHorizon = 7;

/// The renewal a projection of `values` reaches: its whole months to project,
/// 0 when it has none, at most `maxHorizon`. The horizon a calibration for it
/// asks for.
[[nodiscard]] std::size_t projectionHorizon(const ScenarioValues& values);

/// What a calibration is asked for besides the table.
struct CalibrationSettings {
    /// The renewal up to which `rtPlus` follows the model; a projection of N
    /// months asks for N. At least `minHorizon` and at most `maxHorizon` are used.
    std::size_t horizon = 36;
    /// The renewals the backtest hides from the end of the table; none:
    /// `defaultHoldout`, 0: no backtest.
    std::optional<std::size_t> holdout = {};
};

/// The two ways a fit can give the rates after the sixth renewal.
enum class LaterChoice {
    /// A rate for each renewal from the 7th to the horizon (`FittedRates::laterRates`),
    /// then `rtPlus`: retention that keeps improving with age, as the model has it.
    Curve,
    /// One constant `rtPlus` from the 7th renewal on, no later rates.
    Constant,
};

/// The renewal rates of a scenario fitted to a table.
struct FittedRates {
    std::array<double, 6> rates{};   ///< `rt1` to `rt6`
    std::array<bool, 6> observed{};  ///< from the table; else the model's, no cohort reached it
    double rtPlus = 0;
    /// Whether `rt2` to `rt6` and `rtPlus` were fitted. A table whose only
    /// rate is the first renewal's cannot tell the model's alpha and beta
    /// apart (its likelihood depends on alpha / (alpha + beta) alone), so it
    /// cannot tell the later rates either: they are then not a number, and a
    /// scenario keeps its own.
    bool later = true;
    /// The rates of renewals 7, 8, ... in turn before `rtPlus` takes over; none
    /// for one constant later rate.
    std::vector<double> laterRates;

    /// The rate the projection keeps at `renewal` (1, 2, ...).
    [[nodiscard]] double rateAt(std::size_t renewal) const;
    /// The share of a cohort the projection keeps after `renewals` renewals.
    [[nodiscard]] double survival(std::size_t renewals) const;
};

/// The pooled rate of each renewal k = 1 to `renewals` (or the longest row):
/// the subscribers after renewal k over those after renewal k - 1, each
/// summed over exactly the cohorts observed at renewal k, so a larger cohort
/// weighs more and a cohort not yet renewed k times says nothing about it. Not
/// a number where no such cohort had subscribers.
[[nodiscard]] std::vector<double> pooledRates(const CohortTable& table, std::size_t renewals);

/// The subscribers at risk at each renewal k = 1 to `renewals` (or the
/// longest row): those after renewal k - 1, summed over the cohorts observed
/// at renewal k, the denominators of `pooledRates`.
[[nodiscard]] std::vector<double> subscribersAtRisk(const CohortTable& table, std::size_t renewals);

/// The largest standard error, as a share of the rate, of a pooled rate that
/// the curve of later rates takes as it is observed.
inline constexpr double trustedRateError = 0.02;
/// The fewest subscribers at risk whose pooled rate the curve takes as it is.
inline constexpr double trustedAtRisk = 100;

/// Whether a pooled `rate` from `atRisk` subscribers is trusted over the
/// model's: at least `trustedAtRisk` of them, and few enough leaving that its
/// binomial standard error, as a share of the rate, sqrt((1 - r) / (r n)), is
/// at most `trustedRateError`. The model misses real tables by a few percent
/// where it forecasts (Fader and Hardie's published curves by 1.5 and 2.8%
/// over renewals 8 to 12), so an observed rate known to 2% is the better
/// estimate; a rate known less well is noise the projection would carry into
/// every later renewal.
[[nodiscard]] bool trustedRate(double rate, double atRisk);

/// Whether `pooled` holds the rates of two renewals, which the later rates
/// need.
[[nodiscard]] bool tellsLaterRates(std::span<const double> pooled);

/// `rt1` to `rt6` from `pooled` (the model's rate where it has none), and
/// `rtPlus` whose constant decline from the sixth renewal is the least-squares
/// fit, in the logarithm of survival, to the best estimate of a cohort's
/// survival at renewals 7 to `horizon` (at least 7): the pooled survival as
/// long as the table gives it, then the model's decline. Judged in the
/// logarithm, every renewal up to the horizon counts by its relative error,
/// as the backtest counts it. Between 0 and 1; only `rt1` when `pooled` does
/// not `tellsLaterRates`.
[[nodiscard]] FittedRates fitRates(std::span<const double> pooled,
                                   const ShiftedBetaGeometric& model, std::size_t horizon);

/// `constant` (as `fitRates` gives it) with later rates that keep improving
/// with age: for renewals 7 to `horizon` - 1, the pooled rate while every
/// renewal from the 7th up to it is `trustedRate` from `atRisk`, then the
/// model's rate of each renewal with its churn scaled to the table's over the
/// last three trusted renewals (unscaled with fewer), at most
/// `ScenarioValues::maxLaterRates` of them; `rtPlus` is that rate at `horizon`
/// (at least 7). Only `rt1` when `constant` has no `later` rates.
[[nodiscard]] FittedRates fitCurve(const FittedRates& constant, std::span<const double> pooled,
                                   std::span<const double> atRisk,
                                   const ShiftedBetaGeometric& model, std::size_t horizon);

/// The mean absolute percentage error, as a fraction, of `survival` (indexed
/// by renewal, as long as the table's longest row or longer) against every
/// observed cell of renewals `first` to `last`: |S(k) - s| / s, s the cell
/// over its cohort's first payment. Cells of a cohort without subscribers at
/// the first payment, and cells of 0, have no percentage and are left out.
struct SurvivalError {
    double error = 0;       ///< not a number when no cell counts
    std::size_t cells = 0;  ///< the cells it was taken over
};
[[nodiscard]] SurvivalError survivalError(const CohortTable& table,
                                          std::span<const double> survival, std::size_t first,
                                          std::size_t last);

/// The errors of the projections from the fitted rates and of the model.
struct CalibrationErrors {
    SurvivalError projection;  ///< from one constant later rate
    SurvivalError model;
    SurvivalError curve;  ///< from the later rates of the curve

    /// The error of the projection from `choice`'s rates.
    [[nodiscard]] const SurvivalError& of(LaterChoice choice) const {
        return choice == LaterChoice::Curve ? curve : projection;
    }
};

/// A fit on all but the last `holdout` renewals, judged on the cells hidden.
struct Backtest {
    std::size_t holdout = 0;
    std::size_t fittedRenewals = 0;  ///< the renewals the fit saw
    ShiftedBetaGeometric model;
    FittedRates rates;  ///< one constant later rate
    FittedRates curve;  ///< the later rates of the curve
    CalibrationErrors errors;
};

/// The scenario values a table gives, and how well they fit and forecast it.
struct Calibration {
    std::size_t horizon = 0;     ///< the renewal `rtPlus` follows the model to
    std::vector<double> pooled;  ///< `pooledRates` of every renewal observed
    /// Fitted to every cohort, right-censored; alpha and beta not a number
    /// when the rates do not `later`: one renewal cannot tell them apart.
    ShiftedBetaGeometric model;
    FittedRates rates;  ///< one constant later rate, as `fitRates` gives it
    FittedRates curve;  ///< the later rates, as `fitCurve` gives them
    /// The choice whose backtest error is the smaller, the curve when they
    /// are equal or there is no backtest (see `recommendedChoice`).
    LaterChoice recommended = LaterChoice::Curve;
    /// First payments over trials, pooled over the cohorts that give trials.
    std::optional<double> trialRetention;
    /// Trials over days of the `dailyCohorts` most recent cohorts giving both.
    std::optional<double> dailyNewSubs;
    std::size_t dailyCohorts = 0;
    CalibrationErrors fit;  ///< over every observed renewal
    std::optional<Backtest> backtest;

    /// The rates of `choice`.
    [[nodiscard]] const FittedRates& ratesOf(LaterChoice choice) const {
        return choice == LaterChoice::Curve ? curve : rates;
    }

    /// `values` with the fitted values of the `recommended` choice written over them.
    [[nodiscard]] ScenarioValues appliedTo(ScenarioValues values) const {
        return appliedTo(std::move(values), recommended);
    }
    /// `values` with the fitted values of `choice` written over them: `rt2` to
    /// `rt6`, `rtPlus` and the later rates (none for the constant) only when
    /// fitted, else the scenario keeps its own.
    [[nodiscard]] ScenarioValues appliedTo(ScenarioValues values, LaterChoice choice) const;
};

/// The choice a table's backtest favours: the constant only when its error is
/// smaller than the curve's. Without a backtest, or without cells to judge,
/// the curve: on tables the model holds for it is within a hundredth of a
/// percent, where one constant rate misses by 5 to 20%, and the tables a
/// constant suits better (kinds of subscribers that each keep a constant rate)
/// show it in the backtest.
[[nodiscard]] LaterChoice recommendedChoice(const std::optional<Backtest>& backtest);

/// How many of the most recent cohorts the daily trials are taken from: a
/// quarter's worth of monthly cohorts, recent enough to show today's pace and
/// enough to smooth one odd month. The most recent are those with the fewest
/// renewals observed, the later rows first among equals.
inline constexpr std::size_t recentCohorts = 3;

/// The renewals a backtest of `table` hides unless told: a quarter of the
/// longest row, at least one, and none when what is left to fit would not
/// tell the later rates.
[[nodiscard]] std::size_t defaultHoldout(const CohortTable& table);

/// Fits a scenario's values to `table`, which must have no
/// `cohortTableProblem`. Refuses a holdout that leaves no renewal to fit, or
/// too few to tell the later rates, as a sentence to show. Thread-safe; well under a millisecond
/// for 120 cohorts of 60 renewals.
[[nodiscard]] std::variant<Calibration, std::string> calibrate(const CohortTable& table,
                                                               const CalibrationSettings& settings);

/// The survival of `model` at renewals 0 to `last`.
[[nodiscard]] std::vector<double> survivalCurve(const ShiftedBetaGeometric& model,
                                                std::size_t last);
/// The survival of the projection from `rates` (with their later rates) at
/// renewals 0 to `last`.
[[nodiscard]] std::vector<double> survivalCurve(const FittedRates& rates, std::size_t last);

}  // namespace velmora
