#include "engine/table/table_figures.h"

#include "engine/projection/lifetime_value.h"
#include "engine/projection/plan_months.h"

namespace velmora {

namespace {

// The values a projection was built from, with its own month length: the
// scenario may have changed since.
ScenarioValues projectedValues(const SubscriptionCalculation& projection) {
    ScenarioValues inputs = projection.inputs->scenarioValues();
    inputs.monthDuration = projection.monthDuration;
    return inputs;
}

}  // namespace

double shownLifetimeValue(const ScenarioValues& inputs, double price) {
    return lifetimeValuePerTrial(lifetimeMonths, inputs, price, proceedsShare, proceedsShare);
}

std::optional<ProjectionSummary> summarize(const SubscriptionCalculation& projection,
                                           double price) {
    return summarize(projectedValues(projection), projection.monthlySnapshots, price);
}

std::optional<ProjectionSummary> summarize(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price) {
    if (monthlySnapshots.empty()) {
        return std::nullopt;
    }
    return summarizeMonth(inputs, monthlySnapshots, price, monthlySnapshots.size() - 1);
}

std::optional<ProjectionSummary> summarizeMonth(const SubscriptionCalculation& projection,
                                                double price, std::size_t month) {
    return summarizeMonth(projectedValues(projection), projection.monthlySnapshots, price, month);
}

std::optional<ProjectionSummary> summarizeMonth(
    const ScenarioValues& inputs, const std::vector<SubscriptionSnapshot>& monthlySnapshots,
    double price, std::size_t month) {
    if (month >= monthlySnapshots.size()) {
        return std::nullopt;
    }
    const double active = monthlySnapshots[month].active;
    double monthly = monthlyProceeds(active, price);
    if (plansProjection(inputs)) {
        ScenarioValues priced = inputs;
        priced.price = price;
        std::vector<double> actives;
        for (std::size_t m = 0; m <= month; ++m) {
            actives.push_back(monthlySnapshots[m].active);
        }
        monthly = monthlyProceedsOf(priced, actives)[month];
    }
    return ProjectionSummary{active, monthly, annualized(monthly, inputs.monthDuration),
                             shownLifetimeValue(inputs, price)};
}

std::vector<MonthlyRow> monthlyRows(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                    double price, std::int64_t monthDuration) {
    std::vector<double> proceeds;
    proceeds.reserve(monthlySnapshots.size());
    for (const SubscriptionSnapshot& snapshot : monthlySnapshots) {
        proceeds.push_back(monthlyProceeds(snapshot.active, price));
    }
    return monthlyRows(monthlySnapshots, proceeds, monthDuration);
}

std::vector<double> proceedsOf(const ScenarioValues& inputs,
                               const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                               double price) {
    std::vector<double> actives;
    actives.reserve(monthlySnapshots.size());
    for (const SubscriptionSnapshot& snapshot : monthlySnapshots) {
        actives.push_back(snapshot.active);
    }
    if (plansProjection(inputs)) {
        ScenarioValues priced = inputs;
        priced.price = price;
        return monthlyProceedsOf(priced, actives);
    }
    for (double& active : actives) {
        active = monthlyProceeds(active, price);
    }
    return actives;
}

std::vector<double> proceedsPerSubscriber(const ScenarioValues& inputs,
                                          const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                          double price) {
    std::vector<double> rates = proceedsOf(inputs, monthlySnapshots, price);
    for (std::size_t m = 0; m < rates.size(); ++m) {
        const double active = monthlySnapshots[m].active;
        ScenarioValues priced = inputs;
        priced.price = price;
        rates[m] = active != 0 ? rates[m] / active
                               : priceIn(priced, static_cast<std::int64_t>(m)) * proceedsShare;
    }
    return rates;
}

std::vector<MonthlyRow> monthlyRows(const ScenarioValues& inputs,
                                    const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                    double price) {
    return monthlyRows(monthlySnapshots, proceedsOf(inputs, monthlySnapshots, price),
                       inputs.monthDuration);
}

std::vector<MonthlyRow> monthlyRows(const SubscriptionCalculation& projection, double price) {
    return monthlyRows(projectedValues(projection), projection.monthlySnapshots, price);
}

std::vector<MonthlyRow> monthlyRows(const std::vector<SubscriptionSnapshot>& monthlySnapshots,
                                    std::span<const double> proceeds, std::int64_t monthDuration) {
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
        row.proceeds = proceeds[i];
        row.annualized = annualized(row.proceeds, monthDuration);
        rows.push_back(row);
    }
    return rows;
}

}  // namespace velmora
