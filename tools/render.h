#pragma once

#include <iosfwd>
#include <vector>

#include "engine/calculation.h"
#include "engine/scenario.h"
#include "engine/table_csv.h"

namespace velmora::cli {

/// The four figures of the last month (when there is one), then a row per
/// month, figures right-aligned in columns.
void writeTable(const SubscriptionCalculation& projection, double price, std::ostream& out);

/// One JSON object with `values`, the lifetime value of one trial and both
/// snapshot lists of `projection`. Non-finite numbers are the strings "nan",
/// "inf" and "-inf".
void writeJson(const ScenarioValues& values, const SubscriptionCalculation& projection,
               std::ostream& out);

}  // namespace velmora::cli
