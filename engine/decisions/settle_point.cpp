#include "engine/decisions/settle_point.h"

#include <algorithm>
#include <cmath>

#include "engine/table/table_figures.h"

namespace velmora {

namespace {

SettlePoint refused(std::string reason) {
    SettlePoint point;
    point.kind = SettlePoint::Kind::CannotCompute;
    point.reason = std::move(reason);
    return point;
}

bool isShare(double value) {
    return std::isfinite(value) && value >= 0;
}

/// Why the settle point of `values` cannot be computed, or nothing.
std::optional<std::string> problemWith(const ScenarioValues& values) {
    if (values.monthDuration < 1) {
        return "A month must last at least one day.";
    }
    if (!isShare(values.dailyNewSubs)) {
        return "The daily trials must be a number of 0 or more.";
    }
    if (!isShare(values.trialRetention)) {
        return "The trial retention must be a number of 0 or more.";
    }
    for (const double rate : values.retentionRates()) {
        if (!isShare(rate)) {
            return "Every retention rate must be a number of 0 or more.";
        }
    }
    for (const double rate : values.laterRates) {
        if (!isShare(rate)) {
            return "Every later renewal rate must be a number of 0 or more.";
        }
    }
    if (std::isinf(values.startingSubs)) {
        return "The starting subscribers must be a finite number.";
    }
    if (!std::isfinite(values.price)) {
        return "The price must be a finite number.";
    }
    return std::nullopt;
}

/// "sixth" for the six named rates alone, "10th" with four later rates.
std::string pastRenewal(std::size_t renewals) {
    if (renewals == ScenarioValues::rateCount - 1) {
        return "sixth";
    }
    const std::size_t tens = renewals % 100;
    const std::size_t ones = renewals % 10;
    const char* suffix = tens >= 11 && tens <= 13 ? "th"
                         : ones == 1              ? "st"
                         : ones == 2              ? "nd"
                         : ones == 3              ? "rd"
                                                  : "th";
    return std::to_string(renewals) + suffix;
}

SettlePoint growsWithoutBound(std::string reason) {
    SettlePoint point;
    point.kind = SettlePoint::Kind::GrowsWithoutBound;
    point.reason = std::move(reason);
    return point;
}

/// Where a scenario under a plan settles: where the values it keeps once
/// growth has stopped and the last change is past settle, reached from that
/// month on.
SettlePoint plannedSettlePoint(const ScenarioValues& values,
                               std::span<const double> monthlyActives) {
    const Plan& plan = *values.plan;
    if (const auto problem = planProblem(plan)) {
        return refused(*problem);
    }
    if (plan.hasSeasons()) {
        return refused(
            "Seasons move the daily trials up and down every year, so the subscribers rise and "
            "fall with them and never settle at one level.");
    }
    ScenarioValues settled = values;
    settled.plan.reset();
    // The cost of a trial changes no subscriber.
    std::int64_t from = 0;
    for (const PlanChange& change : plan.changes) {
        if (change.input != PlanInput::CostPerTrial) {
            from = std::max(from, change.month);
        }
    }
    const bool grows = plan.hasGrowth();
    if (grows && plan.growthUntil) {
        from = std::max(from, *plan.growthUntil);
    }
    const bool endless = grows && !plan.growthUntil;
    if (endless && *plan.growthPercent > 0) {
        return growsWithoutBound(
            "The daily trials grow every month without end, so the subscribers grow without "
            "bound.");
    }
    // Growth that never stops but shrinks leaves no trials in the end.
    settled.dailyNewSubs = endless ? 0 : trialsPerDay(values, from);
    settled.trialRetention = conversionIn(values, from);
    settled.price = priceIn(values, from);
    const bool earlierCohorts = settled.dailyNewSubs * settled.trialRetention == 0 &&
                                values.dailyNewSubs * values.trialRetention > 0;
    if (earlierCohorts && values.rtPlus >= 1) {
        return refused(
            "The trials stop while the subscribers won before keep a share of 1 or more at every "
            "later renewal, so where they end depends on every month before.");
    }
    SettlePoint point = settlePoint(settled, {});
    if (point.kind == SettlePoint::Kind::Settles && point.subscribers > 0) {
        const double band = 0.1 * point.subscribers;
        for (auto month = static_cast<std::size_t>(from); month < monthlyActives.size(); ++month) {
            if (std::abs(monthlyActives[month] - point.subscribers) <= band) {
                point.month90 = static_cast<std::int64_t>(month);
                break;
            }
        }
    }
    return point;
}

}  // namespace

SettlePoint settlePoint(const ScenarioValues& values, std::span<const double> monthlyActives) {
    if (const auto problem = problemWith(values)) {
        return refused(*problem);
    }
    if (plansProjection(values)) {
        return plannedSettlePoint(values, monthlyActives);
    }
    const double conversions = values.dailyNewSubs * values.trialRetention;
    const auto rates = values.retentionRates();
    const double later = values.rtPlus;
    // The paid months of a converted trial: one before each of the first six
    // renewals, weighted by the share still there, then the later ones.
    double paidMonths = 0;
    double alive = 1;
    for (std::size_t renewal = 0; renewal + 1 < rates.size(); ++renewal) {
        paidMonths += alive;
        alive *= rates[renewal];
    }
    paidMonths += alive;
    // The later rates are finitely many: only the renewals past the last of
    // them, all at rtPlus, decide whether the subscribers settle.
    for (const double rate : values.laterRates) {
        alive *= rate;
        paidMonths += alive;
    }
    const bool reachLaterRenewals = conversions > 0 && alive > 0;
    const bool seeded = values.startingSubs > 0;  // as the projection seeds them
    if (later >= 1 && (reachLaterRenewals || (seeded && later > 1))) {
        SettlePoint point;
        point.kind = SettlePoint::Kind::GrowsWithoutBound;
        point.reason = "Subscribers past their " + pastRenewal(values.listedRenewals()) +
                       " renewal keep a share of 1 or more at every later renewal, so the "
                       "subscribers grow without bound.";
        return point;
    }
    if (later < 1) {
        paidMonths += alive * later / (1 - later);
    }
    double subscribers =
        conversions > 0 ? conversions * static_cast<double>(values.monthDuration) * paidMonths : 0;
    if (later == 1 && seeded) {
        subscribers += values.startingSubs;  // they renew at 1 and stay for ever
    }
    const double proceeds = monthlyProceeds(subscribers, values.price);
    if (!std::isfinite(subscribers) || !std::isfinite(proceeds)) {
        return refused("The figures are too large to compute.");
    }

    SettlePoint point;
    point.kind = SettlePoint::Kind::Settles;
    point.subscribers = subscribers;
    point.monthlyProceeds = proceeds;
    if (subscribers > 0) {
        const double band = 0.1 * subscribers;
        for (std::size_t month = 0; month < monthlyActives.size(); ++month) {
            if (std::abs(monthlyActives[month] - subscribers) <= band) {
                point.month90 = static_cast<std::int64_t>(month);
                break;
            }
        }
    }
    return point;
}

}  // namespace velmora
