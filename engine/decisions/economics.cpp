#include "engine/decisions/economics.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/projection/plan_months.h"
#include "engine/table/table_figures.h"

namespace velmora {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

/// Payments counted one by one, exactly as the lifetime value sums them; past
/// these a trial is a thousand years old, and the geometric tail takes over.
constexpr std::int64_t countedPayments = 12'000;
constexpr std::int64_t longestPayback = std::numeric_limits<std::int64_t>::max();

double perPayment(const ScenarioValues& values) {
    return values.price * proceedsShare * values.trialRetention;
}

/// The expected payments of a converted trial up to the one after its last
/// listed renewal, L(n) with n = 7 plus the later rates, and the share still
/// paying after that renewal, rt1 x ... x rt6 x the later rates.
struct FirstPayments {
    double sum = 0;
    double alive = 1;
    std::int64_t count = 0;  ///< n
};

FirstPayments firstPayments(const ScenarioValues& values) {
    const auto rates = values.retentionRates();
    FirstPayments first;
    for (std::size_t renewal = 0; renewal + 1 < rates.size(); ++renewal) {
        first.sum += first.alive;
        first.alive *= rates[renewal];
    }
    first.sum += first.alive;
    for (const double rate : values.laterRates) {
        first.alive *= rate;
        first.sum += first.alive;
    }
    first.count = static_cast<std::int64_t>(values.listedRenewals()) + 1;
    return first;
}

/// L(n + j): the first n payments and j more, each after a renewal at rtPlus.
double paymentsAfter(const FirstPayments& first, double later, double j) {
    const double tail = later == 1 ? j : later * (1 - std::pow(later, j)) / (1 - later);
    return first.sum + first.alive * tail;
}

/// The payback beyond the payments counted one by one, where the payments
/// follow their closed form; nothing when even 2^63 - 1 payments fall short.
std::optional<std::int64_t> distantPayback(const ScenarioValues& values, double cost) {
    const FirstPayments first = firstPayments(values);
    const double each = perPayment(values);
    const auto reaches = [&](std::int64_t k) {
        return each * paymentsAfter(first, values.rtPlus, static_cast<double>(k - first.count)) >=
               cost;
    };
    std::int64_t low = countedPayments;  // falls short
    std::int64_t high = 2 * countedPayments;
    while (!reaches(high)) {
        if (high == longestPayback) {
            return std::nullopt;
        }
        low = high;
        high = high > longestPayback / 2 ? longestPayback : 2 * high;
    }
    while (high - low > 1) {
        const std::int64_t middle = low + (high - low) / 2;
        (reaches(middle) ? high : low) = middle;
    }
    return high;
}

/// The payback past 2^63 - 1 payments, which a lifetime reaching `cost` only
/// passes with rtPlus at 1 or more: the j with L(7 + j) = cost solved in doubles.
double paybackPastCounting(const ScenarioValues& values, double cost) {
    const FirstPayments first = firstPayments(values);
    const double later = values.rtPlus;
    const double tail = (cost / perPayment(values) - first.sum) / first.alive;
    const double j = later == 1 ? tail : std::log1p(tail * (later - 1) / later) / std::log(later);
    const double k = static_cast<double>(first.count) + std::ceil(j);
    const auto counted = static_cast<double>(longestPayback);
    return k > counted ? k : counted;  // at least what the count failed to reach
}

/// Whether a trial started in M0 pays different prices over its life: a plan
/// changes the price for everyone.
bool pricesChangeForTrial(const ScenarioValues& values) {
    return values.plan && values.plan->priceChangesApply == PriceChangesApply::Everyone &&
           values.plan->hasChanges(PlanInput::Price);
}

/// A trial whose price changes, over the payments counted one by one: past
/// them every change is past (`Plan::lastMonth`), so from then on it pays like a
/// trial of the last price, `settled`, whose expected payments are worth
/// `offset` less than this trial's.
struct ChangingPrices {
    std::optional<std::int64_t> payback;  ///< within the counted payments
    ScenarioValues settled;
    double offset = 0;
};

ChangingPrices changingPrices(const ScenarioValues& values) {
    ChangingPrices result;
    result.settled = values;
    result.settled.plan.reset();
    result.settled.price = priceIn(values, countedPayments);
    const double settledEach = perPayment(result.settled);
    const double cost = values.costPerTrial;
    const std::vector<double> rates = values.renewalRates(values.listedRenewals() + 1);
    const auto lastRate = static_cast<std::int64_t>(rates.size());
    double value = 0;
    double payments = 0;
    double paying = 1;
    for (std::int64_t k = 1; k <= countedPayments; ++k) {
        payments += paying;
        value += priceIn(values, k - 1) * proceedsShare * values.trialRetention * paying;
        if (!result.payback && cost > 0 && value >= cost) {
            result.payback = k;
        }
        paying *= rates[static_cast<std::size_t>(std::min(k, lastRate) - 1)];
    }
    result.offset = value - settledEach * payments;
    return result;
}

Payback plannedPayback(const ScenarioValues& values) {
    const ChangingPrices changing = changingPrices(values);
    if (changing.payback) {
        return {changing.payback, 0};
    }
    const double cost = values.costPerTrial - changing.offset;
    const double whole = changing.offset + wholeLifetimeValue(changing.settled);
    if (!(whole >= values.costPerTrial)) {
        return {std::nullopt, values.costPerTrial - whole};
    }
    Payback payback{distantPayback(changing.settled, cost), 0};
    if (!payback.months) {
        payback.distantMonths = paybackPastCounting(changing.settled, cost);
    }
    return payback;
}

}  // namespace

