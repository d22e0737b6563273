#include "ui/charts/chart_data.h"

#include "engine/table/table_figures.h"
#include "format/number_format.h"
#include "inputs/subscription_inputs.h"
#include "ui/charts/chart_style.h"
#include "ui/charts/plan_marks.h"

namespace velmora {

namespace {

QString monthLine(double month, const std::optional<CalendarMonth>& start) {
    const QString calendar = calendarName(start, month);
    return QStringLiteral("Month ") +
           NumberFormatter(NumberFormatter::Style::Decimal, 0).format(month) +
           (calendar.isEmpty() ? QString() : QStringLiteral(" · ") + calendar);
}

// The days, or the first days of the months while the days are being built.
const std::vector<SubscriptionSnapshot>& shownDays(const SubscriptionCalculation& projection) {
    return projection.hasDays() ? projection.snapshots : projection.monthlySnapshots;
}

}  // namespace

std::vector<ChartData> chartPoints(const std::array<ComparedScenario, 3>& scenarios,
                                   UuidGenerator& ids) {
    std::size_t total = 0;
    for (const ComparedScenario& scenario : scenarios) {
        if (!scenario.projection) {
            return {};
        }
        total += shownDays(*scenario.projection).size();
    }
    std::vector<ChartData> points;
    points.reserve(total);
    for (std::size_t index = 0; index < scenarios.size(); ++index) {
        const auto& [projection, price] = scenarios[index];
        const QString name = seriesName(static_cast<int>(index));
        const auto monthDuration =
            projection->hasDays() ? static_cast<double>(projection->monthDuration) : 1.0;
        // Under a plan each month pays its own: what a subscriber brings in it.
        ScenarioValues values = projection->inputs->scenarioValues();
        values.monthDuration = projection->monthDuration;
        const std::vector<double> perSubscriber =
            plansProjection(values)
                ? proceedsPerSubscriber(values, projection->monthlySnapshots, price)
                : std::vector<double>{};
        for (const SubscriptionSnapshot& snapshot : shownDays(*projection)) {
            const double active = snapshot.active;
            const double month = static_cast<double>(snapshot.epoch) / monthDuration;
            const auto whole = static_cast<std::size_t>(month);
            points.push_back({ids.next(), name, month, active,
                              whole < perSubscriber.size() ? active * perSubscriber[whole]
                                                           : (active * proceedsShare) * price});
        }
    }
    return points;
}

std::vector<ChartData> chartPoints(const SubscriptionInputs& baseline,
                                   const SubscriptionInputs& input1,
                                   const SubscriptionInputs& input2, UuidGenerator& ids) {
    // The shared pointers keep the projections alive while the points are made.
    const auto first = baseline.projection();
    const auto second = input1.projection();
    const auto third = input2.projection();
    return chartPoints({ComparedScenario{first.get(), baseline.price()},
                        ComparedScenario{second.get(), input1.price()},
                        ComparedScenario{third.get(), input2.price()}},
                       ids);
}

std::vector<double> xAxisValues(double end) {
    std::vector<double> marks;
    for (std::size_t k = 0; k < maxAxisMarks; ++k) {
        const double mark = static_cast<double>(k) * 12;
        if (!(mark < end)) {
            break;
        }
        marks.push_back(mark);
    }
    return marks;
}

std::vector<double> xAxisValues(const SubscriptionInputs& baseline) {
    return xAxisValues(baseline.monthsToProject());
}

QString simpleChartTip(double month, double active, const std::optional<CalendarMonth>& start) {
    return monthLine(month, start) + QLatin1Char('\n') +
           NumberFormatter(NumberFormatter::Style::Decimal, 0).format(active) +
           QStringLiteral(" active");
}

QString cohortChartTip(double month, std::int64_t cohort, double count, double total,
                       const std::optional<CalendarMonth>& start) {
    const NumberFormatter subscribers(NumberFormatter::Style::Decimal, 0);
    return monthLine(month, start) + QStringLiteral(", cohort ") + QString::number(cohort) +
           QLatin1Char('\n') + subscribers.format(count) + QStringLiteral(" subscribers (of ") +
           subscribers.format(total) + QLatin1Char(')');
}

QString comparisonChartTip(double month, const std::vector<SeriesIncome>& series,
                           const std::optional<CalendarMonth>& start) {
    const NumberFormatter money(NumberFormatter::Style::Currency, 0);
    QString tip = monthLine(month, start);
    for (const SeriesIncome& line : series) {
        tip += QLatin1Char('\n') + line.name + QLatin1Char(' ') + money.format(line.income);
    }
    return tip;
}

}  // namespace velmora
