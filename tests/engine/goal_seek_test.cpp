#include <cmath>
#include <span>
#include <string>

#include <gtest/gtest.h>

#include "engine/decisions/goal_seek.h"
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
              "subscribers monthlyProceeds annualProceeds lifetimeValue paybackMonths "
              "lifetimeValueToCost breakEvenMonth cashNeeded dailyNewSubs price "
              "trialRetention rt1 rt2 rt3 rt4 rt5 rt6 rtPlus startingSubs costPerTrial ");
    ScenarioValues expected{30, 36, 1, 11, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    expected.costPerTrial = 12;
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
    for (const Metric metric : std::span(allMetrics).first(4)) {  // the summary's figures
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
                // The figure as the table shows it is met without moving anything.
                const double perUnit = std::round(0.5 / shownTolerance(metric));
                check(std::round(shownFigure(metric, values) * perUnit) / perUnit, Outcome::Reached,
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

TEST(GoalSeek, DeadlinesAndUnitEconomics) {
    // One-day months, one trial a day, price 10, trial retention 0.5, every rate
    // 0.5: a payment brings c = 4.25, L(k) = 1, 1.5, 1.75, ...; active(m) =
    // 1 - 0.5^(m + 1), so the cumulative proceeds are 4.25, 10.625, 18.0625,
    // 26.03125, and the spend of a month is the cost of a trial.
    const ScenarioValues base{1, 4, 1, 0, 10, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5, 0.5};
    const struct {
        Metric metric;
        double target;
        Input input;
        double cost;
        Outcome outcome;
        double value;
        double achieved;
    } cases[] = {
        // c x L(3) = 7.4375 is the most a trial may cost; down to 3 decimals within 0.1%
        {Metric::PaybackMonths, 3, Input::CostPerTrial, 8, Outcome::Reached, 7.437, 3},
        // the same budget when the cost, 5, already pays back in time
        {Metric::PaybackMonths, 3, Input::CostPerTrial, 5, Outcome::Reached, 7.437, 3},
        // price x 0.85 x 0.5 x 1.5 >= 7 from 10.98039...; up to 10.99
        {Metric::PaybackMonths, 2, Input::Price, 7, Outcome::Reached, 10.99, 2},
        // by M2 the cost may be 18.0625 / 3 = 6.02083...; down to 6.02
        {Metric::BreakEvenMonth, 2, Input::CostPerTrial, 8, Outcome::Reached, 6.02, 2},
        // a 24-month value of 4.25 x (2 - 2^-22) over 2.8 shows as 3.0
        {Metric::LifetimeValueToCost, 3, Input::CostPerTrial, 8, Outcome::Reached, 2.8,
         (8.5 - 4.25 / 4194304) / 2.8},
        // 0.12 is met within half a hundredth, not the tenth the ratio shows: a
        // price of 1 (0.085) is too far; 1.4 gives 0.119
        {Metric::LifetimeValueToCost, 0.12, Input::Price, 10, Outcome::Reached, 1.4,
         1.4 * (8.5 - 4.25 / 4194304) / 100},
        // at a cost of 9: 4 x 9 - 26.03125 = 9.96875, within half a dollar of 10
        {Metric::CashNeeded, 10, Input::CostPerTrial, 8, Outcome::Reached, 9, 9.96875},
        // already paid back within 3 months: c x L(2) = 6.375 >= 6
        {Metric::PaybackMonths, 3, Input::Price, 6, Outcome::Reached, 10, 2},
        // nothing is paid back in no time; the largest price pays back at once
        {Metric::PaybackMonths, 0, Input::Price, 8, Outcome::Unreachable, 1e9, 1},
        {Metric::PaybackMonths, 3, Input::DailyNewSubs, 8, Outcome::NoEffect, 1, 5},
        {Metric::BreakEvenMonth, 2, Input::Price, 0, Outcome::CannotCompute, 10, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(metricName(c.metric)) + " by " + std::string(inputName(c.input)));
        ScenarioValues values = base;
        values.costPerTrial = c.cost;
        const GoalSeekResult found = seekGoal(values, {c.metric, c.target, c.input});
        ASSERT_EQ(found.outcome, c.outcome) << found.reason;
        EXPECT_DOUBLE_EQ(found.value, c.value);
        EXPECT_NEAR(found.achieved, c.achieved, 1e-9);
    }
}

}  // namespace
}  // namespace velmora
