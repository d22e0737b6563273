#include "engine/decisions/sensitivity.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace velmora {

namespace {

constexpr double downFactor = 0.9;
constexpr double upFactor = 1.1;

/// The larger change of a bar, or -1 (below every other) when one is not a number.
double effect(const SensitivityBar& bar) {
    if (std::isnan(bar.down) || std::isnan(bar.up)) {
        return -1;
    }
    return std::max(std::abs(bar.down), std::abs(bar.up));
}

/// The later rates moved together, each on its own churn, into `bars`; false
/// when stopped.
bool laterRatesBar(const ScenarioValues& values, Metric metric, double estimatedBase,
                   const std::stop_token& stop, std::vector<SensitivityBar>& bars) {
    SensitivityBar bar{Input::LaterRates, 0, 0, 0, 0, false};
    bar.churn = true;
    ScenarioValues moved = values;
    for (auto [factor, change, value, capped] :
         {std::tuple{downFactor, &bar.down, &bar.downValue, &bar.downCapped},
          std::tuple{upFactor, &bar.up, &bar.upValue, &bar.upCapped}}) {
        if (stop.stop_requested()) {
            return false;
        }
        for (std::size_t i = 0; i < values.laterRates.size(); ++i) {
            bool held = false;
            moved.laterRates[i] = movedShare(values.laterRates[i], factor, held);
            *capped = *capped || held;
        }
        *value = moved.laterRates.front();
        const double figure = *closedFormMetricValue(metric, moved);
        *change = figure == estimatedBase ? 0 : figure - estimatedBase;
    }
    bars.push_back(bar);
    return true;
}

}  // namespace

double movedShare(double share, double factor, bool& held) {
    const double moved = 1 - factor * (1 - share);
    // Within 0 to 1 a step stays within them; beyond them it may only come back.
    const double low = share > 1 ? 1 : std::min(share, 0.0);
    const double high = share < 0 ? 0 : std::max(share, 1.0);
    const double kept = std::clamp(moved, low, high);
    held = kept != moved && !std::isnan(moved);
    return kept;
}

std::optional<Sensitivity> sensitivity(const ScenarioValues& values, Metric metric,
                                       std::stop_token stop) {
    const auto base = metricValue(metric, values);
    if (!base) {
        return std::nullopt;
    }
    // The changes come from the closed form, the base from the summary's figure.
    const auto estimatedBase = closedFormMetricValue(metric, values);
    if (!estimatedBase) {
        return std::nullopt;
    }
    Sensitivity result{metric, *base, {}};
    result.bars.reserve(allInputs.size());
    for (const Input input : allInputs) {
        const double value = inputValue(values, input);
        SensitivityBar bar{input, value * downFactor, value * upFactor, 0, 0, false};
        if (isRate(input)) {
            bar.churn = true;
            bar.downValue = movedShare(value, downFactor, bar.downCapped);
            bar.upValue = movedShare(value, upFactor, bar.upCapped);
        }
        ScenarioValues moved = values;
        for (auto [movedValue, change] :
             {std::pair{bar.downValue, &bar.down}, std::pair{bar.upValue, &bar.up}}) {
            if (stop.stop_requested()) {
                return std::nullopt;
            }
            inputField(moved, input) = movedValue;
            const double figure = *closedFormMetricValue(metric, moved);
            // "Never" and "never" are no change, where infinity less infinity is no number.
            *change = figure == *estimatedBase ? 0 : figure - *estimatedBase;
        }
        result.bars.push_back(bar);
    }
    if (!values.laterRates.empty()) {
        if (!laterRatesBar(values, metric, *estimatedBase, stop, result.bars)) {
            return std::nullopt;
        }
    }
    std::stable_sort(
        result.bars.begin(), result.bars.end(),
        [](const SensitivityBar& a, const SensitivityBar& b) { return effect(a) > effect(b); });
    return result;
}

}  // namespace velmora
