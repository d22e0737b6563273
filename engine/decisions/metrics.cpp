#include "engine/decisions/metrics.h"

#include <algorithm>
#include <limits>

#include "engine/decisions/economics.h"
#include "engine/projection/closed_form.h"
#include "engine/projection/monthly_projection.h"
#include "engine/projection/plan_months.h"
#include "engine/table/table_figures.h"

namespace velmora {

namespace {

constexpr std::array<std::string_view, allMetrics.size()> metricNames = {
    "subscribers",   "monthlyProceeds",     "annualProceeds", "lifetimeValue",
    "paybackMonths", "lifetimeValueToCost", "breakEvenMonth", "cashNeeded"};

constexpr std::array<std::string_view, allInputs.size()> inputNames = {
    "dailyNewSubs", "price", "trialRetention", "rt1",          "rt2",         "rt3", "rt4",
    "rt5",          "rt6",   "rtPlus",         "startingSubs", "costPerTrial"};
constexpr std::string_view laterRatesName = "laterRates";

constexpr std::array<double ScenarioValues::*, allInputs.size()> inputFields = {
    &ScenarioValues::dailyNewSubs, &ScenarioValues::price,        &ScenarioValues::trialRetention,
    &ScenarioValues::rt1,          &ScenarioValues::rt2,          &ScenarioValues::rt3,
    &ScenarioValues::rt4,          &ScenarioValues::rt5,          &ScenarioValues::rt6,
    &ScenarioValues::rtPlus,       &ScenarioValues::startingSubs, &ScenarioValues::costPerTrial};

constexpr double infinity = std::numeric_limits<double>::infinity();

double monthOrNever(const std::optional<std::int64_t>& month) {
    return month ? static_cast<double>(*month) : infinity;
}

template <typename Enum, std::size_t count>
std::optional<Enum> fromName(const std::array<std::string_view, count>& names,
                             std::string_view name) {
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        return std::nullopt;
    }
    return static_cast<Enum>(found - names.begin());
}

/// Subscribers, monthly or annual proceeds, from the last month's figures.
double lastMonthMetric(Metric metric, const ScenarioValues& values, double active,
                       double proceeds) {
    switch (metric) {
        case Metric::Subscribers:
            return active;
        case Metric::MonthlyProceeds:
            return proceeds;
        default:
            break;
    }
    return annualized(proceeds, values.monthDuration);
}

std::size_t indexOf(Input input) {
    return static_cast<std::size_t>(input);
}

}  // namespace

std::string_view metricName(Metric metric) {
    return metricNames[static_cast<std::size_t>(metric)];
}

std::optional<Metric> metricFromName(std::string_view name) {
    return fromName<Metric>(metricNames, name);
}

std::string_view inputName(Input input) {
    return input == Input::LaterRates ? laterRatesName : inputNames[indexOf(input)];
}

std::optional<Input> inputFromName(std::string_view name) {
    return fromName<Input>(inputNames, name);
}

double& inputField(ScenarioValues& values, Input input) {
    return values.*inputFields.at(indexOf(input));
}

double inputValue(const ScenarioValues& values, Input input) {
    return values.*inputFields.at(indexOf(input));
}

bool isRate(Input input) {
    return input != Input::DailyNewSubs && input != Input::Price && input != Input::StartingSubs &&
           input != Input::CostPerTrial;
}

InputRange inputRange(Input input) {
    return {0, isRate(input) ? 1 : countLimit};
}

bool moves(Input input, Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
            return input != Input::Price && input != Input::CostPerTrial;
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
            return input != Input::CostPerTrial;
        case Metric::LifetimeValue:
            return input == Input::Price || isRate(input);
        case Metric::PaybackMonths:
        case Metric::LifetimeValueToCost:
            return input == Input::Price || input == Input::CostPerTrial || isRate(input);
        case Metric::BreakEvenMonth:
        case Metric::CashNeeded:
            break;
    }
    return true;
}

bool needsCost(Metric metric) {
    return metric == Metric::PaybackMonths || metric == Metric::LifetimeValueToCost ||
           metric == Metric::BreakEvenMonth || metric == Metric::CashNeeded;
}

bool isDeadline(Metric metric) {
    return metric == Metric::PaybackMonths || metric == Metric::BreakEvenMonth;
}

double shownTolerance(Metric metric) {
    switch (metric) {
        case Metric::LifetimeValue:
            return 0.005;
        case Metric::LifetimeValueToCost:
            return 0.05;
        default:
            return 0.5;
    }
}

std::optional<double> metricValue(Metric metric, const ScenarioValues& values) {
    switch (metric) {
        case Metric::LifetimeValue:
            return shownLifetimeValue(values, values.price);
        case Metric::PaybackMonths:
            return paybackOfTrial(values).count();
        case Metric::LifetimeValueToCost:
            return lifetimeValueToCost(values);
        case Metric::BreakEvenMonth:
        case Metric::CashNeeded: {
            const std::vector<double> months = monthlyActives(values);
            if (months.empty()) {
                return std::nullopt;
            }
            const CashTurn turn = cashTurn(values, months);
            return metric == Metric::CashNeeded ? turn.cashNeeded
                                                : monthOrNever(turn.breakEvenMonth);
        }
        default:
            break;
    }
    if (plansProjection(values)) {
        // The last month's proceeds depend on the months before it.
        const std::vector<double> months = monthlyActives(values);
        if (months.empty()) {
            return std::nullopt;
        }
        return lastMonthMetric(metric, values, months.back(),
                               monthlyProceedsOf(values, months).back());
    }
    const std::optional<double> last = lastMonthActive(values);
    if (!last) {
        return std::nullopt;
    }
    return lastMonthMetric(metric, values, *last, monthlyProceeds(*last, values.price));
}

std::optional<double> closedFormMetricValue(Metric metric, const ScenarioValues& values) {
    switch (metric) {
        case Metric::BreakEvenMonth:
        case Metric::CashNeeded: {
            const std::vector<double> months = closedFormFigures(values).active;
            if (months.empty()) {
                return std::nullopt;
            }
            const CashTurn turn = cashTurn(values, months);
            return metric == Metric::CashNeeded ? turn.cashNeeded
                                                : monthOrNever(turn.breakEvenMonth);
        }
        case Metric::Subscribers:
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
            break;
        default:
            return metricValue(metric, values);  // needs no month
    }
    if (plansProjection(values)) {
        const MonthlyFigures figures = closedFormFigures(values);
        if (figures.active.empty()) {
            return std::nullopt;
        }
        return lastMonthMetric(metric, values, figures.active.back(), figures.proceeds.back());
    }
    const std::optional<double> last = closedFormLastActive(values);
    if (!last) {
        return std::nullopt;
    }
    return lastMonthMetric(metric, values, *last, monthlyProceeds(*last, values.price));
}

}  // namespace velmora
