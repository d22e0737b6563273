#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "engine/sensitivity.h"
#include "support/shown_figure.h"

namespace velmora {
namespace {

TEST(Sensitivity, EachInputAtNinetyAndAHundredAndTenPercentLargestEffectFirst) {
    ScenarioValues seeded;
    seeded.startingSubs = 5000;
    seeded.monthsToProject = 48;
    seeded.rt6 = 0.93;  // as rtPlus, capped at 1 when moved up
    const std::pair<ScenarioValues, Metric> cases[] = {{ScenarioValues{}, Metric::MonthlyProceeds},
                                                       {seeded, Metric::Subscribers},
                                                       {seeded, Metric::LifetimeValue}};
    for (const auto& [values, metric] : cases) {
        SCOPED_TRACE(metricName(metric));
        const auto result = sensitivity(values, metric);
        ASSERT_TRUE(result);
        const double base = shownFigure(metric, values);
        EXPECT_EQ(result->base, base);
        ASSERT_EQ(result->bars.size(), 11u);
        std::set<Input> inputs;
        double previous = INFINITY;
        for (const SensitivityBar& bar : result->bars) {
            SCOPED_TRACE(inputName(bar.input));
            inputs.insert(bar.input);
            ScenarioValues down = values;
            ScenarioValues up = values;
            inputField(down, bar.input) *= 0.9;
            inputField(up, bar.input) *= 1.1;
            const bool capped = isRate(bar.input) && inputValue(up, bar.input) > 1;
            if (capped) {
                inputField(up, bar.input) = 1;
            }
            EXPECT_EQ(bar.upCapped, capped);
            EXPECT_EQ(bar.downValue, inputValue(down, bar.input));
            EXPECT_EQ(bar.upValue, inputValue(up, bar.input));
            EXPECT_EQ(bar.down, shownFigure(metric, down) - base);
            EXPECT_EQ(bar.up, shownFigure(metric, up) - base);
            const double effect = std::max(std::abs(bar.down), std::abs(bar.up));
            EXPECT_LE(effect, previous);
            previous = effect;
        }
        EXPECT_EQ(inputs.size(), 11u);
    }
    // Equal effects keep the inputs' order: neither count moves the lifetime value.
    const auto lifetime = sensitivity(seeded, Metric::LifetimeValue);
    EXPECT_EQ(lifetime->bars[9].input, Input::DailyNewSubs);
    EXPECT_EQ(lifetime->bars[10].input, Input::StartingSubs);
    EXPECT_EQ(lifetime->bars[10].up, 0);
}

TEST(Sensitivity, NothingWhenStoppedOrWithoutAMonth) {
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(sensitivity({}, Metric::Subscribers, stop.get_token()));
    ScenarioValues none;
    none.monthsToProject = 0;
    EXPECT_FALSE(sensitivity(none));
    EXPECT_TRUE(sensitivity(none, Metric::LifetimeValue));
}

}  // namespace
}  // namespace velmora
