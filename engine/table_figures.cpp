#include "engine/table_figures.h"

#include "engine/lifetime_value.h"

namespace velmora {

double shownLifetimeValue(const ScenarioValues& inputs, double price) {
    return lifetimeValuePerTrial(lifetimeMonths, inputs, price, proceedsShare, proceedsShare);
}

std::optional<ProjectionSummary> summarize(const SubscriptionCalculation& projection,
                                           double price) {
    return summarize(projection.inputs->scenarioValues(), projection.monthlySnapshots, price);
}

std::optional<ProjectionSummary> summarize(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price) {
    if (monthlySnapshots.empty()) {
        return std::nullopt;
    }
    const double last = monthlySnapshots.back().active;
    const double monthly = monthlyProceeds(last, price);
    return ProjectionSummary{last, monthly, annualized(monthly), shownLifetimeValue(inputs, price)};
}

std::vector<MonthlyRow> monthlyRows(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                    double price) {
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
        row.annualized = annualized(row.proceeds);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace velmora
