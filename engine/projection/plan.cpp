#include "engine/projection/plan.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/projection/scenario.h"

namespace velmora {

bool Plan::hasGrowth() const {
    return growthPercent && *growthPercent != 0;
}

bool Plan::hasSeasons() const {
    return seasonality && std::any_of(seasonality->begin(), seasonality->end(),
                                      [](double factor) { return factor != 1; });
}

namespace {

void appendExact(std::string& out, double value) {
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

std::string monthText(std::int64_t month) {
    return "M" + std::to_string(month);
}

}  // namespace

CalendarMonth calendarMonthAfter(CalendarMonth start, std::int64_t months) {
    const std::int64_t index = start.year * std::int64_t{12} + (start.month - 1) + months;
    return {static_cast<int>(index / 12), static_cast<int>(index % 12) + 1};
}

std::string calendarMonthName(CalendarMonth start, std::int64_t months) {
    const CalendarMonth month = calendarMonthAfter(start, months);
    static constexpr std::array<const char*, 12> names{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const auto at = static_cast<std::size_t>(std::clamp(month.month, 1, 12) - 1);
    return std::string(names[at]) + " " + std::to_string(month.year);
}

const char* planInputName(PlanInput input) {
    switch (input) {
        case PlanInput::DailyNewSubs:
            return "dailyNewSubs";
        case PlanInput::Price:
            return "price";
        case PlanInput::TrialRetention:
            return "trialRetention";
        case PlanInput::CostPerTrial:
            return "costPerTrial";
    }
    return "";
}

bool Plan::isEmpty() const {
    return !hasGrowth() && !hasSeasons() && changes.empty();
}

bool Plan::changesProjection() const {
    return hasGrowth() || hasSeasons() ||
           std::any_of(changes.begin(), changes.end(), [](const PlanChange& change) {
               return change.input != PlanInput::CostPerTrial;
           });
}

bool Plan::hasChanges(PlanInput input) const {
    return std::any_of(changes.begin(), changes.end(),
                       [input](const PlanChange& change) { return change.input == input; });
}

double Plan::valueIn(PlanInput input, double base, std::int64_t month) const {
    double value = base;
    std::int64_t latest = 0;
    for (const PlanChange& change : changes) {
        if (change.input == input && change.month <= month && change.month > latest) {
            latest = change.month;
            value = change.value;
        }
    }
    return value;
}

double Plan::trialsFactor(std::int64_t month) const {
    double factor = 1;
    if (hasGrowth()) {
        const std::int64_t grown = growthUntil ? std::min(month, *growthUntil) : month;
        factor = std::pow(1 + *growthPercent / 100,
                          static_cast<double>(std::max<std::int64_t>(grown, 0)));
    }
    if (seasonality) {
        const int first = startMonth ? startMonth->month - 1 : 0;
        factor = factor * (*seasonality)[static_cast<std::size_t>((first + month % 12) % 12)];
    }
    return factor;
}

std::string Plan::key() const {
    std::string key = "plan";
    if (hasGrowth()) {
        key += ",g";
        appendExact(key, *growthPercent);
        if (growthUntil) {
            key += ",u" + std::to_string(*growthUntil);
        }
    }
    if (hasSeasons()) {
        key += ",s" + std::to_string(startMonth ? startMonth->month : 1);
        for (const double factor : *seasonality) {
            key.push_back(':');
            appendExact(key, factor);
        }
    }
    key += priceChangesApply == PriceChangesApply::Everyone ? ",all" : ",new";
    std::vector<PlanChange> sorted;
    std::copy_if(changes.begin(), changes.end(), std::back_inserter(sorted),
                 [](const PlanChange& change) { return change.input != PlanInput::CostPerTrial; });
    std::sort(sorted.begin(), sorted.end(), [](const PlanChange& a, const PlanChange& b) {
        return a.input != b.input ? a.input < b.input : a.month < b.month;
    });
    for (const PlanChange& change : sorted) {
        key += ",";
        key += planInputName(change.input);
        key += "@" + std::to_string(change.month) + "=";
        appendExact(key, change.value);
    }
    return key;
}

std::optional<std::string> planProblem(const Plan& plan) {
    if (plan.growthPercent && !(std::isfinite(*plan.growthPercent) && *plan.growthPercent > -100)) {
        return "The monthly growth must be a number above -100%.";
    }
    if (plan.growthUntil && (*plan.growthUntil < 0 || *plan.growthUntil > Plan::lastMonth)) {
        return "Growth must stop at a month from M0 to " + monthText(Plan::lastMonth) + ".";
    }
    if (plan.startMonth && (plan.startMonth->month < 1 || plan.startMonth->month > 12 ||
                            plan.startMonth->year < 1 || plan.startMonth->year > 9999)) {
        return "The first month must be a month from January to December of a year from 1 to "
               "9999.";
    }
    if (plan.seasonality) {
        if (!plan.startMonth) {
            return "Seasons need the calendar month of M0.";
        }
        for (const double factor : *plan.seasonality) {
            if (!(std::isfinite(factor) && factor >= 0)) {
                return "Every seasonal factor must be a number of 0 or more.";
            }
        }
    }
    for (std::size_t i = 0; i < plan.changes.size(); ++i) {
        const PlanChange& change = plan.changes[i];
        const std::string what = std::string("The change of ") + planInputName(change.input) +
                                 " at " + monthText(change.month);
        if (change.month < 1 || change.month > Plan::lastMonth) {
            return what + " must be at a month from M1 to " + monthText(Plan::lastMonth) + ".";
        }
        if (!(std::isfinite(change.value) && change.value >= 0)) {
            return what + " must be a number of 0 or more.";
        }
        if (change.input == PlanInput::TrialRetention && change.value > 1) {
            return what + " must be a share from 0 to 1.";
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (plan.changes[j].input == change.input && plan.changes[j].month == change.month) {
                return what + " is given twice.";
            }
        }
    }
    return std::nullopt;
}

bool plansProjection(const ScenarioValues& values) {
    return values.plan && values.plan->changesProjection();
}

double trialsPerDay(const ScenarioValues& values, std::int64_t month) {
    if (!values.plan) {
        return values.dailyNewSubs;
    }
    return values.plan->valueIn(PlanInput::DailyNewSubs, values.dailyNewSubs, month) *
           values.plan->trialsFactor(month);
}

double priceIn(const ScenarioValues& values, std::int64_t month) {
    return values.plan ? values.plan->valueIn(PlanInput::Price, values.price, month) : values.price;
}

double conversionIn(const ScenarioValues& values, std::int64_t month) {
    return values.plan
               ? values.plan->valueIn(PlanInput::TrialRetention, values.trialRetention, month)
               : values.trialRetention;
}

double costIn(const ScenarioValues& values, std::int64_t month) {
    return values.plan ? values.plan->valueIn(PlanInput::CostPerTrial, values.costPerTrial, month)
                       : values.costPerTrial;
}

MonthlyInputs monthlyInputs(const ScenarioValues& values, std::size_t months) {
    MonthlyInputs inputs;
    inputs.trialsPerDay.resize(months);
    inputs.conversion.resize(months);
    inputs.price.resize(months);
    inputs.cost.resize(months);
    inputs.newCohort.resize(months);
    for (std::size_t m = 0; m < months; ++m) {
        const auto month = static_cast<std::int64_t>(m);
        inputs.trialsPerDay[m] = trialsPerDay(values, month);
        inputs.conversion[m] = conversionIn(values, month);
        inputs.price[m] = priceIn(values, month);
        inputs.cost[m] = costIn(values, month);
        inputs.newCohort[m] = inputs.trialsPerDay[m] * inputs.conversion[m];
    }
    return inputs;
}

}  // namespace velmora
