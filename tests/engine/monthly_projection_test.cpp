#include <limits>

#include <gtest/gtest.h>

#include "engine/projection/calculation.h"
#include "engine/projection/monthly_projection.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(MonthlyProjection, AgreesBitForBitWithTheEngine) {
    for (const ScenarioValues& values :
         scenarioGrid({1, 2, 7, 30, 31, 40}, {0, 3, 250000, -40, nan}, {0, 0.5, 1, 36, 37.9},
                      {0, 1, 1.3, nan})) {
        UuidGenerator ids;
        const auto expected = projectScenario(values, ids).monthlySnapshots;
        const std::vector<double> actual = monthlyActives(values);
        SCOPED_TRACE(values.currentKey() + " md " + std::to_string(values.monthDuration));
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

}  // namespace
}  // namespace velmora
