#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/closed_form.h"
#include "engine/monthly_projection.h"
#include "engine/table_figures.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

/// The sum of the magnitudes of the counts added up on the first day of
/// `month`: the figure itself plus twice what a negative rest group takes away.
double termMagnitude(const ScenarioValues& values, double active, std::size_t month) {
    if (!(values.startingSubs > 0)) {
        return std::abs(active);
    }
    const auto md = static_cast<double>(values.monthDuration);
    const auto rates = values.retentionRates();
    double groups = 0;
    double cohort = values.dailyNewSubs * values.trialRetention;
    for (std::size_t group = 0; group + 1 < rates.size(); ++group) {
        groups += cohort;
        cohort *= rates[group];
    }
    const double rest = (values.startingSubs - md * groups) / md;
    const double later = std::pow(values.rtPlus, static_cast<double>(month));
    return std::abs(active) + 2 * (md - 1 + values.rtPlus) * later * std::max(-rest, 0.0);
}

/// Compares every month with the day-by-day projection, whose first days
/// `monthlyActives` gives bit for bit; `share(month)` of the magnitude of the
/// counts summed that day is the difference allowed.
template <typename Share>
void expectAgreement(const ScenarioValues& values, Share share) {
    SCOPED_TRACE(values.currentKey());
    const std::vector<double> exact = monthlyActives(values);
    const MonthlyFigures closed = closedFormFigures(values);
    ASSERT_EQ(closed.active.size(), exact.size());
    ASSERT_EQ(closed.proceeds.size(), exact.size());
    for (std::size_t m = 0; m < exact.size(); ++m) {
        ASSERT_LE(std::abs(closed.active[m] - exact[m]),
                  share(m) * termMagnitude(values, exact[m], m))
            << "month " << m << ": " << closed.active[m] << " for " << exact[m];
        ASSERT_EQ(closed.proceeds[m], monthlyProceeds(closed.active[m], values.price));
    }
}

TEST(ClosedForm, AgreesWithTheDayByDayProjection) {
    const std::int64_t monthDurations[] = {1, 2, 7, 30, 31, 365};
    // Not seeded (0, negative, NaN); fewer than the six seeded months hold, so
    // the rest group is negative; about as many; far more.
    const double startingSubs[] = {0, -40, nan, 1, 3000, 2e6};
    const double months[] = {0, 0.5, 1, 2.9, 37, 600};
    const double specialRates[] = {0, 1, 1.3};
    int scenario = 0;
    for (const std::int64_t monthDuration : monthDurations) {
        for (const double starting : startingSubs) {
            for (const double monthCount : months) {
                ScenarioValues values;
                values.monthDuration = monthDuration;
                values.startingSubs = starting;
                values.monthsToProject = monthCount;
                double* rates[] = {&values.trialRetention,
                                   &values.rt1,
                                   &values.rt2,
                                   &values.rt3,
                                   &values.rt4,
                                   &values.rt5,
                                   &values.rt6,
                                   &values.rtPlus};
                *rates[scenario % std::size(rates)] = specialRates[scenario % 3];
                ++scenario;
                expectAgreement(values, [](std::size_t) { return 1e-12; });
            }
        }
    }
    ScenarioValues empty;
    empty.monthDuration = 0;
    empty.startingSubs = 100;
    EXPECT_TRUE(closedFormFigures(empty).active.empty());
}

TEST(ClosedForm, DiffersFromLongDayByDaySumsByTheirRounding) {
    // Many equal counts added one by one: the day-by-day sum of K counts may be
    // off by K units of 2^-53 of their magnitude (1.5e-12 of it at 30 days).
    const std::tuple<std::int64_t, double, double, double> cases[] = {
        {30, 1e7, 0.65, 1}, {365, 1e7, 0.65, 1}, {364, 1, 1.5, 2}};
    for (const auto& [monthDuration, starting, rt1, rtPlus] : cases) {
        ScenarioValues values;
        values.monthsToProject = 600;
        values.monthDuration = monthDuration;
        values.startingSubs = starting;
        values.rt1 = rt1;
        values.rtPlus = rtPlus;
        expectAgreement(values, [&](std::size_t month) {
            const auto counts = static_cast<double>((month + 7) * monthDuration + 1);
            return counts * std::numeric_limits<double>::epsilon();
        });
    }
}

}  // namespace
}  // namespace velmora
