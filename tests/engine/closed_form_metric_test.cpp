#include <cmath>

#include <gtest/gtest.h>

#include "engine/metrics.h"

namespace velmora {
namespace {

// The decision tools search with the closed form: every metric must be the
// summary's, to the closed form's rounding, and missing where it is.
TEST(ClosedFormMetric, EveryMetricAsTheSummaryGivesIt) {
    ScenarioValues seeded{.monthsToProject = 600, .startingSubs = 5000, .costPerTrial = 3};
    ScenarioValues odd{.monthDuration = 7, .monthsToProject = 50, .price = 4.5, .rtPlus = 1};
    odd.costPerTrial = 9;
    const ScenarioValues empty{.monthsToProject = 0};
    for (const ScenarioValues& values : {ScenarioValues{}, seeded, odd, empty}) {
        for (const Metric metric : allMetrics) {
            SCOPED_TRACE(std::string(metricName(metric)) + " over " +
                         std::to_string(values.monthsToProject) + " months");
            const auto exact = metricValue(metric, values);
            const auto closed = closedFormMetricValue(metric, values);
            ASSERT_EQ(closed.has_value(), exact.has_value());
            if (exact && std::isfinite(*exact)) {
                EXPECT_NEAR(*closed, *exact, 1e-12 * std::abs(*exact));
            } else if (exact) {
                EXPECT_EQ(*closed, *exact);
            }
        }
    }
}

}  // namespace
}  // namespace velmora
