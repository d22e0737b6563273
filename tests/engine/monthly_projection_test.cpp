#include <limits>

#include <gtest/gtest.h>

#include "engine/calculation.h"
#include "engine/monthly_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(MonthlyProjection, AgreesBitForBitWithTheEngine) {
    const std::int64_t monthDurations[] = {1, 2, 7, 30, 31, 40};
    const double startingSubs[] = {0, 3, 250000, -40, nan};
    const double months[] = {0, 0.5, 1, 36, 37.9};
    const double specialRates[] = {0, 1, 1.3, nan};
    int scenario = 0;
    for (const std::int64_t monthDuration : monthDurations) {
        for (const double starting : startingSubs) {
            for (const double monthCount : months) {
                ScenarioValues values;
                values.monthDuration = monthDuration;
                values.startingSubs = starting;
                values.monthsToProject = monthCount;
                // Each special rate in turn, at a position that moves along the
                // trial retention and the seven renewal rates.
                double* rates[] = {&values.trialRetention,
                                   &values.rt1,
                                   &values.rt2,
                                   &values.rt3,
                                   &values.rt4,
                                   &values.rt5,
                                   &values.rt6,
                                   &values.rtPlus};
                *rates[scenario % std::size(rates)] = specialRates[scenario % 4];
                ++scenario;

                UuidGenerator ids;
                const auto expected = projectScenario(values, ids).monthlySnapshots;
                const std::vector<double> actual = monthlyActives(values);
                SCOPED_TRACE(values.currentKey() + " md " + std::to_string(monthDuration));
                ASSERT_EQ(actual.size(), expected.size());
                for (std::size_t i = 0; i < actual.size(); ++i) {
                    ASSERT_TRUE(sameNumber(actual[i], expected[i].active))
                        << "month " << i << ": " << actual[i] << " for " << expected[i].active;
                }
                const auto last = lastMonthActive(values);
                ASSERT_EQ(last.has_value(), !expected.empty());
                if (last) {
                    EXPECT_TRUE(sameNumber(*last, expected.back().active));
                }
            }
        }
    }
}

}  // namespace
}  // namespace velmora
