#pragma once

#include <array>
#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/projection/records.h"

namespace velmora {

/// `text` as one CSV field: as it is, or quoted with its quotes doubled when
/// it holds a comma, a quote or a line end.
[[nodiscard]] std::string csvField(std::string_view text);

/// The monthly figures of one projection as CSV for spreadsheets: the header
/// "month,active,change,proceeds,annualized", then one line per monthly
/// snapshot. Numbers are plain and unlocalised, in the shortest form that
/// reads back exactly; the first month's change, and that of a month whose
/// count is not a number, are empty. The annual figure counts months of
/// `monthDuration` days.
void writeCsv(const std::vector<SubscriptionSnapshot>& monthlySnapshots, double price,
              std::int64_t monthDuration, std::ostream& out);
/// The same with each month's proceeds given, one per snapshot: a plan's
/// (`proceedsOf`).
void writeCsv(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
              std::span<const double> proceeds, std::int64_t monthDuration, std::ostream& out);

/// One compared scenario: its monthly snapshots and its price.
struct ComparedMonths {
    const std::vector<SubscriptionSnapshot>* monthlySnapshots;  ///< null: no month
    double price;
    /// Each month's proceeds, one per snapshot, under a plan (`proceedsOf`);
    /// empty: active x price x 0.85.
    std::vector<double> proceeds = {};
};

/// The active subscribers and proceeds of the baseline and the two alternates
/// side by side, one line per month up to the longest of the three:
/// "month,baselineActive,baselineProceeds,alternate1Active,...". A scenario
/// that projects fewer months leaves its cells of the later months empty.
void writeComparisonCsv(const std::array<ComparedMonths, 3>& scenarios, std::ostream& out);

}  // namespace velmora
