#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "engine/projection/closed_form.h"
#include "engine/projection/monthly_projection.h"
#include "engine/table/table_figures.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

/// The sum of the magnitudes of the counts added up on the first day of
/// `month`: the figure plus twice what a negative rest group takes away.
double termMagnitude(const ScenarioValues& values, double active, std::size_t month) {
    const auto md = static_cast<double>(values.monthDuration);
    const auto rates = values.retentionRates();
    double groups = 0;
    double cohort = values.dailyNewSubs * values.trialRetention;
    for (std::size_t group = 0; group + 1 < rates.size(); ++group) {
        groups += cohort;
        cohort *= rates[group];
    }
    const double rest = values.startingSubs > 0 ? (values.startingSubs - md * groups) / md : 0;
    const double later = std::pow(values.rtPlus, static_cast<double>(month));
    return std::abs(active) + 2 * (md - 1 + values.rtPlus) * later * std::max(-rest, 0.0);
}

TEST(ClosedForm, AgreesWithTheDayByDayProjection) {
    // Starting subscribers that seed nothing (0, negative, NaN), fewer than the
    // six seeded months hold (a negative rest group), about as many, far more;
    // a rate of 0, 1 or above 1 at a place that moves along the rates.
    std::vector<ScenarioValues> table =
        scenarioGrid({0, 1, 2, 7, 30, 31, 365}, {0.0, -40.0, std::nan(""), 1.0, 3000.0, 2e6},
                     {0.0, 0.5, 1.0, 2.9, 37.0, 600.0}, {0.0, 1.0, 1.3});
    // Beyond it, hundreds of months of equal counts that the day-by-day sum
    // rounds alike: off by up to K units of 2^-52, K the counts it adds.
    const std::size_t withinTable = table.size();
    for (const auto& [monthDuration, starting, rt1, rtPlus] :
         {std::tuple{30, 1e7, 0.65, 1.0}, {365, 1e7, 0.65, 1.0}, {364, 1.0, 1.5, 2.0}}) {
        table.push_back({.monthDuration = monthDuration,
                         .monthsToProject = 600,
                         .startingSubs = starting,
                         .rt1 = rt1,
                         .rtPlus = rtPlus});
    }
    for (std::size_t row = 0; row < table.size(); ++row) {
        const ScenarioValues& values = table[row];
        SCOPED_TRACE(values.currentKey() + " md " + std::to_string(values.monthDuration));
        const std::vector<double> exact = monthlyActives(values);  // bit for bit, tested
        const MonthlyFigures closed = closedFormFigures(values);
        ASSERT_EQ(closed.active.size(), exact.size());
        ASSERT_EQ(closed.proceeds.size(), exact.size());
        for (std::size_t m = 0; m < exact.size(); ++m) {
            const auto counts = static_cast<double>((m + 7) * values.monthDuration + 1);
            const double share =
                row < withinTable ? 1e-12 : counts * std::numeric_limits<double>::epsilon();
            ASSERT_LE(std::abs(closed.active[m] - exact[m]),
                      share * termMagnitude(values, exact[m], m))
                << "month " << m << ": " << closed.active[m] << " for " << exact[m];
            ASSERT_EQ(closed.proceeds[m], monthlyProceeds(closed.active[m], values.price));
        }
    }
}

}  // namespace
}  // namespace velmora
