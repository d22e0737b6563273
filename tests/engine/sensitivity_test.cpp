#include <algorithm>
#include <cmath>
#include <set>

#include <gtest/gtest.h>

#include "engine/decisions/sensitivity.h"
#include "support/shown_figure.h"

namespace velmora {
namespace {

TEST(Sensitivity, EachInputAtNinetyAndAHundredAndTenPercentLargestEffectFirst) {
    ScenarioValues seeded;
    seeded.startingSubs = 5000;
    seeded.monthsToProject = 48;
    seeded.rt6 = 0.93;
    const std::pair<ScenarioValues, Metric> cases[] = {{ScenarioValues{}, Metric::MonthlyProceeds},
                                                       {seeded, Metric::Subscribers},
                                                       {seeded, Metric::LifetimeValue}};
    for (const auto& [values, metric] : cases) {
        SCOPED_TRACE(metricName(metric));
        const auto result = sensitivity(values, metric);
        ASSERT_TRUE(result);
        const double base = shownFigure(metric, values);
        EXPECT_EQ(result->base, base);
        ASSERT_EQ(result->bars.size(), 12u);
        std::set<Input> inputs;
        double previous = INFINITY;
        for (const SensitivityBar& bar : result->bars) {
            SCOPED_TRACE(inputName(bar.input));
            inputs.insert(bar.input);
            ScenarioValues down = values;
            ScenarioValues up = values;
            inputField(down, bar.input) *= 0.9;
            inputField(up, bar.input) *= 1.1;
            if (isRate(bar.input)) {  // on the churn, which stays within 0 to 1 here
                inputField(down, bar.input) = 1 - 0.9 * (1 - inputValue(values, bar.input));
                inputField(up, bar.input) = 1 - 1.1 * (1 - inputValue(values, bar.input));
            }
            EXPECT_EQ(bar.churn, isRate(bar.input));
            EXPECT_FALSE(bar.upCapped || bar.downCapped);
            EXPECT_EQ(bar.downValue, inputValue(down, bar.input));
            EXPECT_EQ(bar.upValue, inputValue(up, bar.input));
            // The changes come from the closed form, within 1e-12 of each figure.
            EXPECT_NEAR(bar.down, shownFigure(metric, down) - base, 4e-12 * std::abs(base));
            EXPECT_NEAR(bar.up, shownFigure(metric, up) - base, 4e-12 * std::abs(base));
            const double effect = std::max(std::abs(bar.down), std::abs(bar.up));
            EXPECT_LE(effect, previous);
            previous = effect;
        }
        EXPECT_EQ(inputs.size(), 12u);
    }
    // Equal effects keep the inputs' order: neither count nor the cost moves the lifetime value.
    const auto lifetime = sensitivity(seeded, Metric::LifetimeValue);
    EXPECT_EQ(lifetime->bars[9].input, Input::DailyNewSubs);
    EXPECT_EQ(lifetime->bars[10].input, Input::StartingSubs);
    EXPECT_EQ(lifetime->bars[11].input, Input::CostPerTrial);
    EXPECT_EQ(lifetime->bars[10].up, 0);
}

TEST(Sensitivity, SharesMoveOnTheirChurnNeverPastZeroOrOne) {
    const struct {
        double share;
        double factor;
        double moved;
        bool held;
    } cases[] = {
        {0.95, 0.9, 0.955, false},  // churn 0.05 to 0.045
        {0.95, 1.1, 0.945, false},  // churn 0.05 to 0.055
        {0, 0.9, 0.1, false},       // churn 1 to 0.9
        {0, 1.1, 0, true},          // churn 1.1 would take it below 0
        {1, 0.9, 1, false},         // no churn moves nowhere
        {1, 1.1, 1, false},
        {1.05, 0.9, 1.045, false},  // churn -0.05 to -0.045: back towards 1
        {1.05, 1.1, 1.05, true},    // churn -0.055 would take it further out
        {-0.05, 0.9, 0, true},      // 0.055 would be past 0
        {-0.05, 1.1, -0.05, true},  // -0.155 would be further out
    };
    for (const auto& c : cases) {
        bool held = false;
        EXPECT_NEAR(movedShare(c.share, c.factor, held), c.moved, 1e-15)
            << c.share << " x " << c.factor;
        EXPECT_EQ(held, c.held) << c.share << " x " << c.factor;
    }
    ScenarioValues later;  // --rest 1.05: the step that would raise it changes nothing
    later.rtPlus = 1.05;
    const auto result = sensitivity(later, Metric::Subscribers);
    const auto bar = std::find_if(result->bars.begin(), result->bars.end(),
                                  [](const SensitivityBar& b) { return b.input == Input::RtPlus; });
    EXPECT_EQ(bar->upValue, 1.05);
    EXPECT_TRUE(bar->upCapped);
    EXPECT_EQ(bar->up, 0);
    EXPECT_LT(bar->down, 0);
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
