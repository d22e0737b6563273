#include "engine/calibration/calibration.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <utility>

namespace velmora {

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t fittedRenewals = 6;

// The pooled survival after each renewal up to the first without a pooled rate.
std::vector<double> pooledSurvival(std::span<const double> pooled, std::size_t last) {
    std::vector<double> survival{1.0};
    for (std::size_t k = 1; k <= std::min(last, pooled.size()) && std::isfinite(pooled[k - 1]);
         ++k) {
        survival.push_back(survival.back() * pooled[k - 1]);
    }
    return survival;
}

std::optional<double> trialRetention(const CohortTable& table) {
    double paying = 0;
    double trials = 0;
    for (const CohortRow& row : table.cohorts) {
        if (row.trials && !row.counts.empty()) {
            paying += row.counts[0];
            trials += *row.trials;
        }
    }
    return trials > 0 ? std::optional(paying / trials) : std::nullopt;
}

std::optional<double> dailyNewSubs(const CohortTable& table, std::size_t& cohorts) {
    std::vector<std::size_t> giving;
    for (std::size_t i = table.cohorts.size(); i-- > 0;) {
        if (table.cohorts[i].trials && table.cohorts[i].days) {
            giving.push_back(i);
        }
    }
    std::stable_sort(giving.begin(), giving.end(), [&](std::size_t a, std::size_t b) {
        return table.cohorts[a].renewals() < table.cohorts[b].renewals();
    });
    giving.resize(std::min(giving.size(), recentCohorts));
    cohorts = giving.size();
    double trials = 0;
    double days = 0;
    for (const std::size_t i : giving) {
        trials += *table.cohorts[i].trials;
        days += *table.cohorts[i].days;
    }
    return days > 0 ? std::optional(trials / days) : std::nullopt;
}

CalibrationErrors errors(const CohortTable& table, const ShiftedBetaGeometric& model,
                         const FittedRates& rates, const FittedRates& curve, std::size_t first,
                         std::size_t last) {
    return {survivalError(table, survivalCurve(rates, last), first, last),
            survivalError(table, survivalCurve(model, last), first, last),
            survivalError(table, survivalCurve(curve, last), first, last)};
}

// The subscribers after renewal k and after renewal k - 1, for k = 1 to `last`,
// summed over the cohorts observed at renewal k.
std::pair<std::vector<double>, std::vector<double>> pooledCounts(const CohortTable& table,
                                                                 std::size_t last) {
    std::vector<double> after(last + 1, 0.0);
    std::vector<double> before(last + 1, 0.0);
    for (const CohortRow& row : table.cohorts) {
        for (std::size_t k = 1; k <= std::min(row.renewals(), last); ++k) {
            after[k] += row.counts[k];
            before[k] += row.counts[k - 1];
        }
    }
    return {std::move(after), std::move(before)};
}

}  // namespace

std::size_t projectionHorizon(const ScenarioValues& values) {
    const double months = values.monthsToProject;
    return months >= 1 ? static_cast<std::size_t>(
                             std::min(std::floor(months), static_cast<double>(maxHorizon)))
                       : 0;
}

double FittedRates::rateAt(std::size_t renewal) const {
    if (renewal <= fittedRenewals) {
        return rates[renewal - 1];
    }
    return renewal - fittedRenewals <= laterRates.size() ? laterRates[renewal - fittedRenewals - 1]
                                                         : rtPlus;
}

double FittedRates::survival(std::size_t renewals) const {
    double s = 1;
    for (std::size_t k = 1; k <= renewals; ++k) {
        s *= rateAt(k);
    }
    return s;
}

std::vector<double> pooledRates(const CohortTable& table, std::size_t renewals) {
    const std::size_t last = std::min(renewals, table.longestRow());
    const auto [after, before] = pooledCounts(table, last);
    std::vector<double> rates(last);
    for (std::size_t k = 1; k <= last; ++k) {
        rates[k - 1] = before[k] > 0 ? after[k] / before[k] : notANumber;
    }
    return rates;
}

std::vector<double> subscribersAtRisk(const CohortTable& table, std::size_t renewals) {
    auto before = pooledCounts(table, std::min(renewals, table.longestRow())).second;
    before.erase(before.begin());
    return before;
}

bool trustedRate(double rate, double atRisk) {
    // (1 - r) / (r n) <= e^2, multiplied out so that a rate of 0 is never trusted.
    return atRisk >= trustedAtRisk && rate > 0 && rate <= 1 &&
           1 - rate <= rate * atRisk * trustedRateError * trustedRateError;
}

bool tellsLaterRates(std::span<const double> pooled) {
    return pooled.size() > 1 && std::isfinite(pooled[1]);
}

