#include "engine/spread/ranges.h"

#include <algorithm>
#include <cmath>

#include "engine/support/sampling.h"
#include "engine/support/shortest_text.h"

namespace velmora {

std::vector<Range> rangesAround(const ScenarioValues& values, std::vector<Range> ranges) {
    for (Range& range : ranges) {
        const double value = inputValue(values, range.input);
        range.low = std::min(range.low, value);
        range.high = std::max(range.high, value);
    }
    return ranges;
}

std::optional<std::string> rangeProblem(const ScenarioValues& values,
                                        std::span<const Range> ranges) {
    for (auto range = ranges.begin(); range != ranges.end(); ++range) {
        const std::string name(inputName(range->input));
        if (std::find(rangedInputs.begin(), rangedInputs.end(), range->input) ==
            rangedInputs.end()) {
            return "No range can be set on " + name + ".";
        }
        if (std::any_of(ranges.begin(), range,
                        [&](const Range& earlier) { return earlier.input == range->input; })) {
            return "Only one range can be set on " + name + ".";
        }
        if (!std::isfinite(range->low) || !std::isfinite(range->high)) {
            return "The range of " + name + " must run between two finite numbers.";
        }
        const std::string span = shortest(range->low) + " to " + shortest(range->high);
        if (range->low > range->high) {
            return "The range of " + name + " runs from " + span +
                   ": its low end lies above its high end.";
        }
        const double value = inputValue(values, range->input);
        if (!(value >= range->low && value <= range->high)) {
            return "The " + name + " of " + shortest(value) + " lies outside its range of " + span +
                   ".";
        }
    }
    return std::nullopt;
}

std::vector<ScenarioValues> drawScenarios(const ScenarioValues& values,
                                          std::span<const Range> ranges, std::size_t count,
                                          std::uint64_t seed) {
    // The range of each input in `rangedInputs` order, if any.
    std::array<const Range*, rangedInputs.size()> rangeOf{};
    for (const Range& range : ranges) {
        const auto place = std::find(rangedInputs.begin(), rangedInputs.end(), range.input);
        rangeOf[static_cast<std::size_t>(place - rangedInputs.begin())] = &range;
    }
    SampleGenerator generator(seed);
    std::vector<ScenarioValues> draws(count, values);
    for (ScenarioValues& draw : draws) {
        for (std::size_t i = 0; i < rangedInputs.size(); ++i) {
            const double u = generator.uniform();
            if (const Range* range = rangeOf[i]) {
                double& field = inputField(draw, range->input);
                field = triangularQuantile(range->low, field, range->high, u);
            }
        }
    }
    return draws;
}

}  // namespace velmora
