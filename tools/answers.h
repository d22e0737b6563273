#pragma once

#include <iosfwd>

#include "tools/cli.h"

namespace velmora::cli {

/// Answers `options.question` (not `Question::Projection`) about the scenario
/// of `values` with the engine's decision tools, and writes the answer to
/// `out` in `options.format`: aligned text in the table's number styles, a CSV
/// header and row(s) of plain numbers, or one JSON object.
void writeAnswer(const Options& options, const ScenarioValues& values, std::ostream& out);

}  // namespace velmora::cli