FittedRates fitRates(std::span<const double> pooled, const ShiftedBetaGeometric& model,
                     std::size_t horizon) {
    FittedRates fitted;
    if (!tellsLaterRates(pooled)) {
        fitted.rates.fill(notANumber);
        fitted.rates[0] = pooled.empty() ? notANumber : pooled[0];
        fitted.observed[0] = std::isfinite(fitted.rates[0]);
        fitted.rtPlus = notANumber;
        fitted.later = false;
        return fitted;
    }
    for (std::size_t k = 1; k <= fittedRenewals; ++k) {
        fitted.observed[k - 1] = k <= pooled.size() && std::isfinite(pooled[k - 1]);
        fitted.rates[k - 1] = fitted.observed[k - 1] ? pooled[k - 1] : model.retention(k);
    }
    const std::size_t to = std::max(horizon, fittedRenewals + 1);
    const double atSix = fitted.survival(fittedRenewals);
    // The best estimate of each renewal's survival: pooled as long as the
    // table tells it, the model's decline from there.
    const std::vector<double> observed = pooledSurvival(pooled, to);
    const std::size_t known = observed.size() - 1;
    const std::size_t from = std::max(known, fittedRenewals);
    const double start = known > fittedRenewals ? observed.back() : atSix;
    const std::vector<double> modelled = survivalCurve(model, to);
    // Least squares of the logarithms: ln S(6) + j ln rtPlus against the
    // estimate's ln at renewal 6 + j, for j = 1 to to - 6.
    double weighted = 0;
    double squares = 0;
    for (std::size_t k = fittedRenewals + 1; k <= to; ++k) {
        const double estimate = k <= known ? observed[k] : start * modelled[k] / modelled[from];
        const auto j = static_cast<double>(k - fittedRenewals);
        weighted += j * std::log(estimate / atSix);
        squares += j * j;
    }
    double rtPlus = std::exp(weighted / squares);
    if (!(atSix > 0) || std::isnan(rtPlus)) {
        rtPlus = std::pow(modelled[to] / modelled[fittedRenewals],
                          1 / static_cast<double>(to - fittedRenewals));
    }
    fitted.rtPlus = std::isnan(rtPlus) ? 1.0 : std::clamp(rtPlus, 0.0, 1.0);
    return fitted;
}

namespace {

// How many times the model's churn the table's is over the last three trusted
// later renewals, weighted by the subscribers at risk as the leavers are
// counted; 1 with fewer than three, whose level is too near the noise (one
// renewal of the published tables would pull the whole forecast off).
double churnScale(std::span<const double> pooled, std::span<const double> atRisk,
                  const ShiftedBetaGeometric& model, std::size_t lastTrusted) {
    if (lastTrusted < fittedRenewals + 3) {
        return 1;
    }
    double left = 0;
    double expected = 0;
    for (std::size_t k = lastTrusted - 2; k <= lastTrusted; ++k) {
        left += atRisk[k - 1] * (1 - pooled[k - 1]);
        expected += atRisk[k - 1] * (1 - model.retention(k));
    }
    return expected > 0 ? left / expected : 1;
}

}  // namespace

FittedRates fitCurve(const FittedRates& constant, std::span<const double> pooled,
                     std::span<const double> atRisk, const ShiftedBetaGeometric& model,
                     std::size_t horizon) {
    FittedRates curve = constant;
    if (!constant.later) {
        return curve;
    }
    const std::size_t to = std::max(horizon, fittedRenewals + 1);
    const std::size_t listed = std::min(to - 1 - fittedRenewals, ScenarioValues::maxLaterRates);
    std::size_t lastTrusted = fittedRenewals;
    while (lastTrusted < std::min({fittedRenewals + listed, pooled.size(), atRisk.size()}) &&
           trustedRate(pooled[lastTrusted], atRisk[lastTrusted])) {
        ++lastTrusted;
    }
    // Where the table stops being trusted the model takes over with its shape
    // but the table's level: a mix of kinds of subscribers declines like the
    // model yet not as steeply, and the curve must not jump where they meet.
    const double scale = churnScale(pooled, atRisk, model, lastTrusted);
    const auto rate = [&](std::size_t k) {
        return std::clamp(1 - scale * (1 - model.retention(k)), 0.0, 1.0);
    };
    for (std::size_t k = fittedRenewals + 1; k <= fittedRenewals + listed; ++k) {
        curve.laterRates.push_back(k <= lastTrusted ? pooled[k - 1] : rate(k));
    }
    curve.rtPlus = rate(to);
    return curve;
}

SurvivalError survivalError(const CohortTable& table, std::span<const double> survival,
                            std::size_t first, std::size_t last) {
    double sum = 0;
    std::size_t cells = 0;
    for (const CohortRow& row : table.cohorts) {
        if (row.counts.empty() || !(row.counts[0] > 0)) {
            continue;
        }
        for (std::size_t k = first; k <= std::min(last, row.renewals()); ++k) {
            if (row.counts[k] > 0) {
                const double observed = row.counts[k] / row.counts[0];
                sum += std::abs(survival[k] - observed) / observed;
                ++cells;
            }
        }
    }
    return {cells > 0 ? sum / static_cast<double>(cells) : notANumber, cells};
}

