#include "engine/table_figures.h"

#include "engine/lifetime_value.h"

namespace velmora {

double shownLifetimeValue(const ScenarioValues& inputs, double price) {
    return lifetimeValuePerTrial(lifetimeMonths, inputs, price, proceedsShare, proceedsShare);
}

std::optional<ProjectionSummary> summarize(const SubscriptionCalculation& projection,
                                           double price) {
    if (projection.monthlySnapshots.empty()) {
        return std::nullopt;
    }
    return summarizeMonth(projection, price, projection.monthlySnapshots.size() - 1);
}

std::optional<ProjectionSummary> summarizeMonth(const SubscriptionCalculation& projection,
                                                double price, std::size_t month) {
    if (month >= projection.monthlySnapshots.size()) {
        return std::nullopt;
    }
    const double active = projection.monthlySnapshots[month].active;
    const double monthly = monthlyProceeds(active, price);
    return ProjectionSummary{active, monthly, annualized(monthly, projection.monthDuration),
                             shownLifetimeValue(projection.inputs->scenarioValues(), price)};
}

std::vector<MonthlyRow> monthlyRows(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                    double price, std::int64_t monthDuration) {
    std::vector<MonthlyRow> rows;
    rows.reserve(monthlySnapshots.size());
    for (std::size_t i = 0; i < monthlySnapshots.size(); ++i) {
        const SubscriptionSnapshot& snapshot = monthlySnapshots[i];
        MonthlyRow row{snapshot.epoch, snapshot.active, ChangeKind::Delta, 0, 0, 0};
        // A row's change is found by looking its snapshot up in the list. Ids are
        // unique, so the lookup finds the row itself, unless a NaN makes the
        // snapshot unequal to everything, itself included.
        if (!(snapshot == snapshot)) {
            row.changeKind = ChangeKind::Missing;
        } else if (i == 0) {
            row.changeKind = ChangeKind::First;
        } else {
            row.change = snapshot.active - monthlySnapshots[i - 1].active;
        }
        row.proceeds = monthlyProceeds(snapshot.active, price);
        row.annualized = annualized(row.proceeds, monthDuration);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace velmora
