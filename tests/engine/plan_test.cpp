#include <cmath>

#include <gtest/gtest.h>

#include "engine/projection/plan.h"
#include "engine/projection/scenario.h"

namespace velmora {
namespace {

ScenarioValues planned(Plan plan) {
    ScenarioValues values;
    values.dailyNewSubs = 100;
    values.price = 2;
    values.trialRetention = 0.5;
    values.costPerTrial = 1;
    values.plan = std::move(plan);
    return values;
}

std::array<double, 12> seasons() {
    return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
}

TEST(Plan, InputsOfEachMonth) {
    const Plan changes{.changes = {{PlanInput::DailyNewSubs, 3, 50},
                                   {PlanInput::DailyNewSubs, 1, 70},
                                   {PlanInput::Price, 2, 3},
                                   {PlanInput::TrialRetention, 4, 0.25},
                                   {PlanInput::CostPerTrial, 1, 4}}};
    const Plan growth{.growthPercent = 10, .growthUntil = 2};
    const Plan season{.startMonth = CalendarMonth{2026, 11}, .seasonality = seasons()};
    struct Case {
        const char* name;
        Plan plan;
        std::int64_t month;
        double trials, price, conversion, cost;
    };
    const Case cases[] = {
        {"M0 keeps the scenario's values", changes, 0, 100, 2, 0.5, 1},
        {"a change from its month on", changes, 1, 70, 2, 0.5, 4},
        {"the latest change, given out of order", changes, 3, 50, 3, 0.5, 4},
        {"every change in force", changes, 9, 50, 3, 0.25, 4},
        {"growth compounds", growth, 1, 100 * 1.1, 2, 0.5, 1},
        {"growth stops after its month", growth, 7, 100 * std::pow(1.1, 2), 2, 0.5, 1},
        {"the season of M0's calendar month", season, 0, 1100, 2, 0.5, 1},
        {"seasons wrap into January", season, 2, 100, 2, 0.5, 1},
        {"a year on, the same season", season, 13, 1200, 2, 0.5, 1},
        {"no plan", Plan{}, 5, 100, 2, 0.5, 1},
    };
    for (const Case& c : cases) {
        const ScenarioValues values = planned(c.plan);
        EXPECT_DOUBLE_EQ(trialsPerDay(values, c.month), c.trials) << c.name;
        EXPECT_EQ(priceIn(values, c.month), c.price) << c.name;
        EXPECT_EQ(conversionIn(values, c.month), c.conversion) << c.name;
        EXPECT_EQ(costIn(values, c.month), c.cost) << c.name;
    }
    const MonthlyInputs inputs = monthlyInputs(planned(changes), 5);
    ASSERT_EQ(inputs.newCohort.size(), 5u);
    EXPECT_EQ(inputs.newCohort[4], 50 * 0.25);
    EXPECT_EQ(inputs.price[1], 2);
    EXPECT_EQ(inputs.cost[1], 4);
}

TEST(Plan, ProblemsNameWhatIsWrong) {
    const auto change = [](PlanInput input, std::int64_t month, double value) {
        return Plan{.changes = {{input, month, value}}};
    };
    struct Case {
        Plan plan;
        const char* problem;  ///< nullptr: a good plan
    };
    const Case cases[] = {
        {Plan{}, nullptr},
        {Plan{.growthPercent = -99.5, .growthUntil = 0}, nullptr},
        {Plan{.growthPercent = -100}, "The monthly growth must be a number above -100%."},
        {Plan{.growthPercent = 1, .growthUntil = -1},
         "Growth must stop at a month from M0 to M12000."},
        {Plan{.seasonality = seasons()}, "Seasons need the calendar month of M0."},
        {Plan{.startMonth = CalendarMonth{2026, 13}},
         "The first month must be a month from January to December of a year from 1 to 9999."},
        {Plan{.startMonth = CalendarMonth{2026, 1},
              .seasonality = std::array<double, 12>{1, 1, 1, -1, 1, 1, 1, 1, 1, 1, 1, 1}},
         "Every seasonal factor must be a number of 0 or more."},
        {change(PlanInput::Price, 0, 3),
         "The change of price at M0 must be at a month from M1 to M12000."},
        {change(PlanInput::DailyNewSubs, 2, -1),
         "The change of dailyNewSubs at M2 must be a number of 0 or more."},
        {change(PlanInput::TrialRetention, 2, 1.5),
         "The change of trialRetention at M2 must be a share from 0 to 1."},
        {Plan{.changes = {{PlanInput::Price, 2, 3}, {PlanInput::CostPerTrial, 2, 3}}}, nullptr},
        {Plan{.changes = {{PlanInput::Price, 2, 3}, {PlanInput::Price, 2, 4}}},
         "The change of price at M2 is given twice."},
    };
    for (const Case& c : cases) {
        const auto problem = planProblem(c.plan);
        if (c.problem) {
            EXPECT_EQ(problem.value_or("none"), c.problem);
        } else {
            EXPECT_EQ(problem, std::nullopt) << *problem;
        }
    }
}

TEST(Plan, EmptinessAndTheKey) {
    const ScenarioValues none;
    struct Case {
        const char* name;
        Plan plan;
        bool empty;
        bool changesKey;
    };
    const Case cases[] = {
        {"nothing set", Plan{}, true, false},
        {"no growth and seasons of 1",
         Plan{.growthPercent = 0,
              .growthUntil = 3,
              .startMonth = CalendarMonth{2026, 4},
              .seasonality = std::array<double, 12>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1},
              .priceChangesApply = PriceChangesApply::NewSubscribers},
         true, false},
        {"a cost changes no projection", Plan{.changes = {{PlanInput::CostPerTrial, 2, 3}}}, false,
         false},
        {"growth", Plan{.growthPercent = 1}, false, true},
        {"seasons", Plan{.startMonth = CalendarMonth{2026, 4}, .seasonality = seasons()}, false,
         true},
        {"a price change", Plan{.changes = {{PlanInput::Price, 2, 3}}}, false, true},
    };
    for (const Case& c : cases) {
        ScenarioValues values;
        values.plan = c.plan;
        EXPECT_EQ(c.plan.isEmpty(), c.empty) << c.name;
        EXPECT_EQ(values.currentKey() != none.currentKey(), c.changesKey) << c.name;
        EXPECT_EQ(plansProjection(values), c.changesKey) << c.name;
    }

