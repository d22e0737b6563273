#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/decisions/metrics.h"

namespace velmora {

/// How far an input may lie from its value: anywhere from `low` to `high`, the
/// value itself the most likely, as a triangular distribution. A range of zero
/// width keeps the input at its value.
struct Range {
    Input input = Input::DailyNewSubs;
    double low = 0;
    double high = 0;

    friend bool operator==(const Range&, const Range&) = default;
};

/// The inputs a range may be set on (everything typed but the months), in the
/// order in which every draw samples them.
inline constexpr std::array<Input, 11> rangedInputs = {
    Input::DailyNewSubs, Input::Price,       Input::TrialRetention,
    Input::Rt1,          Input::Rt2,         Input::Rt3,
    Input::Rt4,          Input::Rt5,         Input::Rt6,
    Input::RtPlus,       Input::StartingSubs};

/// Why `ranges` cannot be drawn from around `values`, as a sentence, or nothing:
/// two ranges on one input, an end that is not a finite number, a low end above
/// the high end, or the input's value outside its range.
[[nodiscard]] std::optional<std::string> rangeProblem(const ScenarioValues& values,
                                                      std::span<const Range> ranges);

/// `ranges` as they are drawn from around `values`: each widened to take its
/// input's value in, since a value may have moved out of the range set for it.
[[nodiscard]] std::vector<Range> rangesAround(const ScenarioValues& values,
                                              std::vector<Range> ranges);

/// `count` scenarios drawn around `values` from `ranges` (which `rangeProblem`
/// accepts) with a `SampleGenerator` seeded with `seed`. Every draw takes one
/// uniform number for each of `rangedInputs` in turn, whether a range is set on
/// it or not, and turns it into the input's value with `triangularQuantile`
/// when one is: draw i uses uniforms 11 i to 11 i + 10, so the first draws do
/// not depend on how many follow, and setting a range on one input leaves the
/// draws of the others as they were. No range moves the later rates: every
/// draw keeps those of `values`. Under a plan a range moves an input's value
/// in M0, before its first change; the plan and its changes stay as they are.
[[nodiscard]] std::vector<ScenarioValues> drawScenarios(const ScenarioValues& values,
                                                        std::span<const Range> ranges,
                                                        std::size_t count, std::uint64_t seed);

}  // namespace velmora
