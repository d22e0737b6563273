#include <array>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include <gtest/gtest.h>

#include "inputs/subscription_inputs.h"
#include "support/fake_scenarios.h"
#include "support/projected.h"
#include "ui/charts/chart_data.h"
#include "ui/charts/cohort_bars.h"
#include "ui/charts/plan_marks.h"

namespace velmora {
namespace {

const double nan = std::numeric_limits<double>::quiet_NaN();
const double inf = std::numeric_limits<double>::infinity();

SubscriptionCohort record(std::int64_t month, std::int64_t label, double count) {
    return {Uuid{}, month, CohortLabel(label), count};
}

struct StackCase {
    const char* name;
    std::vector<SubscriptionCohort> records;
    std::vector<CohortSegment> segments;
    std::vector<double> totals;  ///< per bar
};

TEST(CohortBars, StacksByMonthSignAndLabel) {
    const StackCase cases[] = {
        {"signs stack apart from zero",
         {record(0, -1, 10), record(0, -1, -4), record(0, 0, 5), record(0, 1, -3)},
         {{0, 0, 10, 0, -1}, {0, 0, -4, 0, -1}, {0, 10, 15, 1, 0}, {0, -4, -7, 2, 1}},
         {8}},
        {"neighbours of one label and sign make one segment",
         {record(2, 4, 1), record(2, 4, 2), record(2, 5, 1)},
         {{2, 0, 3, 0, 4}, {2, 3, 4, 1, 5}},
         {4}},
        {"counts that are not numbers or infinite draw nothing",
         {record(0, 0, 5), record(0, 1, nan), record(0, 0, 3), record(0, 0, inf),
          record(0, 2, -inf), record(0, 3, 1)},
         {{0, 0, 5, 0, 0}, {0, 5, 8, 0, 0}, {0, 8, 9, 3, 3}},
         {9}},
        {"colours follow the first appearance of each label",
         {record(0, 5, 1), record(0, 3, 1), record(1, 3, 1), record(1, 7, 1), record(1, 5, 1)},
         {{0, 0, 1, 0, 5}, {0, 1, 2, 1, 3}, {1, 0, 1, 1, 3}, {1, 1, 2, 2, 7}, {1, 2, 3, 0, 5}},
         {2, 3}},
        {"a month met again stacks on what it had",
         {record(0, 0, 2), record(1, 0, 1), record(0, 1, 3)},
         {{0, 0, 2, 0, 0}, {1, 0, 1, 0, 0}, {0, 2, 5, 1, 1}},
         {5, 1, 5}},
        {"zero counts take a colour and no room",
         {record(0, 0, 0), record(0, 1, 2)},
         {{0, 0, 2, 1, 1}},
         {2}},
        {"nothing", {}, {}, {}},
    };
    for (const StackCase& c : cases) {
        SCOPED_TRACE(c.name);
        const CohortStack stack = stackCohorts(c.records);
        EXPECT_EQ(stack.segments, c.segments);
        ASSERT_EQ(stack.bars.size(), c.totals.size());
        for (std::size_t i = 0; i < c.totals.size(); ++i) {
            const CohortBar& bar = stack.bars[i];
            EXPECT_EQ(bar.total, c.totals[i]);
            for (std::size_t s = bar.first; s < bar.end; ++s) {
                EXPECT_EQ(stack.segments[s].month, bar.month);
                EXPECT_LE(bar.low, std::min(0.0, stack.segments[s].top));
                EXPECT_GE(bar.high, std::max(0.0, stack.segments[s].top));
            }
        }
    }
}

TEST(CohortBars, AProjectionStacksAsItsRecordsDoAndAddsUpToEachMonth) {
    const auto projection = project({.monthsToProject = 14, .startingSubs = 5000});

    const CohortStack expected = stackCohorts(cohortBars(*projection));
    ASSERT_EQ(expected.bars.size(), 14u);
    for (std::size_t month = 0; month < 14; ++month) {
        const double active = projection->monthlySnapshots[month].active;
        EXPECT_NEAR(expected.bars[month].total, active, active * 1e-12);
    }
    const CohortStack stack = stackProjection(*projection);
    EXPECT_EQ(stack.segments, expected.segments);
    EXPECT_EQ(stack.bars.size(), expected.bars.size());
}

TEST(ChartPoints, OneSeriesPerScenarioThroughEveryDayAtItsCurrentPrice) {
    QObject owner;
    FakeScenarios fake;  // the projections are built when the test lets the wait pass
    std::array<SubscriptionInputs*, 3> scenarios{};
    for (auto*& scenario : scenarios) {
        scenario = fake.factory()(&owner, {});
    }
    scenarios[1]->setPrice(2.99);
    scenarios[2]->setMonthDuration(45);
    scenarios[2]->setMonthsToProject(2);
    fake.elapse();
    // A price changed after the projection counts at once.
    scenarios[0]->setPrice(2.0);
    drain();

    UuidGenerator ids(3);
    const auto points = chartPoints(*scenarios[0], *scenarios[1], *scenarios[2], ids);
    ASSERT_EQ(points.size(), 1080u + 1080u + 90u);
    // Days sit at day / month length: 45-day months end their second month at 89/45.
    const std::tuple<std::size_t, const char*, double> expected[] = {
        {0, "Baseline", 0},       {45, "Baseline", 1.5},    {1079, "Baseline", 1079.0 / 30},
        {1080, "Alternate 1", 0}, {2160, "Alternate 2", 0}, {2249, "Alternate 2", 89.0 / 45}};
    for (const auto& [at, name, month] : expected) {
        EXPECT_EQ(points[at].inputName.toStdString(), name) << at;
        EXPECT_EQ(points[at].month, month) << at;
    }
    // The first day holds the day's 59 converted trials: income is 0.85 of their price.
    EXPECT_DOUBLE_EQ(points[0].income, 100.3);
    EXPECT_DOUBLE_EQ(points[1080].income, 149.9485);
    EXPECT_DOUBLE_EQ(points[2160].income, 99.7985);
    std::set<std::string> distinct;
    for (const ChartData& point : points) {
        distinct.insert(point.id.toString());
    }
    EXPECT_EQ(distinct.size(), points.size());

    for (std::size_t absent = 0; absent < 3; ++absent) {
        std::array<ComparedScenario, 3> compared{};
        for (std::size_t s = 0; s < 3; ++s) {
            compared[s] = {s == absent ? nullptr : scenarios[s]->projection().get(), 2.0};
        }
        EXPECT_TRUE(chartPoints(compared, ids).empty()) << "absent " << absent;
    }
    // Until its days are built, a scenario is drawn through its months' first days.
    const auto months = project({.monthsToProject = 3}, ProjectionDetail::Months);
    const ComparedScenario firstDays{months.get(), 2.0};
    const auto monthly = chartPoints({firstDays, firstDays, firstDays}, ids);
    ASSERT_EQ(monthly.size(), 9u);
    EXPECT_EQ(monthly[2].month, 2);
    EXPECT_EQ(monthly[2].active, months->monthlySnapshots[2].active);
}

TEST(XAxisValues, EveryYearStrictlyBeforeTheEnd) {
    const std::vector<std::pair<double, std::vector<double>>> cases{
        {36, {0, 12, 24}}, {37, {0, 12, 24, 36}},
        {12, {0}},         {0.5, {0}},
        {0, {}},           {-5, {}},
        {nan, {}},         {-inf, {}},
    };
    for (const auto& [end, marks] : cases) {
        EXPECT_EQ(xAxisValues(end), marks) << end;
    }
    for (const double absurd : {inf, 1e300}) {
        const auto marks = xAxisValues(absurd);
        ASSERT_EQ(marks.size(), maxAxisMarks);
        EXPECT_EQ(marks.back(), 12.0 * (maxAxisMarks - 1));
    }
}

TEST(ChartTips, ReadLikeTheTable) {
    const std::pair<QString, const char*> cases[] = {
        {simpleChartTip(12, 2000), "Month 12\n2,000 active"},
        {simpleChartTip(0, nan), "Month 0\nn/a active"},
        {cohortChartTip(12, 3, 512.4, 1999.6), "Month 12, cohort 3\n512 subscribers (of 2,000)"},
        {cohortChartTip(1, -7, -40.4, 12345), "Month 1, cohort -7\n-40 subscribers (of 12,345)"},
        {comparisonChartTip(12,
                            {{"Baseline", 3383.0}, {"Alternate 1", 3382.6}, {"Alternate 2", nan}}),
         "Month 12\nBaseline $3,383\nAlternate 1 $3,383\nAlternate 2 n/a"},
        {comparisonChartTip(1200, {}), "Month 1,200"},
        // Named by the calendar from M0's month, a fraction of a month not.
        {simpleChartTip(3, 2000, CalendarMonth{2026, 11}), "Month 3 · Feb 2027\n2,000 active"},
        {cohortChartTip(0, 1, 5, 10, CalendarMonth{2026, 12}),
         "Month 0 · Dec 2026, cohort 1\n5 subscribers (of 10)"},
        {comparisonChartTip(2.25, {}, CalendarMonth{2026, 11}), "Month 2"},
    };
    for (const auto& [tip, text] : cases) {
        EXPECT_EQ(tip.toStdString(), text);
    }
}

TEST(PlanMarks, EachMonthAPlanChangesSomethingAndWhat) {
    const PlanChange price{PlanInput::Price, 6, 2.99};
    const PlanChange trials{PlanInput::DailyNewSubs, 2, 1200};
    const std::array<double, 12> seasons{2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 3};
    const std::tuple<std::optional<Plan>, QString, std::vector<std::pair<double, std::string>>>
        cases[] = {
            {std::nullopt, {}, {}},
            {Plan{.growthPercent = 0,
                  .growthUntil = 4,
                  .startMonth = CalendarMonth{2027, 1},
                  .seasonality = seasons},
             {},
             {}},
            {Plan{.growthPercent = 5, .growthUntil = 0}, {}, {}},
            {Plan{.growthPercent = 5,
                  .growthUntil = 12,
                  .changes = {price, {PlanInput::TrialRetention, 3, 0.55}}},
             {},
             {{3, "M3: Trial Retention 0.55"}, {6, "M6: Price 2.99"}, {13, "M13: Growth stops"}}},
            {Plan{.growthPercent = -5,
                  .growthUntil = 5,
                  .changes = {{PlanInput::TrialRetention, 6, 0.5}, price}},
             {},
             {{6, "M6: Growth stops; Price 2.99; Trial Retention 0.5"}}},
            {Plan{
                 .growthPercent = 5,
                 .growthUntil = 35,
                 .changes = {{PlanInput::CostPerTrial, 9, 2.5}, trials, {PlanInput::Price, 36, 1}}},
             "Alternate 1",
             {{2, "Alternate 1 — M2: Daily Trials 1,200"},
              {9, "Alternate 1 — M9: Cost per Trial 2.5"}}},
        };
    for (const auto& [plan, owner, marks] : cases) {
        std::vector<std::pair<double, std::string>> got;
        for (const PlanMark& mark : planMarks(plan, 36, owner)) {
            got.emplace_back(mark.month, mark.text.toStdString());
            EXPECT_EQ(owner.isEmpty() ? mark.label : owner + " — " + mark.label, mark.text);
        }
        EXPECT_EQ(got, marks);
    }
}

}  // namespace
}  // namespace velmora
