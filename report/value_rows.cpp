#include "report/value_rows.h"

#include <array>

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
