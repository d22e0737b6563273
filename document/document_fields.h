#pragma once

#include <array>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>

#include "engine/projection/scenario.h"

// The names and limits of the document format, shared by its reader and its
// writer. Internal to the document library.
namespace velmora::document_format {

inline constexpr std::string_view formatName = "velmora";

/// The fields every scenario is written with, in the order they are written;
/// a field left out of a file takes its default. The keys a scenario may leave
/// out ("costPerTrial", "ranges") follow them (see `optionalKeys`).
inline constexpr std::array<std::string_view, 13> scenarioKeys{"monthDuration", "monthsToProject",
                                                               "dailyNewSubs",  "startingSubs",
                                                               "price",         "trialRetention",
                                                               "rt1",           "rt2",
                                                               "rt3",           "rt4",
                                                               "rt5",           "rt6",
                                                               "rtPlus"};

/// The fields that `scenarioKeys[i + 1]` names; the first key names the
/// integral `monthDuration`.
inline constexpr std::array<double ScenarioValues::*, 12> numberMembers{
    &ScenarioValues::monthsToProject,
    &ScenarioValues::dailyNewSubs,
    &ScenarioValues::startingSubs,
    &ScenarioValues::price,
    &ScenarioValues::trialRetention,
    &ScenarioValues::rt1,
    &ScenarioValues::rt2,
    &ScenarioValues::rt3,
    &ScenarioValues::rt4,
    &ScenarioValues::rt5,
    &ScenarioValues::rt6,
    &ScenarioValues::rtPlus};

/// Came after the first release, which ignores it; a file without it reads 0.
inline constexpr std::string_view costPerTrialKey = "costPerTrial";
/// The later renewal rates, written only when there are some; a file without
/// them has none.
inline constexpr std::string_view laterRatesKey = "laterRates";

/// The keys of the comparison's scenarios: baseline, alternate 1, alternate 2.
inline constexpr std::array<std::string_view, 3> comparisonKeys{"baseline", "alternate1",
                                                                "alternate2"};

/// The names of the chart types, by `ChartType`.
inline constexpr std::array<std::string_view, 2> chartTypeNames{"simple", "cohorts"};

// A window projects at most 600 months; a larger value in a file could only
// exhaust memory.
inline constexpr double maxMonthsToProject = 600;
inline constexpr double maxMonthDuration = 365;

/// Why the value of the scenario field `key`, written `found`, cannot be in a
/// document ("expected a finite number, found 1e400"), or none.
inline std::optional<std::string> valueProblem(std::string_view key, double value,
                                               std::string_view found) {
    const auto problem = [&](std::string_view expected) {
        return "expected " + std::string(expected) + ", found " + std::string(found);
    };
    if (key == scenarioKeys[0]) {
        if (!(value >= 1 && value <= maxMonthDuration && value == std::floor(value))) {
            return problem("a whole number of days from 1 to 365");
        }
    } else if (key == scenarioKeys[1]) {
        if (!(value >= 0 && value <= maxMonthsToProject)) {
            return problem("a number of months from 0 to 600");
        }
    } else if (key == costPerTrialKey) {
        if (!(value >= 0 && std::isfinite(value))) {
            return problem("a finite cost of 0 or more");
        }
    } else if (!std::isfinite(value)) {
        return problem("a finite number");
    }
    return std::nullopt;
}

}  // namespace velmora::document_format
