#pragma once

#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "engine/calculation.h"
#include "engine/scenario.h"
#include "engine/table_csv.h"

namespace velmora::cli {

/// The four figures of the last month (when there is one), then a row per
/// month, figures right-aligned in columns.
void writeTable(const SubscriptionCalculation& projection, double price, std::ostream& out);

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
