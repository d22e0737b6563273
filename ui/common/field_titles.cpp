#include "ui/common/field_titles.h"

namespace velmora {

QString fieldTitle(SubscriptionInputs::Field field) {
    using Field = SubscriptionInputs::Field;
    switch (field) {
        case Field::MonthsToProject:
            return QStringLiteral("Months to Project");
        case Field::DailyNewSubs:
            return QStringLiteral("Daily Trials");
        case Field::StartingSubs:
            return QStringLiteral("Starting Subscribers");
        case Field::Price:
            return QStringLiteral("Price");
        case Field::TrialRetention:
            return QStringLiteral("Trial Retention");
        case Field::CostPerTrial:
            return QStringLiteral("Cost per Trial");
        default:
            return QStringLiteral("Retention Rate ") + rateColumnTitle(field);
    }
}

QString rateColumnTitle(SubscriptionInputs::Field field) {
    using Field = SubscriptionInputs::Field;
    if (field == Field::RtPlus) {
        return QStringLiteral("Rest");
    }
    if (field >= Field::Rt1 && field <= Field::Rt6) {
        return QString::number(static_cast<int>(field) - static_cast<int>(Field::Rt1) + 1);
    }
    return {};
}

QString planInputTitle(PlanInput input) {
    using Field = SubscriptionInputs::Field;
    switch (input) {
        case PlanInput::DailyNewSubs:
            return fieldTitle(Field::DailyNewSubs);
        case PlanInput::Price:
            return fieldTitle(Field::Price);
        case PlanInput::TrialRetention:
            return fieldTitle(Field::TrialRetention);
        case PlanInput::CostPerTrial:
            return fieldTitle(Field::CostPerTrial);
    }
    return {};
}

}  // namespace velmora
