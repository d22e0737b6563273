#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "tools/cli.h"

namespace velmora::cli {

/// Answers `options.question` (not `Question::Projection`) about the scenario
/// of `values` with the engine's decision tools, and writes the answer to
/// `out` in `options.format`: aligned text in the table's number styles, a CSV
/// header and row(s) of plain numbers, or one JSON object.
void writeAnswer(const Options& options, const ScenarioValues& values, std::ostream& out);

/// Why `options.question` cannot be answered about `values` for want of the
/// cost of a trial ("--economics: the cost of a trial is not given; give
/// --cost-per-trial N"), or nothing.
[[nodiscard]] std::optional<std::string> missingCost(const Options& options,
                                                     const ScenarioValues& values);

}  // namespace velmora::cli
