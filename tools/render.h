#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "engine/projection/calculation.h"
#include "engine/projection/scenario.h"
#include "engine/table/table_csv.h"

namespace velmora::cli {

/// The monthly snapshots of the projection of `values`, without breakdown,
/// from the engine's monthly projection: memory grows with the months alone.
[[nodiscard]] std::vector<SubscriptionSnapshot> monthlySnapshots(const ScenarioValues& values);

/// The four figures of the last of the monthly snapshots of the projection of
/// `values` (when there is one), then a row per month, figures right-aligned
/// in columns.
void writeTable(const ScenarioValues& values,
                const std::vector<SubscriptionSnapshot>& monthlySnapshots, double price,
                std::ostream& out);

/// Lines of a figure and its label, the figures right-aligned: "  $24 monthly".
void writeFigures(const std::vector<std::pair<std::string, std::string>>& lines, std::ostream& out);

/// Rows of cells in columns two spaces apart, each as wide as its widest cell:
/// the first column flush left (names read best so), the others flush right.
void writeColumns(const std::vector<std::vector<std::string>>& rows, std::ostream& out);

/// One JSON object with `values`, the lifetime value of one trial and both
/// snapshot lists of `projection`. Non-finite numbers are the strings "nan",
/// "inf" and "-inf".
void writeJson(const ScenarioValues& values, const SubscriptionCalculation& projection,
               std::ostream& out);

}  // namespace velmora::cli