std::vector<double> survivalCurve(const ShiftedBetaGeometric& model, std::size_t last) {
    std::vector<double> survival{1.0};
    for (std::size_t t = 1; t <= last; ++t) {
        survival.push_back(survival.back() * model.retention(t));
    }
    return survival;
}

std::vector<double> survivalCurve(const FittedRates& rates, std::size_t last) {
    std::vector<double> survival{1.0};
    for (std::size_t k = 1; k <= last; ++k) {
        survival.push_back(survival.back() * rates.rateAt(k));
    }
    return survival;
}

ScenarioValues Calibration::appliedTo(ScenarioValues values, LaterChoice choice) const {
    const FittedRates& chosen = ratesOf(choice);
    double* const fields[] = {&values.rt1, &values.rt2, &values.rt3,
                              &values.rt4, &values.rt5, &values.rt6};
    for (std::size_t k = 0; k < (chosen.later ? fittedRenewals : 1); ++k) {
        *fields[k] = chosen.rates[k];
    }
    if (chosen.later) {
        values.rtPlus = chosen.rtPlus;
        values.laterRates = chosen.laterRates;
    }
    values.trialRetention = trialRetention.value_or(values.trialRetention);
    values.dailyNewSubs = dailyNewSubs.value_or(values.dailyNewSubs);
    return values;
}

LaterChoice recommendedChoice(const std::optional<Backtest>& backtest) {
    if (!backtest) {
        return LaterChoice::Curve;
    }
    const double constant = backtest->errors.projection.error;
    const double curve = backtest->errors.curve.error;
    return std::isfinite(constant) && std::isfinite(curve) && constant < curve
               ? LaterChoice::Constant
               : LaterChoice::Curve;
}

std::size_t defaultHoldout(const CohortTable& table) {
    const std::size_t longest = table.longestRow();
    const std::size_t holdout = longest > 1 ? std::max<std::size_t>(longest / 4, 1) : 0;
    return holdout > 0 && tellsLaterRates(pooledRates(table, longest - holdout)) ? holdout : 0;
}

std::variant<Calibration, std::string> calibrate(const CohortTable& table,
                                                 const CalibrationSettings& settings) {
    const std::size_t longest = table.longestRow();
    const std::size_t holdout = settings.holdout.value_or(defaultHoldout(table));
    const auto renewals = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " renewal" : " renewals");
    };
    if (holdout > 0 && holdout >= longest) {
        return "a holdout of " + renewals(holdout) + " leaves none to fit: the longest row has " +
               renewals(longest);
    }
    std::vector<double> backtestPooled;
    if (holdout > 0) {
        backtestPooled = pooledRates(table, longest - holdout);
        if (!tellsLaterRates(backtestPooled)) {
            return "a holdout of " + renewals(holdout) +
                   " leaves the fit one renewal's rate, and the later rates cannot be fitted "
                   "from one renewal";
        }
    }
    Calibration result;
    result.horizon = std::clamp(settings.horizon, minHorizon, maxHorizon);
    result.pooled = pooledRates(table, longest);
    result.model = tellsLaterRates(result.pooled)
                       ? fitShiftedBetaGeometric(retentionCounts(table, longest))
                       : ShiftedBetaGeometric{notANumber, notANumber};
    result.rates = fitRates(result.pooled, result.model, result.horizon);
    result.curve = fitCurve(result.rates, result.pooled, subscribersAtRisk(table, longest),
                            result.model, result.horizon);
    result.trialRetention = velmora::trialRetention(table);
    result.dailyNewSubs = velmora::dailyNewSubs(table, result.dailyCohorts);
    result.fit = errors(table, result.model, result.rates, result.curve, 1, longest);
    if (holdout > 0) {
        Backtest& backtest = result.backtest.emplace();
        backtest.holdout = holdout;
        backtest.fittedRenewals = longest - holdout;
        backtest.model = fitShiftedBetaGeometric(retentionCounts(table, backtest.fittedRenewals));
        backtest.rates = fitRates(backtestPooled, backtest.model, result.horizon);
        backtest.curve = fitCurve(backtest.rates, backtestPooled,
                                  subscribersAtRisk(table, backtest.fittedRenewals), backtest.model,
                                  result.horizon);
        backtest.errors = errors(table, backtest.model, backtest.rates, backtest.curve,
                                 backtest.fittedRenewals + 1, longest);
    }
    result.recommended = recommendedChoice(result.backtest);
    return result;
}

}  // namespace velmora