double Payback::count() const {
    return months ? static_cast<double>(*months) : distantMonths > 0 ? distantMonths : infinity;
}

bool hasCost(const ScenarioValues& values) {
    return values.costPerTrial > 0;
}

Payback paybackOfTrial(const ScenarioValues& values) {
    const double cost = values.costPerTrial;
    if (!(cost > 0)) {
        return {0, 0};
    }
    if (pricesChangeForTrial(values)) {
        return plannedPayback(values);
    }
    const double each = perPayment(values);
    const std::vector<double> rates = values.renewalRates(values.listedRenewals() + 1);
    const auto lastRate = static_cast<std::int64_t>(rates.size());
    double payments = 0;
    double alive = 1;
    for (std::int64_t k = 1; k <= countedPayments; ++k) {
        payments += alive;
        if (each * payments >= cost) {
            return {k, 0};
        }
        alive *= rates[static_cast<std::size_t>(std::min(k, lastRate) - 1)];
    }
    const double whole = wholeLifetimeValue(values);
    if (!(whole >= cost)) {
        return {std::nullopt, cost - whole};
    }
    Payback payback{distantPayback(values, cost), 0};
    if (!payback.months) {
        payback.distantMonths = paybackPastCounting(values, cost);
    }
    return payback;
}

double wholeLifetimeValue(const ScenarioValues& values) {
    if (pricesChangeForTrial(values)) {
        const ChangingPrices changing = changingPrices(values);
        return changing.offset + wholeLifetimeValue(changing.settled);
    }
    const double each = perPayment(values);
    if (each == 0) {
        return 0;
    }
    const FirstPayments first = firstPayments(values);
    const double later = values.rtPlus;
    double tail = 0;
    if (first.alive != 0) {
        if (later > -1 && later < 1) {
            tail = first.alive * later / (1 - later);
        } else if (later >= 1) {
            tail = first.alive > 0 ? infinity : -infinity;
        } else {
            tail = std::numeric_limits<double>::quiet_NaN();  // swings ever wider
        }
    }
    return each * (first.sum + tail);
}

double lifetimeValueToCost(const ScenarioValues& values) {
    return shownLifetimeValue(values, values.price) / values.costPerTrial;
}

double monthlySpend(const ScenarioValues& values) {
    return trialsPerDay(values, 0) * static_cast<double>(values.monthDuration) * costIn(values, 0);
}

CashWalk::CashWalk(const ScenarioValues& values)
    : price_(values.price), spend_(monthlySpend(values)), lowest_(infinity) {
    if (values.plan && !values.plan->isEmpty()) {
        plan_.emplace(PlannedCash{values, std::nullopt, 0});
        if (pricesByStart(values) && values.monthDuration >= 1) {
            plan_->byStart.emplace(values, values.monthDuration);
        }
    }
}

std::pair<double, double> CashWalk::add(double active) {
    double net = 0;
    if (plan_) {
        // Each month its own price (or each cohort its start's) and its own spend.
        const ScenarioValues& values = plan_->values;
        proceeds_ = proceeds_ + (plan_->byStart
                                     ? (active * price_ + plan_->byStart->next().startPriceExtra) *
                                           proceedsShare
                                     : monthlyProceeds(active, priceIn(values, months_)));
        spend_ = trialsPerDay(values, months_) * static_cast<double>(values.monthDuration) *
                 costIn(values, months_);
        plan_->spent = plan_->spent + spend_;
        net = proceeds_ - plan_->spent;
    } else {
        proceeds_ = proceeds_ + monthlyProceeds(active, price_);
        net = proceeds_ - static_cast<double>(months_ + 1) * spend_;
    }
    if (!turn_.breakEvenMonth && net >= 0) {
        turn_.breakEvenMonth = months_;
    }
    // The first month with a figure is the lowest so far, even at +infinity
    // (proceeds beyond the largest double), which a comparison would pass over.
    if (turn_.cashNeededMonth ? net < lowest_ : !std::isnan(net)) {
        lowest_ = net;
        turn_.cashNeededMonth = months_;
    }
    ++months_;
    return {proceeds_, net};
}

CashTurn CashWalk::turn() const {
    CashTurn turn = turn_;
    if (turn.cashNeededMonth) {
        turn.cashNeeded = std::max(0.0, -lowest_);
    } else if (months_ > 0) {
        turn.cashNeeded = std::numeric_limits<double>::quiet_NaN();  // no month has a figure
    }
    return turn;
}

CashFlow cashFlow(const ScenarioValues& values, std::span<const double> monthlyActives) {
    CashFlow flow;
    flow.monthlySpend = monthlySpend(values);
    flow.cumulativeProceeds.reserve(monthlyActives.size());
    flow.cumulativeNet.reserve(monthlyActives.size());
    CashWalk walk(values);
    for (const double active : monthlyActives) {
        const auto [proceeds, net] = walk.add(active);
        flow.cumulativeProceeds.push_back(proceeds);
        flow.cumulativeNet.push_back(net);
        flow.spend.push_back(walk.lastSpend());
    }
    flow.turn = walk.turn();
    return flow;
}

CashTurn cashTurn(const ScenarioValues& values, std::span<const double> monthlyActives) {
    CashWalk walk(values);
    for (const double active : monthlyActives) {
        walk.add(active);
    }
    return walk.turn();
}

Economics economics(const ScenarioValues& values, std::span<const double> monthlyActives) {
    return {hasCost(values), paybackOfTrial(values), lifetimeValueToCost(values),
            cashFlow(values, monthlyActives)};
}

}  // namespace velmora