    // Keys tell apart every value the projection reads, whatever the changes' order.
    const Plan base{.changes = {{PlanInput::Price, 2, 3}, {PlanInput::DailyNewSubs, 4, 9}}};
    Plan reordered = base;
    std::swap(reordered.changes[0], reordered.changes[1]);
    EXPECT_EQ(base.key(), reordered.key());
    const Plan others[] = {
        Plan{.changes = {{PlanInput::Price, 3, 3}, {PlanInput::DailyNewSubs, 4, 9}}},
        Plan{
            .changes = {{PlanInput::Price, 2, 3}, {PlanInput::DailyNewSubs, 4, 9.000000000000002}}},
        Plan{.priceChangesApply = PriceChangesApply::NewSubscribers, .changes = base.changes},
        Plan{.growthPercent = 1, .changes = base.changes},
        Plan{.growthPercent = 1, .growthUntil = 5, .changes = base.changes},
    };
    for (const Plan& other : others) {
        EXPECT_NE(other.key(), base.key());
    }
}

TEST(Plan, CalendarNamesAcrossYearEnds) {
    const struct {
        CalendarMonth start;
        std::int64_t months;
        const char* name;
    } cases[] = {
        {{2026, 11}, 0, "Nov 2026"},  {{2026, 11}, 3, "Feb 2027"},   {{2026, 12}, 0, "Dec 2026"},
        {{2026, 12}, 1, "Jan 2027"},  {{2026, 1}, 11, "Dec 2026"},   {{2026, 1}, 12, "Jan 2027"},
        {{1, 1}, 12'000, "Jan 1001"}, {{9999, 12}, 25, "Jan 10002"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(calendarMonthName(c.start, c.months), c.name) << c.name;
    }
}

}  // namespace
}  // namespace velmora
