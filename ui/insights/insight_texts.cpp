#include "ui/insights/insight_texts.h"

#include <array>
#include <cmath>

#include "ui/common/field_titles.h"

namespace velmora {

namespace {

using Field = SubscriptionInputs::Field;
using Style = NumberFormatter::Style;

constexpr std::array<Field, allInputs.size()> fields = {
    Field::DailyNewSubs, Field::Price,        Field::TrialRetention,
    Field::Rt1,          Field::Rt2,          Field::Rt3,
    Field::Rt4,          Field::Rt5,          Field::Rt6,
    Field::RtPlus,       Field::StartingSubs, Field::CostPerTrial};

std::size_t indexOf(Metric metric) {
    return static_cast<std::size_t>(metric);
}

}  // namespace

SubscriptionInputs::Field fieldOf(Input input) {
    return fields[static_cast<std::size_t>(input)];
}

QString inputTitle(Input input) {
    if (input == Input::LaterRates) {
        return QStringLiteral("Later renewal rates");
    }
    return fieldTitle(fieldOf(input));
}

QString metricTitle(Metric metric) {
    static const std::array<QString, allMetrics.size()> titles = {
        QStringLiteral("Subscribers in the last month"),
        QStringLiteral("Monthly proceeds in the last month"),
        QStringLiteral("Annual proceeds in the last month"),
        QStringLiteral("24-month lifetime value of one trial"),
        QStringLiteral("A trial pays back within … months"),
        QStringLiteral("Lifetime value to cost of …"),
        QStringLiteral("Break-even by month …"),
        QStringLiteral("Cash needed before the plan turns")};
    return titles[indexOf(metric)];
}

QString metricCaption(Metric metric) {
    static const std::array<QString, allMetrics.size()> captions = {
        QStringLiteral("subscribers"),        QStringLiteral("monthly"),
        QStringLiteral("annually"),           QStringLiteral("24mo LTV per trial"),
        QStringLiteral("months to pay back"), QStringLiteral("lifetime value to cost"),
        QStringLiteral("break-even month"),   QStringLiteral("cash needed")};
    return captions[indexOf(metric)];
}

NumberFormatter metricFormatter(Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
        case Metric::PaybackMonths:
        case Metric::BreakEvenMonth:
            return NumberFormatter(Style::Decimal, 0);
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
        case Metric::CashNeeded:
            return NumberFormatter(Style::Currency, 0);
        case Metric::LifetimeValueToCost:
            return NumberFormatter(Style::Decimal, 1);
        case Metric::LifetimeValue:
            break;
    }
    return NumberFormatter(Style::Currency, 2);
}

QString metricPhrase(Metric metric, double value) {
    switch (metric) {
        case Metric::PaybackMonths:
            return std::isinf(value) ? QStringLiteral("never pays back") : paybackText(value);
        case Metric::BreakEvenMonth:
            return std::isinf(value) ? QStringLiteral("no break-even within the months projected")
                                     : QStringLiteral("break-even in ") + monthText(value);
        case Metric::LifetimeValueToCost:
            return ratioText(value) + QStringLiteral(" lifetime value to cost");
        default:
            break;
    }
    return metricFormatter(metric).format(value) + QLatin1Char(' ') + metricCaption(metric);
}

QString goalPhrase(Metric metric, double target) {
    switch (metric) {
        case Metric::PaybackMonths:
            return QStringLiteral("payback within %1 %2")
                .arg(metricFormatter(metric).format(target),
                     target == 1 ? QStringLiteral("month") : QStringLiteral("months"));
        case Metric::BreakEvenMonth:
            return QStringLiteral("break-even by ") + monthText(target);
        default:
            break;
    }
    return metricPhrase(metric, target);
}

QString paybackText(double months) {
    return QStringLiteral("pays back in %1 %2")
        .arg(NumberFormatter(Style::Decimal, 0).format(months),
             months == 1 ? QStringLiteral("month") : QStringLiteral("months"));
}

QString monthText(double month) {
    return QStringLiteral("M") + NumberFormatter(Style::Decimal, 0).format(month);
}

QString ratioText(double ratio) {
    if (!std::isfinite(ratio)) {
        return NumberFormatter(Style::Decimal, 1).format(ratio) + QStringLiteral(" ×");
    }
    return figureLocale().toString(ratio, 'f', 1) + QStringLiteral(" ×");
}

}  // namespace velmora
