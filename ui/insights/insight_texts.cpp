#include "ui/insights/insight_texts.h"

#include <array>

#include "ui/common/field_titles.h"

namespace velmora {

namespace {

using Field = SubscriptionInputs::Field;
using Style = NumberFormatter::Style;

constexpr std::array<Field, allInputs.size()> fields = {
    Field::DailyNewSubs, Field::Price,       Field::TrialRetention,
    Field::Rt1,          Field::Rt2,         Field::Rt3,
    Field::Rt4,          Field::Rt5,         Field::Rt6,
    Field::RtPlus,       Field::StartingSubs};

std::size_t indexOf(Metric metric) {
    return static_cast<std::size_t>(metric);
}

}  // namespace

SubscriptionInputs::Field fieldOf(Input input) {
    return fields[static_cast<std::size_t>(input)];
}

QString inputTitle(Input input) {
    return fieldTitle(fieldOf(input));
}

QString metricTitle(Metric metric) {
    static const std::array<QString, allMetrics.size()> titles = {
        QStringLiteral("Subscribers in the last month"),
        QStringLiteral("Monthly proceeds in the last month"),
        QStringLiteral("Annual proceeds in the last month"),
        QStringLiteral("24-month lifetime value of one trial")};
    return titles[indexOf(metric)];
}

QString metricCaption(Metric metric) {
    static const std::array<QString, allMetrics.size()> captions = {
        QStringLiteral("subscribers"), QStringLiteral("monthly"), QStringLiteral("annually"),
        QStringLiteral("24mo LTV per trial")};
    return captions[indexOf(metric)];
}

NumberFormatter metricFormatter(Metric metric) {
    switch (metric) {
        case Metric::Subscribers:
            return NumberFormatter(Style::Decimal, 0);
        case Metric::MonthlyProceeds:
        case Metric::AnnualProceeds:
            return NumberFormatter(Style::Currency, 0);
        case Metric::LifetimeValue:
            break;
    }
    return NumberFormatter(Style::Currency, 2);
}

QString metricPhrase(Metric metric, double value) {
    return metricFormatter(metric).format(value) + QLatin1Char(' ') + metricCaption(metric);
}

}  // namespace velmora
