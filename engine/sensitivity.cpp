#include "engine/sensitivity.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

std::optional<Sensitivity> sensitivity(const ScenarioValues& values, Metric metric,
                                       std::stop_token stop) {
    const auto base = metricValue(metric, values);
    if (!base) {
        return std::nullopt;
    }
    Sensitivity result{metric, *base, {}};
    result.bars.reserve(allInputs.size());
    for (const Input input : allInputs) {
        const double value = inputValue(values, input);
        SensitivityBar bar{input, value * downFactor, value * upFactor, 0, 0, false};
        if (isRate(input)) {
            const double cap = std::max(value, 1.0);
            bar.upCapped = bar.upValue > cap;
            bar.upValue = std::min(bar.upValue, cap);
        }
        ScenarioValues moved = values;
        for (auto [movedValue, change] :
             {std::pair{bar.downValue, &bar.down}, std::pair{bar.upValue, &bar.up}}) {
            if (stop.stop_requested()) {
                return std::nullopt;
            }
            inputField(moved, input) = movedValue;
            *change = *metricValue(metric, moved) - *base;
        }
        result.bars.push_back(bar);
    }
    std::stable_sort(
        result.bars.begin(), result.bars.end(),
        [](const SensitivityBar& a, const SensitivityBar& b) { return effect(a) > effect(b); });
    return result;
}

}  // namespace velmora
