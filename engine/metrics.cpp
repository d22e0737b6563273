#include "engine/metrics.h"

#include <algorithm>

#include "engine/monthly_projection.h"
#include "engine/table_figures.h"

namespace velmora {

namespace {

constexpr std::array<std::string_view, allMetrics.size()> metricNames = {
    "subscribers", "monthlyProceeds", "annualProceeds", "lifetimeValue"};

constexpr std::array<std::string_view, allInputs.size()> inputNames = {
    "dailyNewSubs", "price", "trialRetention", "rt1",         "rt2", "rt3", "rt4",
    "rt5",          "rt6",   "rtPlus",         "startingSubs"};

constexpr std::array<double ScenarioValues::*, allInputs.size()> inputFields = {
    &ScenarioValues::dailyNewSubs, &ScenarioValues::price,       &ScenarioValues::trialRetention,
    &ScenarioValues::rt1,          &ScenarioValues::rt2,         &ScenarioValues::rt3,
    &ScenarioValues::rt4,          &ScenarioValues::rt5,         &ScenarioValues::rt6,
    &ScenarioValues::rtPlus,       &ScenarioValues::startingSubs};

template <typename Enum, std::size_t count>
std::optional<Enum> fromName(const std::array<std::string_view, count>& names,
                             std::string_view name) {
    const auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        return std::nullopt;
    }
    return static_cast<Enum>(found - names.begin());
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
    return inputNames[indexOf(input)];
}

std::optional<Input> inputFromName(std::string_view name) {
    return fromName<Input>(inputNames, name);
}

double& inputField(ScenarioValues& values, Input input) {
    return values.*inputFields[indexOf(input)];
}

double inputValue(const ScenarioValues& values, Input input) {
    return values.*inputFields[indexOf(input)];
}

bool isRate(Input input) {
    return input != Input::DailyNewSubs && input != Input::Price && input != Input::StartingSubs;
}

InputRange inputRange(Input input) {
    return {0, isRate(input) ? 1 : countLimit};
}

bool moves(Input input, Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
            return input != Input::Price;
        case Metric::LifetimeValue:
            return input == Input::Price || isRate(input);
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
            break;
    }
    return true;
}

double shownTolerance(Metric metric) {
    return metric == Metric::LifetimeValue ? 0.005 : 0.5;
}

std::optional<double> metricValue(Metric metric, const ScenarioValues& values) {
    if (metric == Metric::LifetimeValue) {
        return shownLifetimeValue(values, values.price);
    }
    const std::optional<double> last = lastMonthActive(values);
    if (!last) {
        return std::nullopt;
    }
    switch (metric) {
        case Metric::Subscribers:
            return *last;
        case Metric::MonthlyProceeds:
            return monthlyProceeds(*last, values.price);
        case Metric::AnnualProceeds:
        case Metric::LifetimeValue:
            break;
    }
    return annualized(monthlyProceeds(*last, values.price), values.monthDuration);
}

}  // namespace velmora
