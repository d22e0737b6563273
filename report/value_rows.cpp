#include "report/value_rows.h"

#include <algorithm>
#include <array>
#include <utility>

namespace velmora::report {

std::vector<ValueRow> valueRows(const ScenarioValues& v) {
    using Kind = ValueRow::Kind;
    std::vector<ValueRow> rows{
        {QStringLiteral("Months to Project"), Kind::Count, v.monthsToProject},
        {QStringLiteral("Starting Subscribers"), Kind::Count, v.startingSubs},
        {QStringLiteral("Price"), Kind::Money, v.price},
        {QStringLiteral("Daily Trials"), Kind::Count, v.dailyNewSubs},
        {QStringLiteral("Trial Retention"), Kind::Share, v.trialRetention},
    };
    const auto rates = v.retentionRates();
    for (std::size_t i = 0; i < rates.size(); ++i) {
        const QString which =
            i + 1 < rates.size() ? QString::number(i + 1) : QStringLiteral("Rest");
        rows.push_back({QStringLiteral("Retention Rate ") + which, Kind::Share, rates[i]});
    }
    rows.push_back(
        {QStringLiteral("Days in a Month"), Kind::Days, static_cast<double>(v.monthDuration)});
    // A cost of 0 is one not given: it changes no figure of the report.
    if (v.costPerTrial > 0) {
        rows.push_back({QStringLiteral("Cost per Trial"), Kind::Money, v.costPerTrial});
    }
    return rows;
}

std::vector<PlanRow> planRows(const ScenarioValues& values) {
    using Kind = ValueRow::Kind;
    std::vector<PlanRow> rows;
    if (!values.plan) {
        return rows;
    }
    const Plan& plan = *values.plan;
    if (plan.growthPercent) {
        rows.push_back({QStringLiteral("Monthly Growth (%)"), Kind::Count, *plan.growthPercent});
        rows.push_back({QStringLiteral("Growth Until"), Kind::Count, 0,
                        plan.growthUntil ? QStringLiteral("M%1").arg(*plan.growthUntil)
                                         : QStringLiteral("The end")});
    }
    if (plan.startMonth) {
        rows.push_back({QStringLiteral("First Month"), Kind::Count, 0,
                        QStringLiteral("%1-%2")
                            .arg(plan.startMonth->year, 4, 10, QLatin1Char('0'))
                            .arg(plan.startMonth->month, 2, 10, QLatin1Char('0'))});
    }
    if (plan.seasonality) {
        static const std::array<const char*, 12> months{
            "January", "February", "March",     "April",   "May",      "June",
            "July",    "August",   "September", "October", "November", "December"};
        for (std::size_t i = 0; i < months.size(); ++i) {
            rows.push_back({QStringLiteral("Season ") + QLatin1String(months[i]), Kind::Share,
                            (*plan.seasonality)[i]});
        }
    }
    rows.push_back({QStringLiteral("Price Changes Reach"), Kind::Count, 0,
                    plan.priceChangesApply == PriceChangesApply::Everyone
                        ? QStringLiteral("Everyone")
                        : QStringLiteral("New subscribers")});
    std::vector<PlanChange> changes = plan.changes;
    std::sort(changes.begin(), changes.end(), [](const PlanChange& a, const PlanChange& b) {
        return a.input != b.input ? a.input < b.input : a.month < b.month;
    });
    for (const PlanChange& change : changes) {
        const auto [title, kind] = [&]() -> std::pair<QString, Kind> {
            switch (change.input) {
                case PlanInput::DailyNewSubs:
                    return {QStringLiteral("Daily Trials"), Kind::Count};
                case PlanInput::Price:
                    return {QStringLiteral("Price"), Kind::Money};
                case PlanInput::TrialRetention:
                    return {QStringLiteral("Trial Retention"), Kind::Share};
                case PlanInput::CostPerTrial:
                    break;
            }
            return {QStringLiteral("Cost per Trial"), Kind::Money};
        }();
        rows.push_back({title + QStringLiteral(" from M%1").arg(change.month), kind, change.value});
    }
    return rows;
}

PlanGrid planGrid(const std::vector<ScenarioValues>& scenarios) {
    std::vector<std::vector<PlanRow>> plans;
    PlanGrid grid;
    for (const ScenarioValues& values : scenarios) {
        plans.push_back(planRows(values));
        for (const PlanRow& row : plans.back()) {
            if (std::find(grid.titles.begin(), grid.titles.end(), row.title) == grid.titles.end()) {
                grid.titles.push_back(row.title);
            }
        }
    }
    for (const QString& title : grid.titles) {
        auto& line = grid.rows.emplace_back();
        for (const std::vector<PlanRow>& plan : plans) {
            const auto found = std::find_if(plan.begin(), plan.end(),
                                            [&](const PlanRow& row) { return row.title == title; });
            line.push_back(found == plan.end() ? std::nullopt : std::optional(*found));
        }
    }
    return grid;
}

QString inputTitle(Input input) {
    if (input == Input::CostPerTrial) {
        return QStringLiteral("Cost per Trial");
    }
    if (input == Input::LaterRates) {
        return QStringLiteral("Later Renewal Rates");
    }
    // The rows follow the form's order; the inputs that order.
    constexpr std::array<std::size_t, allInputs.size() - 1> row{3, 2, 4, 5, 6, 7, 8, 9, 10, 11, 1};
    return valueRows(ScenarioValues{})[row.at(static_cast<std::size_t>(input))].title;
}

QString metricTitle(Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
            return QStringLiteral("Subscribers");
        case Metric::MonthlyProceeds:
            return QStringLiteral("Monthly Proceeds");
        case Metric::AnnualProceeds:
            return QStringLiteral("Annual Proceeds");
        case Metric::PaybackMonths:
            return QStringLiteral("Months to Pay Back");
        case Metric::LifetimeValueToCost:
            return QStringLiteral("Lifetime Value to Cost");
        case Metric::BreakEvenMonth:
            return QStringLiteral("Break-even Month");
        case Metric::CashNeeded:
            return QStringLiteral("Cash Needed");
        case Metric::LifetimeValue:
            break;
    }
    return QStringLiteral("Lifetime Value per Trial");
}

}  // namespace velmora::report
