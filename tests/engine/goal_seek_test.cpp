#include <string>

#include <gtest/gtest.h>

#include "engine/goal_seek.h"
#include "support/shown_figure.h"

namespace velmora {
namespace {

using Outcome = GoalSeekResult::Outcome;

TEST(Metrics, NamesAndFieldsAreTheScenariosOwn) {
    std::string names;
    for (const Metric metric : allMetrics) {
        names += std::string(metricName(metric)) + " ";
        EXPECT_EQ(metricFromName(metricName(metric)), metric);
    }
    ScenarioValues values;
    for (const Input input : allInputs) {
        names += std::string(inputName(input)) + " ";
        EXPECT_EQ(inputFromName(inputName(input)), input);
        inputField(values, input) = static_cast<double>(input) + 1;
    }
    EXPECT_EQ(names,
              "subscribers monthlyProceeds annualProceeds lifetimeValue dailyNewSubs price "
              "trialRetention rt1 rt2 rt3 rt4 rt5 rt6 rtPlus startingSubs ");
    const ScenarioValues expected{30, 36, 1, 11, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(values, expected);
    EXPECT_EQ(metricFromName("Subscribers"), std::nullopt) << "names are case-sensitive";
    EXPECT_EQ(inputFromName("rt7"), std::nullopt);
}

TEST(GoalSeek, ReachesEveryReachableTargetAndNamesTheNearestOtherwise) {
    ScenarioValues values;
    values.startingSubs = 5000;
    ScenarioValues secret = values;  // the values whose figures become the targets
    secret.dailyNewSubs = 250, secret.price = 3.49, secret.trialRetention = 0.4;
    secret.rt1 = secret.rt2 = secret.rt3 = 0.5, secret.rt4 = secret.rt5 = secret.rt6 = 0.6;
    secret.rtPlus = 0.8, secret.startingSubs = 12000;
    for (const Metric metric : allMetrics) {
        for (const Input input : allInputs) {
            SCOPED_TRACE(std::string(metricName(metric)) + " by " + std::string(inputName(input)));
            const InputRange range = inputRange(input);
            const auto check = [&](double target, Outcome outcome, double value) {
                const GoalSeekResult found = seekGoal(values, {metric, target, input});
                ASSERT_EQ(found.outcome, outcome) << found.reason << " " << target;
                ScenarioValues applied = values;
                inputField(applied, input) = found.value;
                EXPECT_EQ(found.achieved, shownFigure(metric, applied));
                if (outcome == Outcome::Reached) {
                    EXPECT_LT(std::abs(found.achieved - target), shownTolerance(metric));
                } else {
                    EXPECT_EQ(found.value, value);
                    EXPECT_FALSE(found.reason.empty());
                }
            };
            if (!moves(input, metric)) {
                check(shownFigure(metric, values) + 0.1 * shownTolerance(metric), Outcome::Reached,
                      0);
                check(shownFigure(metric, values) + 100, Outcome::NoEffect,
                      inputValue(values, input));
                continue;
            }
            ScenarioValues moved = values;
            inputField(moved, input) = inputValue(secret, input);
            check(shownFigure(metric, moved), Outcome::Reached, 0);
            check(-1000, Outcome::Unreachable, range.low);
            inputField(moved, input) = range.high;
            check(shownFigure(metric, moved) * 2 + 100, Outcome::Unreachable, range.high);
        }
    }
}

TEST(GoalSeek, WorksOnLongProjectionsStopsWhenAskedAndNeedsAMonth) {
    ScenarioValues values;
    values.monthsToProject = 600;
    values.startingSubs = 5000;
    const GoalSeekResult found = seekGoal(values, {Metric::Subscribers, 25000, Input::RtPlus});
    ASSERT_TRUE(found.reached()) << found.reason;
    values.rtPlus = found.value;
    EXPECT_LT(std::abs(shownFigure(Metric::Subscribers, values) - 25000), 0.5);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_EQ(seekGoal(values, {}, stop.get_token()).outcome, Outcome::Cancelled);
    values.monthsToProject = 0.5;
    EXPECT_EQ(seekGoal(values, {}).outcome, Outcome::CannotCompute);
    const GoalSeekResult none = seekGoal(values, {Metric::LifetimeValue, 0, Input::TrialRetention});
    EXPECT_TRUE(none.reached()) << "the lifetime value needs no month";
    EXPECT_EQ(none.value, 0);
}

}  // namespace
}  // namespace velmora
