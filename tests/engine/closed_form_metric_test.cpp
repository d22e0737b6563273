#include <cmath>

#include <gtest/gtest.h>

#include "engine/decisions/metrics.h"
#include "support/same_figures.h"

namespace velmora {
namespace {

// The decision tools search with the closed form: every metric is the
// summary's to its rounding, and missing where the summary's is.
TEST(ClosedFormMetric, EveryMetricAsTheSummaryGivesIt) {
    const ScenarioValues seeded{.monthsToProject = 600, .startingSubs = 5000, .costPerTrial = 3};
    const ScenarioValues weekly{.monthDuration = 7, .price = 4.5, .rtPlus = 1, .costPerTrial = 9};
    for (const ScenarioValues& values : {seeded, weekly, ScenarioValues{.monthsToProject = 0}}) {
        for (const Metric metric : allMetrics) {
            SCOPED_TRACE(metricName(metric));
            const auto exact = metricValue(metric, values);
            const auto closed = closedFormMetricValue(metric, values);
            ASSERT_EQ(closed.has_value(), exact.has_value());
            if (exact) {  // "never" is +infinity in both
                EXPECT_TRUE(*closed == *exact || relativelyNear(*closed, *exact))
                    << *closed << " against " << *exact;
            }
        }
    }
}

}  // namespace
}  // namespace velmora
